// SPDX-License-Identifier: GPL-3.0-or-later
// A lesson that loses no one, against `quirvel --classroom` on 127.0.0.1: pupils on 360×740 touch
// phones come back as themselves, their checks outlast a dead network, a lost reply or a restart and
// count once; presence reports, a lab of 40 behind one address, the lesson number.

import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { makePictures, makeProgramFolder, makeQuiz, startBrowser, startClassroom } from './lib.mjs';

const Order = [3, 1, 2, 6, 4, 5];
const Phone = { locale: 'ru-RU', viewport: { width: 360, height: 740 }, isMobile: true, hasTouch: true, reducedMotion: 'reduce' };
const Queued = 'Нет связи с компьютером учителя. Ответ сохранён и будет отправлен, как только связь вернётся.';
let browser, quiz, server;

before(async () => {
    browser = await startBrowser();
    const pictures = await makePictures(browser, path.join(browser.workDir, 'pictures'), Array(6).fill([320, 240]));
    const slots = pictures.map((picture, k) => ({ picture, question: `Q${k}`, answer: `A${k}` }));
    quiz = makeQuiz({ title: 'Урок', order: Order, slots }, { programFolder: makeProgramFolder(browser.workDir) });
    server = await startClassroom(browser, quiz.quizFolder);
});

after(async () => { server?.proc.kill('SIGKILL'); await browser?.close(); });

// The lines a server printed that match, once there are at least n.
async function printed(match, n, from = server.lines) {
    for (let waited = 0; from.filter(match).length < n; waited += 50) {
        if (waited > 30000) assert.fail(`${n} lines awaited, printed: ${JSON.stringify(from)}`);
        await new Promise((r) => setTimeout(r, 50));
    }
    return from.filter(match);
}

async function join(page, name) {
    await page.getByLabel('Как тебя зовут?').fill(name);
    await page.getByRole('button', { name: 'Начать' }).tap();
}

// A page of context at the lesson; joined under name when one is given.
async function open(context, name) {
    const page = await context.newPage();
    await page.goto(server.url);
    if (name) await join(page, name);
    await page.getByRole('group').first().waitFor();
    return page;
}

const shows = (page, text, role = 'status') => page.getByRole(role).filter({ hasText: text }).waitFor();
const chosen = (page) => page.evaluate(() => [...document.querySelectorAll('.card')].map((c) => Number(c.querySelector(':checked')?.value ?? 0)));

// Taps picture numbers into the first cards.
async function pick(page, numbers) {
    for (const [i, n] of numbers.entries()) await page.getByRole('group').nth(i).locator('label').nth(n - 1).tap();
}

// Picks, checks, and waits for the status: the score when it is a number.
async function check(page, numbers, status) {
    await pick(page, numbers);
    await page.getByRole('button', { name: 'Проверь!' }).tap();
    if (status !== undefined) await shows(page, typeof status === 'number' ? `Правильных ответов: ${status}.` : status);
}

test('a new tab or a reload is the same pupil with the same answers, and "Это не я" a new one', async () => {
    const context = await browser.instance.newContext(Phone);
    const first = await open(context, 'Фёдор');
    await check(first, [3, 1], 2);
    const [{ id }] = await printed((l) => l.name === 'Фёдор', 1);
    const tab = await open(context);
    assert.deepEqual([await tab.locator('#who').textContent(), await chosen(tab)], ['Фёдор', [3, 1, 0, 0, 0, 0]]);
    // A check that can't get through survives the reload, with the answers chosen since.
    await tab.route('**/result', (route) => route.abort('connectionrefused'));
    await check(tab, [3, 1, 2], Queued);
    await pick(tab, [3, 1, 2, 1]);
    await tab.reload();
    await tab.getByRole('group').first().waitFor();
    assert.deepEqual(await chosen(tab), [3, 1, 2, 1, 0, 0]);
    await tab.unroute('**/result');
    const [, again] = await printed((l) => l.id === id, 2);
    assert.deepEqual([again.seq, again.right, again.answers.slice(0, 3)], [2, 3, ['3', '1', '2']]);
    await tab.getByRole('button', { name: 'Это не я' }).tap();
    // The first tab follows.
    await first.getByLabel('Как тебя зовут?').waitFor();
    assert.deepEqual([await tab.getByLabel('Как тебя зовут?').inputValue(), await first.getByLabel('Как тебя зовут?').inputValue()], ['', '']);
    await join(tab, 'Фёдор');
    await tab.locator('#who', { hasText: 'Фёдор (2)' }).waitFor();
    assert.deepEqual(await chosen(tab), [0, 0, 0, 0, 0, 0]);
    await check(tab, [], 0);
    const [other] = await printed((l) => l.name === 'Фёдор' && l.id !== id, 1);
    assert.deepEqual([other.seq, other.number], [1, 2]);
    await context.close();
});

