// SPDX-License-Identifier: GPL-3.0-or-later
// The pupils' phone page against `quirvel --classroom` on 127.0.0.1: its size on small screens,
// played by touch and by keyboard, axe-core, no answer order before a check, the headers.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { makePictures, makeProgramFolder, makeQuiz, startBrowser, startClassroom } from './lib.mjs';

const Order = [3, 1, 2, 6, 4, 5];
// Cards 1 and 4 get each other's numbers: four right, two wrong.
const Picks = [3, 4, 2, 6, 1, 5];
const Axe = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
let browser, server;

before(async () => {
    browser = await startBrowser();
    const pictures = await makePictures(browser, path.join(browser.workDir, 'pictures'),
        [[1600, 1200], [1200, 1600], [1600, 1200], [1600, 900], [1200, 1200], [1600, 1200]]);
    // A long word and an answer of two lines: neither may widen the page.
    const slots = pictures.map((picture, k) => ({ picture, question: `Что это${k ? '' : ' Достопримечательность'.repeat(3)}?`, answer: `Ответ ${k + 1}\r\nвторая строка` }));
    const quiz = makeQuiz({ title: 'Звери <b>', order: Order, slots }, { programFolder: makeProgramFolder(browser.workDir) });
    server = await startClassroom(browser, quiz.quizFolder);
});

after(async () => { server?.proc.kill('SIGKILL'); await browser?.close(); });

// A pupil's page, joined under name; page.texts collects every text response before a check.
// Motion reduced: the marks' colours are then final at once.
async function pupil(name, options) {
    const context = await browser.instance.newContext({ locale: 'ru-RU', reducedMotion: 'reduce', ...options });
    const page = await context.newPage();
    page.texts = [];
    // A body still unread when the page closes is of no interest.
    page.on('response', (r) => /image/.test(r.headers()['content-type']) || r.text().then((t) => page.texts.push(t), () => {}));
    await page.addInitScript(() => {
        window.violations = [];
        document.addEventListener('securitypolicyviolation', (e) => window.violations.push(e.violatedDirective));
    });
    await page.goto(server.url);
    await page.getByLabel('Как тебя зовут?').fill(name);
    await page.getByRole('button', { name: 'Начать' })[options.hasTouch ? 'tap' : 'click']();
    await page.getByRole('group').first().waitFor();
    return page;
}

// What the pupil sees after a check: the count and each card's mark and colour.
async function marks(page) {
    await page.locator('#result', { hasText: 'Правильных' }).waitFor();
    return page.evaluate(() => ({
        result: document.getElementById('result').textContent,
        cards: [...document.querySelectorAll('.card')].map((c) => `${c.querySelector('.mark').textContent} ${getComputedStyle(c).backgroundColor}`),
    }));
}

// Whether the page scrolls sideways, and any text smaller than 16 px.
const layout = (page) => page.evaluate(() => ({
    wide: document.documentElement.scrollWidth > innerWidth,
    small: [...document.querySelectorAll('body *')].filter((e) => e.checkVisibility() && parseFloat(getComputedStyle(e).fontSize) < 16 &&
        [...e.childNodes].some((n) => n.nodeType === Node.TEXT_NODE && n.textContent.trim())).map((e) => e.textContent),
}));
const Green = 'Правильно rgb(230, 244, 234)', Red = 'Неправильно rgb(252, 232, 230)';
const Expected = { result: 'Правильных ответов: 4.', cards: [Green, Red, Green, Green, Red, Green] };

