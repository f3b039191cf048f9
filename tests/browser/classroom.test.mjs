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

import { makePictures, makeProgramFolder, makeQuiz, routeTokenProtocol, startBrowser } from './lib.mjs';

const Order = [3, 1, 2, 6, 4, 5];
let browser, quiz, server, csv, journal, port, code;

before(async () => {
    browser = await startBrowser();
    const pictures = await makePictures(browser, path.join(browser.workDir, 'pictures'),
        [[400, 300], [300, 400], [420, 280], [380, 300], [360, 240], [340, 260]]);
    const slots = pictures.map((picture, k) => ({ picture, question: `Q${k}`, answer: `A${k}` }));
    quiz = makeQuiz({ title: 'Звери', order: Order, slots }, { programFolder: makeProgramFolder(browser.workDir) });
    csv = path.join(browser.workDir, 'class.csv');
    const env = { ...process.env, XDG_DATA_HOME: path.join(browser.workDir, 'data') };
    for (const name of ['DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM']) delete env[name];
    // Far fewer descriptors than the idle connections of the flood below.
    const args = ['--classroom', quiz.quizFolder, '--port', '0', '--address', '127.0.0.1', '--csv', csv];
    server = { proc: spawn('prlimit', ['--nofile=256', path.join(process.env.QUIRVEL_PROGRAM_DIR, 'quirvel'), ...args], { env }), lines: [] };
    await new Promise((resolve, reject) => {
        server.proc.on('exit', (status) => reject(new Error(`quirvel ended with ${status}`)));
        readline.createInterface({ input: server.proc.stdout })
            .on('line', (line) => (server.url ? server.lines.push(JSON.parse(line)) : resolve((server.url = line))));
    });
    [, port, code] = /:(\d+)\/([a-z2-7]{20})\/$/.exec(server.url);
    const folder = path.join(browser.workDir, 'data/quirvel/classroom');
    journal = path.join(folder, fs.readdirSync(folder)[0]);
});

after(async () => { server?.proc.kill('SIGKILL'); await browser?.close(); });

// A pupil gives a name, answers right in the first `right` cards and checks.
async function pupil(name, right, options = {}) {
    const context = await browser.instance.newContext({ locale: 'ru-RU', ...options });
    await routeTokenProtocol(context, Order); // TEMPORARY until the server speaks the token protocol
    const page = await context.newPage();
    await page.goto(server.url);
    await page.locator('#name').fill(name);
    await page.getByRole('button', { name: 'Начать' }).click();
    const cards = page.getByRole('group');
    for (let i = 0; i < 6; i++) await cards.nth(i).locator('label').nth((i < right ? Order[i] : (Order[i] % 6) + 1) - 1).click();
    const [sent] = await Promise.all([page.waitForResponse((r) => r.url().endsWith('/result')),
        page.getByRole('button', { name: 'Проверь!' }).click()]);
    assert.equal(sent.status(), 200);
    return page.locator('#who').evaluate((e) => ({ text: e.textContent, children: e.children.length }));
}

test('three pupils play; the command prints their results and the spreadsheet holds them', async () => {
    const phone = { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true, deviceScaleFactor: 3 };
    const whos = await Promise.all([pupil('Аня', 6), pupil('=Борис', 4), pupil('<b>Вера</b>', 1, phone)]);
    assert.deepEqual(whos[2], { text: '<b>Вера</b>', children: 0 });
    while (server.lines.length < 3) await new Promise((r) => setTimeout(r, 50));
    assert.deepEqual(Object.fromEntries(server.lines.map((l) => [l.name, l.right])), { 'Аня': 6, '=Борис': 4, '<b>Вера</b>': 1 });
    assert.equal((await fetch(server.url + 'start.htm')).status, 404, 'the page with the key is not served');
    const lost = await fetch(new URL('/nothing', server.url));
    assert.equal(lost.status, 404);
    assert.equal(lost.headers.get('x-content-type-options') + lost.headers.get('cache-control'), 'nosniffno-store');
    assert.equal(lost.headers.get('content-security-policy'), "default-src 'none'; frame-ancestors 'none'");
});

