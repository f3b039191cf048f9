// SPDX-License-Identifier: GPL-3.0-or-later
// A generated quiz exported by the quirvel command line (no display): the one-file page played
// from an empty folder against the folder's own page, the SCORM package played under a real LMS
// runtime (scorm-again) over HTTP, and the printed sheet read back with pdftotext.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import path from 'node:path';
import { after, before, test } from 'node:test';

import {
    cellStates, closeQuiz, makePictures, makeProgramFolder, makeQuiz, openQuiz, pressCheck, resultsText,
    startBrowser, typeIntoCell,
} from './lib.mjs';

const Title = 'Звери <b> & птицы';
const Order = [3, 1, 2, 6, 4, 5];
const Questions = ['Кто колючий?', 'Кто летает?', 'Кто плавает?', 'Кто рычит?', 'Кто мычит?', 'Кто прыгает?'];
const Answers = ['Ёж', 'Воробей\r\nсерый', 'Карп', 'Лев', 'Корова', 'Кенгуру'];
const Check = 'input[type="button"][value=" Проверь!"]';

let browser;
let quiz;
let out;

function quirvel(...args) {
    const env = { ...process.env };
    for (const name of ['DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM']) delete env[name];
    const program = path.join(process.env.QUIRVEL_PROGRAM_DIR, 'quirvel');
    return execFileSync(program, args, { env, encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
}

before(async () => {
    browser = await startBrowser();
    const sizes = [[400, 300], [300, 400], [420, 280], [380, 300], [360, 240], [340, 260]];
    const pictures = await makePictures(browser, path.join(browser.workDir, 'pictures'), sizes);
    quiz = makeQuiz(
        {
            title: Title,
            order: Order,
            slots: pictures.map((picture, k) => ({ picture, question: Questions[k], answer: Answers[k] })),
        },
        { programFolder: makeProgramFolder(browser.workDir) },
    );
    out = fs.mkdtempSync(path.join(browser.workDir, 'out-'));
});

after(async () => {
    await browser?.close();
});

// Four right answers and two letters; a cancelled check, then a confirmed one.
async function play(pageFile) {
    const page = await openQuiz(browser, pageFile, { fixedTime: new Date('2026-03-04T07:08:09Z') });
    const images = await page.evaluate(async () => {
        const probe = new Image();
        probe.src = getComputedStyle(document.body).backgroundImage.replace(/^url\("?|"?\)$/g, '');
        await probe.decode().catch(() => {});
        return {
            loaded: Array.from(document.images, (img) => img.complete && img.naturalHeight > 0),
            background: probe.naturalWidth > 0,
            charset: document.characterSet,
            title: document.title,
        };
    });
    for (let i = 0; i < 6; i++) await typeIntoCell(page, i, i < 4 ? Order[i] : 'ж');
    const cancelled = await pressCheck(page, false);
    const checked = await pressCheck(page, true);
    const seen = { images, cancelled, checked, cells: await cellStates(page), results: await resultsText(page) };
    await closeQuiz(page);
    return seen;
}

test('the one-file page plays from an empty folder as the folder page does', async () => {
    const dir = fs.mkdtempSync(path.join(out, 'empty-'));
    const file = path.join(dir, 'Звери.htm');
    quirvel('--export-page', file, quiz.quizFolder);
    assert.deepEqual(fs.readdirSync(dir), ['Звери.htm']);
    const single = await play(file);
    assert.deepEqual(single, await play(quiz.page));
    assert.deepEqual(single.images.loaded, Array(14).fill(true));
    assert.equal(single.images.background, true);
    assert.equal(single.images.title, Title);
    assert.equal(single.checked.at(-1).message, 'Правильных ответов: 4.');
});

test('the SCORM package is complete and reports each confirmed check to the LMS', async () => {
    const zip = path.join(out, 'Звери.zip');
    quirvel('--export-scorm', zip, quiz.quizFolder);
    execFileSync('unzip', ['-tq', zip]);
    const listed = execFileSync('unzip', ['-Z1', zip], { encoding: 'utf8' }).trim().split('\n');
    const pkg = path.join(out, 'package');
    execFileSync('unzip', ['-q', zip, '-d', pkg]);
    const manifest = path.join(pkg, 'imsmanifest.xml');
    execFileSync('xmllint', ['--noout', manifest]);
    const itemTitle = execFileSync('xmllint', ['--xpath', "string(//*[local-name()='item']/*[local-name()='title'])", manifest], { encoding: 'utf8' });
    assert.equal(itemTitle.trimEnd(), Title);
    const files = [...fs.readFileSync(manifest, 'utf8').matchAll(/<file href="([^"]+)"\/>/g)].map((m) => m[1]);
    assert.deepEqual([...files, 'imsmanifest.xml'].sort(), [...listed].sort());
    assert.deepEqual(fs.readFileSync(path.join(pkg, 'start.htm')), fs.readFileSync(quiz.page));

    // The LMS: scorm-again's runtime as window.API of the page that frames the package.
    const types = { '.htm': 'text/html', '.js': 'text/javascript', '.jpg': 'image/jpeg', '.gif': 'image/gif' };
    const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        const file = name === '/scorm12.js'
            ? path.join(import.meta.dirname, 'node_modules/scorm-again/dist/scorm12.js')
            : path.join(pkg, path.normalize(name));
        if (name === '/') {
            response.setHeader('Content-Type', 'text/html; charset=utf-8');
            response.end(`<!DOCTYPE html><script src="/scorm12.js"></script><script>
                window.API = new Scorm12API({ logLevel: 5 });
                window.commits = 0;
                API.on('LMSCommit', () => window.commits++);
                </script><iframe id="sco" src="/launch.htm" style="width:1200px;height:900px"></iframe>`);
        } else if (fs.existsSync(file) && fs.statSync(file).isFile()) {
            response.setHeader('Content-Type', types[path.extname(file)] ?? 'application/octet-stream');
            response.end(fs.readFileSync(file));
        } else {
            response.statusCode = 404;
            response.end();
        }
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    const page = await browser.instance.newPage();
    try {
        const dialogs = [];
        const answers = [];
        page.on('dialog', async (dialog) => {
            dialogs.push(dialog.message());
            if (dialog.type() === 'confirm' && !answers.shift()) await dialog.dismiss();
            else await dialog.accept();
        });
        await page.goto(`http://127.0.0.1:${server.address().port}/`, { waitUntil: 'load' });
        const sco = page.frameLocator('#sco').frameLocator('#quiz');
        await sco.locator(Check).waitFor();
        const lms = () => page.evaluate(() => ({
            raw: API.cmi.core.score.raw, min: API.cmi.core.score.min, max: API.cmi.core.score.max,
            status: API.cmi.core.lesson_status, commits: window.commits,
            running: API.isInitialized(), finished: API.isTerminated(),
        }));
        const check = async (confirm) => {
            answers.push(confirm);
            await sco.locator(Check).click();
            await page.evaluate(() => 0);
        };
        const started = await lms();
        assert.equal(started.running, true);
        for (let i = 0; i < 6; i++) await typeIntoCell(sco, i, i < 4 ? Order[i] : 'ж');
        await check(false);
        assert.deepEqual(await lms(), started, 'a cancelled check reports nothing');
        await check(true);
        assert.equal(dialogs.at(-1), 'Правильных ответов: 4.');
        assert.deepEqual(await lms(), { ...started, raw: '67', min: '0', max: '100', status: 'completed', commits: 1 });
        for (let i = 4; i < 6; i++) await typeIntoCell(sco, i, Order[i]);
        await check(true);
        assert.deepEqual(await lms(), { ...started, raw: '100', min: '0', max: '100', status: 'completed', commits: 2 });
        await page.evaluate(() => document.getElementById('sco').remove()); // pagehide
        assert.equal((await lms()).finished, true);
    } finally {
        await page.close();
        server.close();
    }

    // Opened from disk there is no LMS and the frame is another origin: the quiz simply plays.
    const local = await openQuiz(browser, path.join(pkg, 'launch.htm'));
    const errors = [];
    local.on('pageerror', (e) => errors.push(e.message));
    local.confirmAnswers.push(true);
    await local.frameLocator('#quiz').locator(Check).click();
    await local.evaluate(() => 0);
    // Every cell starts at 5, which is right for cell 6 only.
    assert.deepEqual(local.dialogs.map((d) => d.message), ['Проверить выполненный тест?', 'Правильных ответов: 1.']);
    assert.deepEqual(errors, []);
    assert.deepEqual(await local.evaluate(() => [document.documentElement.lang, document.getElementById('quiz').title]),
        ['ru', 'Викторина']);
    await closeQuiz(local);
});

// The page's fixed fields (each form's amount and rem, the results box rez) have no label of their
// own: adding one would change the page the quiz plays. Only that is let through.
const LabelExceptions = /^<(input|textarea)[^>]* name="?(amount|rem|rez)\b/;

test('the one-file page passes the WCAG 2.1 A rules but for the fixed fields labels', async () => {
    const file = path.join(fs.mkdtempSync(path.join(out, 'axe-')), 'Звери.htm');
    quirvel('--export-page', file, quiz.quizFolder);
    const page = await openQuiz(browser, file);
    await page.addScriptTag({ path: createRequire(import.meta.url).resolve('axe-core/axe.min.js') });
    const found = await page.evaluate(async () => {
        const result = await axe.run(document, { runOnly: { type: 'tag', values: ['wcag2a', 'wcag21a'] } });
        return result.violations.flatMap((v) => v.nodes.map((n) => ({ rule: v.id, html: n.html })));
    });
    await closeQuiz(page);
    const excepted = found.filter((v) => v.rule === 'label' && LabelExceptions.test(v.html));
    assert.deepEqual(found.filter((v) => !excepted.includes(v)), []);
    assert.equal(excepted.length, 13);
});

test('the printed sheet holds the title, the questions, the answers in page order and the key', () => {
    const pdf = path.join(out, 'Звери.pdf');
    quirvel('--print-sheet', pdf, quiz.quizFolder);
    const [sheet, key] = execFileSync('pdftotext', ['-layout', pdf, '-'], { encoding: 'utf8' }).split('\f');
    const firstLine = (k) => Answers[k - 1].split('\r\n')[0];
    // As the page shows the title: its <b> is formatting.
    const shownTitle = Title.replace(/<b> /, '');
    assert.ok(sheet.includes(shownTitle), sheet);
    for (const question of Questions) assert.ok(sheet.includes(question), question);
    const places = Order.map((k) => sheet.indexOf(firstLine(k)));
    assert.ok(places.every((at, i) => at > sheet.indexOf(Questions[5]) && (i === 0 || at > places[i - 1])), `${places}`);
    assert.ok(key.includes(shownTitle));
    const keyLines = Order.map((k) => new RegExp(`\\b${k}\\s+${firstLine(k)}`).exec(key)?.index ?? -1);
    assert.ok(keyLines.every((at, i) => at >= 0 && (i === 0 || at > keyLines[i - 1])), `${keyLines}`);
});
