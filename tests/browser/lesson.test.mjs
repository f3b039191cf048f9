// SPDX-License-Identifier: GPL-3.0-or-later
// A lesson in which no pupil is lost, against `quirvel --classroom` on 127.0.0.1: pupils on
// 360×740 touch phones who come back as themselves, checks that wait out a dead network or a lost
// reply and arrive once.

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

// The results the server printed that match, once there are at least n.
async function printed(match, n) {
    for (let waited = 0; server.lines.filter(match).length < n; waited += 50) {
        if (waited > 30000) assert.fail(`${n} results awaited, printed: ${JSON.stringify(server.lines)}`);
        await new Promise((r) => setTimeout(r, 50));
    }
    return server.lines.filter(match);
}

// A page of context at the lesson; joined under name when one is given.
async function open(context, name) {
    const page = await context.newPage();
    await page.goto(server.url);
    if (name) {
        await page.getByLabel('Как тебя зовут?').fill(name);
        await page.getByRole('button', { name: 'Начать' }).tap();
    }
    await page.getByRole('group').first().waitFor();
    return page;
}

// Taps picture numbers into the first cards.
async function pick(page, numbers) {
    for (const [i, n] of numbers.entries()) await page.getByRole('group').nth(i).locator('label').nth(n - 1).tap();
}

const chosen = (page) => page.evaluate(() => [...document.querySelectorAll('.card')].map((c) => Number(c.querySelector(':checked')?.value ?? 0)));

async function check(page, score) {
    await page.getByRole('button', { name: 'Проверь!' }).tap();
    if (score !== undefined) await page.getByRole('status').filter({ hasText: `Правильных ответов: ${score}.` }).waitFor();
}

test('a new tab or a reload is the same pupil with the same answers, and "Это не я" a new one', async () => {
    const context = await browser.instance.newContext(Phone);
    const first = await open(context, 'Фёдор');
    await pick(first, [3, 1]);
    await check(first, 2);
    const [{ id }] = await printed((l) => l.name === 'Фёдор', 1);
    const tab = await open(context);
    assert.deepEqual([await tab.locator('#who').textContent(), await chosen(tab)], ['Фёдор', [3, 1, 0, 0, 0, 0]]);
    await pick(tab, [3, 1, 2]);
    // A check that can't get through survives the reload, with the answers chosen since.
    await tab.route('**/result', (route) => route.abort('connectionrefused'));
    await check(tab);
    await tab.getByRole('status').filter({ hasText: Queued }).waitFor();
    await pick(tab, [3, 1, 2, 1]);
    await tab.reload();
    await tab.getByRole('group').first().waitFor();
    assert.deepEqual(await chosen(tab), [3, 1, 2, 1, 0, 0]);
    await tab.unroute('**/result');
    const [, again] = await printed((l) => l.id === id, 2);
    assert.deepEqual([again.seq, again.right, again.answers.slice(0, 3)], [2, 3, ['3', '1', '2']]);
    await tab.getByRole('button', { name: 'Это не я' }).tap();
    assert.equal(await tab.getByLabel('Как тебя зовут?').inputValue(), '');
    await tab.getByLabel('Как тебя зовут?').fill('Фёдор');
    await tab.getByRole('button', { name: 'Начать' }).tap();
    await tab.locator('#who', { hasText: 'Фёдор (2)' }).waitFor();
    assert.deepEqual(await chosen(tab), [0, 0, 0, 0, 0, 0]);
    await check(tab, 0);
    const [other] = await printed((l) => l.name === 'Фёдор' && l.id !== id, 1);
    assert.deepEqual([other.seq, other.number], [1, 2]);
    await context.close();
});

test('offline, then a lost reply: each queued check is counted once', async () => {
    const context = await browser.instance.newContext(Phone);
    const page = await open(context, 'Лена');
    await pick(page, Order);
    await context.setOffline(true);
    await check(page);
    await page.getByRole('status').filter({ hasText: Queued }).waitFor();
    await context.setOffline(false);
    await page.getByRole('status').filter({ hasText: 'Правильных ответов: 6.' }).waitFor();
    // The server takes the second check, but its reply never reaches the page.
    await page.route('**/result', async (route) => {
        await route.fetch();
        await route.abort('connectionreset');
    }, { times: 1 });
    const sent = [];
    page.on('request', (r) => r.url().endsWith('/result') && sent.push(r.postDataJSON().seq));
    await pick(page, [1]);
    await check(page);
    await page.getByRole('status').filter({ hasText: 'Правильных ответов: 5.' }).waitFor();
    await check(page, 5);
    // The third check's line comes after any line a resend could have made.
    assert.deepEqual((await printed((l) => l.name === 'Лена', 3)).map((l) => [l.seq, l.right]), [[1, 6], [2, 5], [3, 5]]);
    assert.deepEqual(sent, [2, 2, 3]);
    await context.close();
});