// The status of one request on a connection of its own; 'closed' when none came.
function raw(request) {
    return new Promise((resolve) => {
        const socket = net.connect(port, '127.0.0.1');
        let reply = '';
        socket.on('data', (d) => (reply += d)).on('error', () => {});
        socket.on('close', () => resolve(reply.split(' ')[1] ?? 'closed'));
        socket.setTimeout(20000, () => socket.destroy()).write(request);
    });
}

test('bad requests are refused, the server answers on and the results file stays whole', async () => {
    const id = 'f'.repeat(32);
    const head = (line, fields = '') => `${line} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n${fields}\r\n`;
    const get = (target) => head(`GET ${target}`);
    const post = (body, length = Buffer.byteLength(body)) => head(`POST /${code}/result`, `Content-Length: ${length}\r\n`) + body;
    const result = (answers) => post(JSON.stringify({ id, name: 'Гость', right: 6, answers }));
    const rss = () => Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${server.proc.pid}/status`, 'utf8'))[1]) * 1024;
    const idle = [];
    // [row, request or what sends it, the status it gets]
    const rows = [
        ['wrong code', get(`/${'a'.repeat(20)}/`), '404'],
        ['missing code', get('/quiz.json'), '404'],
        ['dot-dot', get(`/${code}/../${code}/start.htm`), '404'],
        ['percent-encoded traversal', get(`/${code}/%2e%2e/%2e%2e/etc/passwd`), '404'],
        ['64 MiB body', async () => {
            const before = rss();
            const status = await raw(Buffer.concat([Buffer.from(post('', 64 << 20)), Buffer.alloc(64 << 20, 120)]));
            assert.ok(rss() - before < 8 << 20, `memory grew by ${rss() - before}`);
            return status === 'closed' ? '413' : status;
        }, '413'],
        ['broken JSON', post('{"id": "' + id), '400'],
        ['an unknown field', post(JSON.stringify({ id, name: 'x', right: 1, answers: [], admin: true })), '400'],
        ['unknown method', head(`BREW /${code}/`), '405'],
        ['forged count', result(['0', '0', '0', '0', '0', '0']), '200'],
        ['500 posts in a burst', async () => (await Promise.all(Array.from({ length: 500 }, () => raw(result(Order.map(String))))))
            .filter((status) => status === '200').length, 19],
        ['1,100 idle connections', async () => {
            for (let i = 0; i < 1100; i++) idle.push(net.connect(port, '127.0.0.1').on('error', () => {}));
            // A byte now and then keeps them from being closed as idle: only making room helps.
            const trickle = setInterval(() => idle.forEach((s) => s.readyState === 'open' && s.write('G')), 1000);
            await Promise.all(idle.map((s) => new Promise((r) => s.on('connect', r).on('close', r))));
            const status = await raw(get(`/${code}/`));
            clearInterval(trickle);
            return status;
        }, '200'],
    ];
    for (const [name, send, expected] of rows) {
        const kept = fs.readFileSync(journal);
        assert.equal(await (typeof send === 'string' ? raw(send) : send()), expected, name);
        assert.equal((await fetch(server.url)).status, 200, `${name}: the server still answers`);
        assert.deepEqual(fs.readFileSync(journal).subarray(0, kept.length), kept, `${name}: results file`);
    }
    idle.forEach((s) => s.destroy());
    server.proc.kill('SIGTERM');
    await new Promise((r) => server.proc.on('exit', r));
    assert.equal(server.lines[3].right, 0, 'the forged count is ignored');
    const lines = fs.readFileSync(csv, 'utf8').split('\r\n');
    assert.equal(lines[0].charCodeAt(0), 0xfeff);
    assert.deepEqual(lines.slice(1, -1).map((r) => r.split(';').slice(0, 3).join(';')).sort(),
        ["'=Борис;4;1", '<b>Вера</b>;1;1', 'Аня;6;1', 'Гость;6;20'].sort());
    assert.equal(fs.readFileSync(journal, 'utf8').trim().split('\n').length, 3 + 20);
});
