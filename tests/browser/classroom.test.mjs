// SPDX-License-Identifier: GPL-3.0-or-later
// A quiz played in class through `quirvel --classroom` on 127.0.0.1: three pupils in chromium
// (one on a phone), then requests meant to break in or to wear the server down.

import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import path from 'node:path';
import readline from 'node:readline';
import { after, before, test } from 'node:test';

import { makePictures, makeProgramFolder, makeQuiz, startBrowser, typeIntoCell } from './lib.mjs';

const Order = [3, 1, 2, 6, 4, 5];
let browser, quiz, server, csv, journal;

// The command as a teacher's script runs it, with the 1,024 descriptors of a stock session.
function startClass(dir) {
    const env = { ...process.env, XDG_DATA_HOME: path.join(dir, 'data') };
    for (const name of ['DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM']) delete env[name];
    const program = path.join(process.env.QUIRVEL_PROGRAM_DIR, 'quirvel');
    const args = ['--classroom', quiz.quizFolder, '--port', '0', '--address', '127.0.0.1', '--csv', csv];
    const proc = spawn('sh', ['-c', 'ulimit -n 1024 && exec "$0" "$@"', program, ...args], { env });
    const lines = [];
    let url;
    const started = new Promise((resolve, reject) => {
        proc.on('exit', (code) => reject(new Error(`quirvel ended with ${code}`)));
        readline.createInterface({ input: proc.stdout }).on('line', (line) => {
            if (!url) resolve((url = line));
            else lines.push(JSON.parse(line));
        });
    });
    return { proc, lines, started };
}