test('on phones, by touch: nothing wider than the screen, big targets, the marks, a second try', async () => {
    for (const [width, height] of [[320, 640], [390, 844]]) {
        const page = await pupil(`Аня ${width}`, { viewport: { width, height }, isMobile: true, hasTouch: true });
        assert.deepEqual(await layout(page), { wide: false, small: [] }, `${width}`);
        assert.deepEqual(await page.evaluate(() => [document.querySelector('h1').textContent, document.querySelector('figcaption').textContent,
            ...[...document.querySelectorAll('legend')].map((l) => l.textContent)]),
        ['Звери <b>', `(1). Что это${' Достопримечательность'.repeat(3)}?`, ...Order.map((k) => `Ответ ${k}\nвторая строка`)]);
        const cards = page.getByRole('group');
        for (let i = 0; i < 6; i++) await cards.nth(i).locator('label').nth(Picks[i] - 1).tap();
        await assert.doesNotReject(page.getByText('Выбрано 6 из 6').waitFor());
        assert.ok(page.texts.length >= 4 && page.texts.every((t) => !/3\D{1,3}1\D{1,3}2\D{1,3}6\D{1,3}4\D{1,3}5/.test(t)), 'the key travels');
        await page.getByRole('button', { name: 'Проверь!' }).tap();
        assert.deepEqual(await marks(page), Expected, `${width}`);
        const targets = await page.locator('button:visible, label:visible, input:visible:not([type=radio])').all();
        const small = [];
        for (const target of targets) {
            const box = await target.boundingBox();
            if (box.width < 44 || box.height < 44) small.push(`${await target.textContent()} ${box.width}×${box.height}`);
        }
        assert.deepEqual(small, [], `${width}: targets under 44×44`);
        assert.ok((await page.locator('.bar').boundingBox()).height >= 48);
        assert.deepEqual({ ...await layout(page), violations: await page.evaluate(() => violations) }, { wide: false, small: [], violations: [] }, `${width}`);
        const [second] = await Promise.all([page.waitForRequest(/\/result$/),
            cards.nth(1).locator('label').nth(0).tap().then(() => page.getByRole('button', { name: 'Проверь!' }).tap())]);
        assert.equal(second.postDataJSON().seq, 2);
        await page.locator('#result', { hasText: '5.' }).waitFor();
        await page.context().close();
    }
});

test('by keyboard alone, with axe-core finding nothing before and after the check', async () => {
    const page = await pupil('Боря', { viewport: { width: 390, height: 844 } });
    const axe = async () => {
        await page.evaluate(Axe);
        return page.evaluate(async () => (await axe.run(document, { runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'] } }))
            .violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.html).join(' ')}`));
    };
    assert.deepEqual(await axe(), []);
    for (const pick of Picks) {
        await page.keyboard.press('Tab');
        await page.keyboard.press(pick === 1 ? 'Space' : 'ArrowRight');
        for (let n = 2; n < pick; n++) await page.keyboard.press('ArrowRight');
    }
    await page.keyboard.press('Tab');
    await page.keyboard.press('Enter');
    assert.deepEqual(await marks(page), Expected);
    assert.deepEqual(await axe(), []);
    const sizes = await page.evaluate(() => [...document.images].filter((i) => i.naturalWidth)
        .map((i) => `${i.getAttribute('width')}×${i.getAttribute('height')} ${i.naturalWidth}×${i.naturalHeight}`));
    assert.ok(sizes.length > 0 && sizes.every((s) => s.split(' ')[0] === s.split(' ')[1]), sizes.join());
    // A reload comes back as the same pupil with the same answers, and counts on from the last check.
    await page.reload();
    await page.getByRole('group').first().waitFor();
    const [again] = await Promise.all([page.waitForRequest(/\/result$/), page.getByRole('button', { name: 'Проверь!' }).click()]);
    assert.deepEqual([await page.locator('#who').textContent(), again.postDataJSON().seq, again.postDataJSON().answers], ['Боря', 2, Picks]);
    await page.context().close();
});

test('the page keeps to its own files under a strict policy; start.htm is gone', async () => {
    const policy = "default-src 'self'; script-src 'self'; style-src 'self'; frame-ancestors 'none'";
    const unknown = await fetch(server.url + 'nothing');
    // [file, status, content type]
    for (const [name, status, type] of [['', 200, 'text/html'], ['phone.js', 200, 'text/javascript'], ['phone.css', 200, 'text/css'],
        ['quiz.json', 200, 'application/json'], ['1.jpg', 200, 'image/jpeg'], ['start.htm', 404], ['11.gif', 404], ['index.htm', 404]]) {
        const reply = await fetch(server.url + name);
        assert.equal(reply.status, status, name);
        if (status === 404) {
            assert.deepEqual([...reply.headers].filter(([h]) => h !== 'date'), [...unknown.headers].filter(([h]) => h !== 'date'), name);
            continue;
        }
        assert.ok(reply.headers.get('content-type').startsWith(type), name);
        assert.ok(reply.headers.get('content-security-policy').startsWith(policy), name);
        assert.doesNotMatch(reply.headers.get('content-security-policy'), /unsafe/);
        assert.equal(reply.headers.get('x-frame-options'), 'DENY', name);
    }
});
