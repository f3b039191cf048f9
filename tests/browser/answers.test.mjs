// SPDX-License-Identifier: GPL-3.0-or-later
// The author's own texts on the page: markup, quote marks, line breaks and characters that
// Windows-1251 cannot hold must reach the player as typed, whatever order the answers are in.

import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, test } from 'node:test';

import {
    Colours, cellStates, closeQuiz, makePictures, makeProgramFolder, makeQuiz, openQuiz, pressCheck,
    startBrowser, typeIntoCell,
} from './lib.mjs';

const Title = 'Знаки ✓ и ąę 😀';
const Slots = [
    { question: 'Что <u>подчёркнуто</u>?', answer: '<i>курсив</i> и <b>жирный</b>' },
    { question: '"Кавычки"', answer: '"Цитата" и \'апостроф\' & «ёлочки»' },
    { question: 'Две строки', answer: 'Строка первая\nСтрока вторая' },
    { question: 'Не из 1251: 日本', answer: '日本語 ł ž ₿ 😀' },
    { question: '', answer: '' },
    { question: 'Просто', answer: 'Ёлка № 5 — €' },
];

let browser;
let quiz;

before(async () => {
    browser = await startBrowser();
    const pictures = await makePictures(
        browser,
        path.join(browser.workDir, 'pictures'),
        Slots.map(() => [100, 75]),
    );
    quiz = makeQuiz(
        {
            title: Title,
            folderName: 'знаки',
            seed: 20260307,
            slots: Slots.map((s, k) => ({ ...s, picture: pictures[k] })),
        },
        { programFolder: makeProgramFolder(browser.workDir) },
    );
});

after(async () => {
    await browser?.close();
});

test('title and questions show as typed', async () => {
    const page = await openQuiz(browser, quiz.page);
    const seen = await page.evaluate(() => ({
        title: document.title,
        heading: document.querySelector('body > i > b > font').innerText,
        labels: Array.from(document.querySelectorAll('img[src$="gif"][width="40"]'), (img) =>
            img.parentElement.textContent.replace(/\s+/g, ' ').trim(),
        ),
        underlined: document.querySelector('td u')?.textContent,
    }));
    assert.equal(seen.title, Title);
    assert.equal(seen.heading, Title);
    assert.deepEqual(seen.labels, [
        '(1). Что подчёркнуто?',
        '(2). "Кавычки"',
        '(3). Две строки',
        '(4). Не из 1251: 日本',
        '(5).',
        '(6). Просто',
    ]);
    assert.equal(seen.underlined, 'подчёркнуто');
    await closeQuiz(page);
});

test('answers with markup, quotes, two lines and non-1251 characters show as typed', async () => {
    const page = await openQuiz(browser, quiz.page);
    const cells = await cellStates(page);
    const shown = new Map(cells.map((c, i) => [quiz.order[i], c]));
    assert.equal(shown.size, 6, 'the order is a permutation');

    const markup = shown.get(1);
    assert.equal(markup.answerText, 'курсив и жирный');
    assert.match(markup.answerHtml, /<i>курсив<\/i> и <b>жирный<\/b>/);
    assert.equal(shown.get(2).answerText, Slots[1].answer);
    // The typed line break reaches the page as a real one (CR LF, read back as LF).
    assert.equal(shown.get(3).answerText, 'Строка первая\nСтрока вторая');
    assert.equal(shown.get(4).answerText, Slots[3].answer);
    assert.equal(shown.get(5).answerText, '');
    assert.equal(shown.get(6).answerText, Slots[5].answer);
    await closeQuiz(page);
});

test('the script grades by the same order the cells were filled in', async () => {
    const page = await openQuiz(browser, quiz.page);
    for (let i = 0; i < 6; i++) await typeIntoCell(page, i, quiz.order[i]);
    const boxes = await pressCheck(page, true);
    assert.equal(boxes.at(-1).message, 'Правильных ответов: 6.');
    for (const c of await cellStates(page)) assert.equal(c.fon, Colours.lime);
    await closeQuiz(page);
});
