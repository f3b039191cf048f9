// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the browser tests and the screenshot script: Debian's chromium through
// playwright-core, quiz folders built by the makequiz tool, and a page wrapper that records
// every alert and answers every confirmation as told.

import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import readline from 'node:readline';
import { pathToFileURL } from 'node:url';

let chromium;
try {
    ({ chromium } = await import('playwright-core'));
} catch {
    throw new Error(
        'playwright-core is missing: run scripts/install-deps.sh, or ' +
            '"PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci" in tests/browser',
    );
}

const chromiumFlags = [
    '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--disable-quic',
];

function requiredEnv(name) {
    const value = process.env[name];
    if (!value) throw new Error(`${name} is not set (CTest sets it; see tests/CMakeLists.txt)`);
    return value;
}

// One headless chromium for a whole test file. Playwright starts it on a fresh temporary
// profile of its own; every quiz page then gets a context of its own (see openQuiz).
export async function startBrowser() {
    const workDir = fs.mkdtempSync(path.join(os.tmpdir(), 'quirvel-browser-'));
    const instance = await chromium.launch({
        executablePath: process.env.QUIRVEL_CHROMIUM || '/usr/bin/chromium',
        headless: true,
        args: chromiumFlags,
    });
    return {
        instance,
        workDir,
        async close() {
            await instance.close();
            fs.rmSync(workDir, { recursive: true, force: true });
        },
    };
}

// Draws JPEG pictures of the given sizes with the browser's canvas, each in its own colour with
// a big number, and returns their paths.
export async function makePictures(browser, dir, sizes) {
    fs.mkdirSync(dir, { recursive: true });
    const page = await browser.instance.newPage();
    const urls = await page.evaluate((sizes) => {
        const hues = [0, 50, 120, 190, 250, 310];
        return sizes.map(([w, h], i) => {
            const canvas = document.createElement('canvas');
            canvas.width = w;
            canvas.height = h;
            const g = canvas.getContext('2d');
            const grad = g.createLinearGradient(0, 0, w, h);
            grad.addColorStop(0, `hsl(${hues[i % 6]}, 70%, 75%)`);
            grad.addColorStop(1, `hsl(${hues[i % 6]}, 70%, 40%)`);
            g.fillStyle = grad;
            g.fillRect(0, 0, w, h);
            g.fillStyle = 'white';
            g.font = `bold ${Math.round(h * 0.6)}px sans-serif`;
            g.textAlign = 'center';
            g.textBaseline = 'middle';
            g.fillText(String(i + 1), w / 2, h / 2);
            return canvas.toDataURL('image/jpeg', 0.9);
        });
    }, sizes);
    await page.context().close();
    return urls.map((url, i) => {
        const file = path.join(dir, `picture-${i + 1}.jpg`);
        fs.writeFileSync(file, Buffer.from(url.split(',')[1], 'base64'));
        return file;
    });
}

// A program folder of its own for every quiz (the decorations copied in from the build's program
// folder), so tests never write into the build and never see each other's quizzes. The build
// lays out the decorations from its one list; one missing here makes makequiz fail.
export function makeProgramFolder(parent) {
    const source = requiredEnv('QUIRVEL_PROGRAM_DIR');
    const dir = fs.mkdtempSync(path.join(parent, 'program-'));
    const decorations = fs.readdirSync(source).filter((name) => name.endsWith('.gif'));
    if (decorations.length === 0) throw new Error(`no decorations in ${source}`);
    for (const name of decorations) fs.copyFileSync(path.join(source, name), path.join(dir, name));
    return dir;
}