test('offline, then a lost reply: each check is counted once; presence reports', async () => {
    const context = await browser.instance.newContext(Phone);
    await context.clock.install();
    const page = await open(context, 'Лена');
    await context.setOffline(true);
    await check(page, Order, Queued);
    await context.setOffline(false);
    await shows(page, 'Правильных ответов: 6.');
    // The server takes the second check, but its reply never reaches the page.
    await page.route('**/result', async (route) => {
        await route.fetch();
        await route.abort('connectionreset');
    }, { times: 1 });
    const sent = [];
    page.on('request', (r) => r.url().endsWith('/result') && sent.push(r.postDataJSON().seq));
    await check(page, [1], 5);
    await check(page, [], 5);
    // The third check's line comes after any line a resend could have made.
    assert.deepEqual((await printed((l) => l.name === 'Лена', 3)).map((l) => [l.seq, l.right]), [[1, 6], [2, 5], [3, 5]]);
    assert.deepEqual(sent, [2, 2, 3]);
    const [report] = await Promise.all([page.waitForRequest(/presence$/), context.clock.runFor(10000)]);
    const [beacon] = await Promise.all([context.waitForEvent('request', (r) => r.url().endsWith('/presence')), page.goto('about:blank')]);
    assert.deepEqual([report.postDataJSON().state, (await report.response()).status(), beacon.headers()['content-type'], beacon.postDataJSON().state],
        ['open', 204, 'text/plain;charset=UTF-8', 'hidden']);
    await context.close();
});

test('40 pupils behind one address all join, come back and send', async (t) => {
    const lab = await startClassroom(browser, quiz.quizFolder, [], { data: 'lab' });
    t.after(() => lab.proc.kill('SIGKILL'));
    const post = (what, body, type = 'application/json') =>
        fetch(lab.url + what, { method: 'POST', headers: { 'Content-Type': type }, body: JSON.stringify(body) });
    const names = Array.from({ length: 40 }, (_, i) => `Ученик ${i + 1}`);
    const tokens = await Promise.all(names.map((name) => post('join', { name }).then((r) => r.json()).then((r) => r.token)));
    // A reload joins again, a beacon reports the page hidden: neither may use up the address's joins.
    const statuses = await Promise.all(tokens.map(async (token, i) => [await post('join', { name: names[i], token }),
        await post('presence', { token, state: 'hidden' }, 'text/plain;charset=UTF-8'), await post('result', { token, answers: Order, seq: 1 })]
        .map((r) => r.status)));
    assert.deepEqual(statuses, Array(40).fill([200, 204, 200]));
    assert.equal((await printed((l) => l.right === 6, 40, lab.lines)).length, 40);
});

test('the six-digit number leads into the lesson, a wrong one does not', async () => {
    const [number] = (await printed((l) => /номер урока: \d{6}$/.test(l), 1, server.errors))[0].match(/\d{6}$/);
    const enter = (typed) => fetch(new URL(`/?number=${typed}`, server.url), { redirect: 'manual' });
    const [right, wrong] = await Promise.all([number, String((Number(number) + 1) % 1e6).padStart(6, '0')].map(enter));
    assert.deepEqual([right.status, new URL(right.headers.get('location'), server.url).href, wrong.status], [303, server.url, 200]);
    assert.match(await wrong.text(), /Нет урока с номером/);
});

test('the class restarted mid-lesson: a check made meanwhile arrives once; a new lesson ends the page', async () => {
    const context = await browser.instance.newContext(Phone);
    const page = await open(context, 'Оля');
    await check(page, Order, 6);
    const url = server.url;
    const stop = () => new Promise((r) => server.proc.on('exit', r).kill('SIGTERM'));
    const start = async (args = []) => (server = await startClassroom(browser, quiz.quizFolder, args, { port: Number(new URL(url).port) }));
    await stop();
    await check(page, [1], Queued);
    await start();
    assert.equal(server.url, url);
    await shows(page, 'Правильных ответов: 5.');
    await check(page, [], 5);
    assert.deepEqual((await printed((l) => l.name === 'Оля', 2)).map((l) => l.seq), [2, 3]);
    await stop();
    await start(['--new-lesson']);
    await check(page, []);
    await shows(page, 'Урок закончился или начался заново. Отсканируй QR-код учителя ещё раз.', 'alert');
    assert.deepEqual(await page.evaluate(() => [localStorage.length, document.querySelector('#play').hidden]), [0, true]);
    await context.close();
});
