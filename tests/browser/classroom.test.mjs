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

import { makePictures, makeProgramFolder, makeQuiz, startBrowser } from './lib.mjs';

const Order = [3, 1, 2, 6, 4, 5];
let browser, quiz, server, csv, journal, port, code, killedEnv;

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
    killedEnv = { ...env, XDG_DATA_HOME: path.join(browser.workDir, 'killed') };
    server = await startServer(env, ['--csv', csv]);
    [, port, code] = /:(\d+)\/([a-z2-7]{20})\/$/.exec(server.url);
    const folder = path.join(browser.workDir, 'data/quirvel/classroom');
    journal = path.join(folder, fs.readdirSync(folder)[0]);
});

async function startServer(env, more = []) {
    const args = ['--classroom', quiz.quizFolder, '--port', '0', '--address', '127.0.0.1', ...more];
    const started = { proc: spawn('prlimit', ['--nofile=256', path.join(process.env.QUIRVEL_PROGRAM_DIR, 'quirvel'), ...args], { env }), lines: [] };
    await new Promise((resolve, reject) => {
        started.proc.on('exit', (status) => reject(new Error(`quirvel ended with ${status}`)));
        readline.createInterface({ input: started.proc.stdout })
            .on('line', (line) => (started.url ? started.lines.push(JSON.parse(line)) : resolve((started.url = line))));
    });
    return started;
}

after(async () => { server?.proc.kill('SIGKILL'); await browser?.close(); });

// A pupil gives a name, answers right in the first `right` cards and checks.
async function pupil(name, right, options = {}) {
    const context = await browser.instance.newContext({ locale: 'ru-RU', ...options });
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
        socket.setTimeout(60000, () => socket.destroy()).write(request);
    });
}

test('bad requests are refused, the server answers on and the results file stays whole', async () => {
    const head = (line, fields = '') => `${line} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n${fields}\r\n`;
    const get = (target) => head(`GET ${target}`);
    const post = (body, length = Buffer.byteLength(body)) =>
        head(`POST /${code}/result`, `Content-Type: application/json\r\nContent-Length: ${length}\r\n`) + body;
    const joined = await fetch(server.url + 'join', { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: '{"name":"Гость"}' });
    const { token } = await joined.json();
    let seq = 0;
    const result = (answers, fields = {}) => post(JSON.stringify({ token, answers, seq: ++seq, ...fields }));
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
        ['broken JSON', post('{"token": "' + token), '400'],
        ['an unknown field', result(Order, { admin: true }), '400'],
        ['unknown method', head(`BREW /${code}/`), '405'],
        ['a count of its own', result([null, null, null, null, null, null], { right: 6 }), '400'],
        ['another pupil\'s token guessed', result(Order, { token: 'f'.repeat(32) }), '403'],
        ['500 posts in a burst', async () => {
            const statuses = await Promise.all(Array.from({ length: 500 }, () => raw(result(Order))));
            const counts = {};
            statuses.forEach((status) => (counts[status] = (counts[status] ?? 0) + 1));
            return counts['200'] === 20 ? 20 : JSON.stringify(counts);
        }, 20],
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
    const lines = fs.readFileSync(csv, 'utf8').split('\r\n');
    assert.equal(lines[0].charCodeAt(0), 0xfeff);
    assert.deepEqual(lines.slice(1, -1).map((r) => r.split(';').slice(0, 3).join(';')).sort(),
        ["'=Борис;4;1", '<b>Вера</b>;1;1', 'Аня;6;1', 'Гость;6;20'].sort());
    // The lesson, four joins and 23 results.
    assert.equal(fs.readFileSync(journal, 'utf8').trim().split('\n').length, 1 + 4 + 3 + 20);
});

test('killed during a burst of results, the file holds every one it acknowledged', async () => {
    const killed = await startServer(killedEnv, ['--pupil-rate', '1000000']);
    const post = (what, body) => fetch(killed.url + what, { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body) });
    const { token } = await (await post('join', { name: 'Гость' })).json();
    const acknowledged = [];
    const sending = Array.from({ length: 2000 }, (_, i) => post('result', { token, answers: Order, seq: i + 1 })
        .then((reply) => reply.status === 200 && acknowledged.push(i + 1), () => {}));
    while (acknowledged.length < 100) await new Promise((r) => setTimeout(r, 5));
    killed.proc.kill('SIGKILL');
    await Promise.all(sending);
    const folder = path.join(killedEnv.XDG_DATA_HOME, 'quirvel/classroom');
    const kept = new Set(fs.readFileSync(path.join(folder, fs.readdirSync(folder)[0]), 'utf8').split('\n')
        .filter((line) => line.endsWith('}')).map((line) => JSON.parse(line).seq));
    assert.deepEqual(acknowledged.filter((seq) => !kept.has(seq)), []);
    assert.ok(acknowledged.length < 2000, 'killed before the burst ended');
});