function rss() {
    return Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${server.proc.pid}/status`, 'utf8'))[1]) * 1024;
}

before(async () => {
    browser = await startBrowser();
    const sizes = [[400, 300], [300, 400], [420, 280], [380, 300], [360, 240], [340, 260]];
    const pictures = await makePictures(browser, path.join(browser.workDir, 'pictures'), sizes);
    quiz = makeQuiz(
        { title: 'Звери', order: Order, slots: pictures.map((picture, k) => ({ picture, question: `Q${k}`, answer: `A${k}` })) },
        { programFolder: makeProgramFolder(browser.workDir) },
    );
    csv = path.join(browser.workDir, 'class.csv');
    server = startClass(browser.workDir);
    server.url = await server.started;
    const folder = path.join(browser.workDir, 'data/quirvel/classroom');
    journal = path.join(folder, fs.readdirSync(folder)[0]);
});

after(async () => {
    server?.proc.kill('SIGKILL');
    await browser?.close();
});

// A pupil gives a name, answers right in the first `right` cells and confirms the check.
async function pupil(name, right, options = {}) {
    const context = await browser.instance.newContext({ locale: 'ru-RU', ...options });
    const page = await context.newPage();
    page.on('dialog', (dialog) => dialog.accept());
    await page.goto(server.url + 'index.htm');
    await page.locator('#name').fill(name);
    await page.locator('button[type="submit"]').click();
    const quizFrame = page.frameLocator('#quiz');
    for (let i = 0; i < 6; i++) await typeIntoCell(quizFrame, i, i < right ? Order[i] : (Order[i] % 6) + 1);
    const sent = page.waitForResponse((r) => r.url().endsWith('/result'));
    await quizFrame.locator('input[type="button"][value=" Проверь!"]').click();
    assert.equal((await sent).status(), 200);
    const who = await page.locator('#who').evaluate((e) => ({ text: e.textContent, children: e.children.length }));
    await context.close();
    return who;
}

test('three pupils play; the command prints their results and the spreadsheet holds them', async () => {
    const phone = { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 };
    const whos = await Promise.all([pupil('Аня', 6), pupil('=Борис', 4), pupil('<b>Вера</b>', 1, phone)]);
    assert.deepEqual(whos[2], { text: '<b>Вера</b>', children: 0 });
    while (server.lines.length < 3) await new Promise((r) => setTimeout(r, 50));
    const scores = Object.fromEntries(server.lines.map((l) => [l.name, l.right]));
    assert.deepEqual(scores, { 'Аня': 6, '=Борис': 4, '<b>Вера</b>': 1 });
    const page = await fetch(server.url + 'start.htm');
    assert.equal(page.headers.get('content-type'), 'text/html; charset=windows-1251');
    assert.deepEqual(Buffer.from(await page.arrayBuffer()), fs.readFileSync(quiz.page));
    const lost = await fetch(server.url.replace(/\/[a-z2-7]{20}\/$/, '/nothing'));
    assert.equal(lost.status, 404);
    for (const [name, value] of [['x-content-type-options', 'nosniff'], ['cache-control', 'no-store']])
        assert.equal(lost.headers.get(name), value);
    assert.match(lost.headers.get('content-security-policy'), /^default-src 'self' 'unsafe-inline' 'unsafe-eval'/);
});

function raw(request, { body, chunk } = {}) {
    const { port } = new URL(server.url);
    return new Promise((resolve) => {
        const socket = net.connect(Number(port), '127.0.0.1');
        let reply = '';
        socket.on('data', (d) => (reply += d));
        socket.on('error', () => {});
        socket.on('close', () => resolve(reply.split(' ')[1] ?? 'closed'));
        socket.write(request + (body ?? ''));
        if (chunk) (function more(left) {
            if (left > 0 && !socket.destroyed) socket.write(chunk, () => more(left - chunk.length));
        })(64 << 20);
        socket.setTimeout(20000, () => socket.destroy());
    });
}

test('bad requests are refused, the server answers on and the results file stays whole', async () => {
    const code = new URL(server.url).pathname.slice(1, -1);
    const id = 'f'.repeat(32);
    const post = (body, extra = '') => `POST /${code}/result HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Length: ${Buffer.byteLength(body)}${extra}\r\n\r\n${body}`;
    const get = (target) => `GET ${target} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n`;
    const result = (answers) => JSON.stringify({ id, name: 'Гость', right: 6, answers });
    const idle = [];
    const rows = [
        ['wrong code', () => raw(get(`/${'a'.repeat(20)}/index.htm`)), '404'],
        ['missing code', () => raw(get('/index.htm')), '404'],
        ['dot-dot', () => raw(get(`/${code}/../${code}/start.htm`)), '404'],
        ['percent-encoded traversal', () => raw(get(`/${code}/%2e%2e/%2e%2e/etc/passwd`)), '404'],
        ['64 MiB body', async () => {
            const before = rss();
            const status = await raw(post('', '').replace(/Content-Length: 0/, `Content-Length: ${64 << 20}`), { chunk: Buffer.alloc(1 << 20, 120) });
            assert.ok(rss() - before < 8 << 20, `memory grew by ${rss() - before}`);
            return status === 'closed' ? '413' : status;
        }, '413'],
        ['broken JSON', () => raw(post('{"id": "' + id)), '400'],
        ['an unknown field', () => raw(post(JSON.stringify({ id, name: 'x', right: 1, answers: [], admin: true }))), '400'],
        ['unknown method', () => raw(`BREW /${code}/ HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n`), '405'],
        ['forged count', async () => {
            const status = await raw(post(result(['0', '0', '0', '0', '0', '0'])));
            while (server.lines.length < 4) await new Promise((r) => setTimeout(r, 50));
            assert.equal(server.lines.at(-1).right, 0);
            return status;
        }, '200'],
        ['500 posts in a burst', async () => {
            const statuses = await Promise.all(Array.from({ length: 500 }, () => raw(post(result(Order.map(String))))));
            return `${statuses.filter((s) => s === '200').length} taken`;
        }, '19 taken'],
        ['1,100 idle connections', async () => {
            const { port } = new URL(server.url);
            for (let i = 0; i < 1100; i++) idle.push(net.connect(Number(port), '127.0.0.1').on('error', () => {}));
            // A byte now and then keeps them from being closed as idle: only making room helps.
            const trickle = setInterval(() => idle.forEach((s) => s.readyState === 'open' && s.write('G')), 1000);
            await Promise.all(idle.map((s) => new Promise((r) => s.on('connect', r).on('close', r))));
            const status = await raw(get(`/${code}/index.htm`));
            clearInterval(trickle);
            return status;
        }, '200'],
    ];
    for (const [name, run, expected] of rows) {
        const kept = fs.readFileSync(journal);
        assert.equal(await run(), expected, name);
        assert.equal((await fetch(server.url)).status, 200, `${name}: the server still answers`);
        assert.deepEqual(fs.readFileSync(journal).subarray(0, kept.length), kept, `${name}: results file`);
    }
    idle.forEach((s) => s.destroy());
    server.proc.kill('SIGTERM');
    await new Promise((r) => server.proc.on('exit', r));
    const rows2 = fs.readFileSync(csv, 'utf8').split('\r\n');
    assert.equal(rows2[0].charCodeAt(0), 0xfeff);
    assert.deepEqual(rows2.slice(1, -1).map((r) => r.split(';').slice(0, 3).join(';')).sort(),
        ["'=Борис;4;1", '<b>Вера</b>;1;1', 'Аня;6;1', 'Гость;6;20'].sort());
    assert.equal(fs.readFileSync(journal, 'utf8').trim().split('\n').length, 3 + 20);
});