// Builds a quiz through the program's own code. quiz: { title, folderName?, slots: [{ picture,
// question, answer }] x6, order? | seed? }. Returns { quizFolder, page, order }.
export function makeQuiz(quiz, { programFolder }) {
    const tool = requiredEnv('QUIRVEL_MAKEQUIZ');
    const json = path.join(programFolder, `quiz-${Date.now()}-${Math.random()}.json`);
    fs.writeFileSync(json, JSON.stringify({ ...quiz, programFolder }));
    try {
        const out = execFileSync(tool, [json], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
        return JSON.parse(out);
    } catch (e) {
        throw new Error(`makequiz failed (${e.status}): ${e.stderr || e.message}`);
    } finally {
        fs.rmSync(json, { force: true });
    }
}

// Opens a quiz page straight from its folder, in a context of its own (its own clock, cookies
// and storage); close it with closeQuiz. page.dialogs collects { type, message } of every box;
// confirmations take their answers from page.confirmAnswers (true = OK), Cancel when empty.
export async function openQuiz(browser, pageFile, { fixedTime, viewport } = {}) {
    const context = await browser.instance.newContext({
        locale: 'ru-RU',
        // Fixed so that a clock set by a test reads the same on the page.
        timezoneId: 'UTC',
        viewport: viewport ?? { width: 1280, height: 900 },
    });
    const page = await context.newPage();
    page.dialogs = [];
    page.confirmAnswers = [];
    page.on('dialog', async (dialog) => {
        page.dialogs.push({ type: dialog.type(), message: dialog.message() });
        if (dialog.type() === 'confirm' && !page.confirmAnswers.shift()) await dialog.dismiss();
        else await dialog.accept();
    });
    if (fixedTime) await page.clock.setFixedTime(fixedTime);
    await page.goto(pathToFileURL(pageFile).href, { waitUntil: 'load' });
    return page;
}

export async function closeQuiz(page) {
    await page.context().close();
}

export function form(page, i) {
    return page.locator(`form[name="form${i}"]`);
}

// Sets answer cell i the way a player would: select the field and type.
export async function typeIntoCell(page, i, text) {
    const field = form(page, i).locator('input[name="amount"]');
    await field.click();
    await field.press('Control+A');
    await field.pressSequentially(String(text));
}

// What the player sees of every answer cell: the number, the verdict, the ??? button's colour and
// the answer text below the form.
export async function cellStates(page) {
    return page.evaluate(() =>
        [0, 1, 2, 3, 4, 5].map((i) => {
            const f = document.forms['form' + i];
            return {
                amount: f.amount.value,
                rem: f.rem.value,
                fon: getComputedStyle(f.fon).backgroundColor,
                answerText: f.nextElementSibling ? f.nextElementSibling.textContent : null,
                answerHtml: f.nextElementSibling ? f.nextElementSibling.innerHTML : null,
            };
        }),
    );
}

export async function resultsText(page) {
    return page.evaluate(() => document.querySelector('textarea[name="rez"]').value);
}

export async function pressCheck(page, confirmAnswer) {
    page.confirmAnswers.push(confirmAnswer);
    const before = page.dialogs.length;
    await page.locator('input[type="button"][value=" Проверь!"]').click();
    // Runs only once the page's script is idle again, so every box of this check is in.
    await page.evaluate(() => 0);
    return page.dialogs.slice(before);
}

export const Colours = {
    aqua: 'rgb(0, 255, 255)',
    lime: 'rgb(0, 255, 0)',
    red: 'rgb(255, 0, 0)',
};

// `quirvel --classroom` on 127.0.0.1 and a free port (or port), its data in the work folder's
// folder data. Resolves to { proc, url, lines, errors }: url is the pupils' address, lines the JSON
// lines printed since, errors what it writes to standard error.
export async function startClassroom(browser, quizFolder, args = [], { port = 0, data = 'data' } = {}) {
    const env = { ...process.env, XDG_DATA_HOME: path.join(browser.workDir, data) };
    for (const name of ['DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM']) delete env[name];
    const program = path.join(requiredEnv('QUIRVEL_PROGRAM_DIR'), 'quirvel');
    const proc = spawn(program, ['--classroom', quizFolder, '--port', String(port), '--address', '127.0.0.1', ...args], { env });
    const server = { proc, lines: [], errors: [] };
    readline.createInterface({ input: proc.stderr }).on('line', (line) => server.errors.push(line));
    await new Promise((resolve, reject) => {
        proc.on('exit', (status) => reject(new Error(`quirvel ended with ${status}`)));
        readline.createInterface({ input: proc.stdout })
            .on('line', (line) => (server.url ? server.lines.push(JSON.parse(line)) : resolve((server.url = line))));
    });
    return server;
}
