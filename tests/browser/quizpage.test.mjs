// SPDX-License-Identifier: GPL-3.0-or-later
// A generated quiz opened from its folder (file://) in chromium and played as a person would.

import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';

import {
    Colours, cellStates, closeQuiz, form, makePictures, makeProgramFolder, makeQuiz, openQuiz, pressCheck,
    resultsText, startBrowser, typeIntoCell,
} from './lib.mjs';

const Title = 'Звери и птицы: ёж №1';
const Order = [3, 1, 2, 6, 4, 5];
// Every picture has its own width, so each <img> shows which file it really loaded.
const Sizes = [[120, 90], [130, 90], [140, 90], [150, 90], [160, 90], [170, 90]];
const Questions = ['Кто колючий?', 'Кто летает?', 'Кто плавает?', 'Кто рычит?', 'Кто мычит?', 'Кто прыгает?'];
const Answers = ['Ёж', 'Воробей', 'Карп', 'Лев', 'Корова', 'Кенгуру'];
const Preset = ' Ваши результаты:  ';
const LogLine = /^Правильных: (\d), a ошибок: (\d), время: (\d\d):(\d\d):(\d\d)\.$/;

let browser;
let quiz;

before(async () => {
    browser = await startBrowser();
    const pictures = await makePictures(browser, path.join(browser.workDir, 'pictures'), Sizes);
    quiz = makeQuiz(
        {
            title: Title,
            folderName: 'Звери',
            order: Order,
            slots: pictures.map((picture, k) => ({ picture, question: Questions[k], answer: Answers[k] })),
        },
        { programFolder: makeProgramFolder(browser.workDir) },
    );
    assert.deepEqual(quiz.order, Order);
});

after(async () => {
    await browser?.close();
});

async function setAllRight(page) {
    for (let i = 0; i < 6; i++) await typeIntoCell(page, i, Order[i]);
}

test('page is read as windows-1251 and shows the Cyrillic title and texts', async () => {
    const page = await openQuiz(browser, quiz.page);
    const seen = await page.evaluate(() => ({
        charset: document.characterSet,
        title: document.title,
        heading: document.querySelector('body > i > b > font').innerText,
        head: document.querySelector('#table1 tr').innerText,
    }));
    assert.equal(seen.charset, 'windows-1251');
    assert.equal(seen.title, Title);
    assert.equal(seen.heading, Title);
    assert.match(seen.head, /Тест-викторина\./);
    assert.match(seen.head, /Установи номера картинок и ответов в соответствие, потом >/);
    assert.match(seen.head, /Создано программой\s+QUIRVEL/);
    await closeQuiz(page);
});

test('pictures, number icons, separator lines and background load from the quiz folder', async () => {
    const page = await openQuiz(browser, quiz.page);
    const images = await page.evaluate(async () => {
        const bg = getComputedStyle(document.body).backgroundImage.replace(/^url\("?|"?\)$/g, '');
        const probe = new Image();
        probe.src = bg;
        await probe.decode().catch(() => {});
        return {
            list: Array.from(document.images, (img) => ({
                src: img.src,
                complete: img.complete,
                naturalWidth: img.naturalWidth,
                naturalHeight: img.naturalHeight,
            })),
            background: { src: bg, naturalWidth: probe.naturalWidth },
        };
    });
    const folderUrl = pathToFileURL(quiz.quizFolder).href + '/';
    const byName = new Map(images.list.map((img) => [decodeURI(img.src.slice(folderUrl.length)).trim(), img]));
    for (const img of images.list) {
        assert.ok(img.src.startsWith(folderUrl), `${img.src} is not in the quiz folder`);
        assert.ok(img.complete && img.naturalWidth > 0 && img.naturalHeight > 0, `${img.src} did not load`);
    }
    for (let k = 1; k <= 6; k++) {
        assert.equal(byName.get(`${k}.jpg`)?.naturalWidth, Sizes[k - 1][0], `${k}.jpg is not picture ${k}`);
        assert.ok(byName.has(`${k}${k}.gif`), `number icon ${k}${k}.gif missing`);
    }
    assert.equal(images.list.filter((img) => img.src.endsWith('/line1.gif')).length, 2);
    assert.equal(images.list.length, 14);
    assert.equal(images.background.src, folderUrl + 'fong.gif');
    assert.ok(images.background.naturalWidth > 0, 'background fong.gif did not load');
    await closeQuiz(page);
});

test('questions stand by their pictures and answer cell i shows the answer of picture potv[i]', async () => {
    const page = await openQuiz(browser, quiz.page);
    const labels = await page.evaluate(() =>
        Array.from(document.querySelectorAll('img[src$="gif"][width="40"]'), (img) =>
            img.parentElement.textContent.replace(/\s+/g, ' ').trim(),
        ),
    );
    assert.deepEqual(labels, Questions.map((q, k) => `(${k + 1}). ${q}`));
    const cells = await cellStates(page);
    assert.deepEqual(cells.map((c) => c.answerText), Order.map((n) => Answers[n - 1]));
    for (const c of cells) {
        assert.equal(c.amount, '5');
        assert.equal(c.rem, ' Не проверено');
        assert.equal(c.fon, Colours.aqua);
    }
    await closeQuiz(page);
});

test('all right: confirmation, lime marks, alert and a log line; a second check appends', async () => {
    const page = await openQuiz(browser, quiz.page, { fixedTime: new Date('2026-03-04T07:08:09Z') });
    await setAllRight(page);
    const first = await pressCheck(page, true);
    assert.deepEqual(first, [
        { type: 'confirm', message: 'Проверить выполненный тест?' },
        { type: 'alert', message: 'Правильных ответов: 6.' },
    ]);
    for (const c of await cellStates(page)) {
        assert.equal(c.rem, ' Правильно ');
        assert.equal(c.fon, Colours.lime);
    }
    assert.equal(await resultsText(page), Preset + 'Правильных: 6, a ошибок: 0, время: 07:08:09.\n');

    await page.clock.setFixedTime(new Date('2026-03-04T19:20:31Z'));
    await pressCheck(page, true);
    const lines = (await resultsText(page)).slice(Preset.length).split('\n');
    assert.equal(lines.pop(), '', 'every log line ends with a line break');
    assert.equal(lines.length, 2);
    for (const line of lines) assert.match(line, LogLine);
    assert.equal(lines[1], 'Правильных: 6, a ошибок: 0, время: 19:20:31.');
    await closeQuiz(page);
});

test('the log shows the real time of the check', async () => {
    const page = await openQuiz(browser, quiz.page);
    const before = new Date();
    await pressCheck(page, true);
    const line = (await resultsText(page)).slice(Preset.length);
    assert.ok(line.endsWith('\n'));
    const m = line.slice(0, -1).match(LogLine);
    assert.ok(m, `unexpected log line ${JSON.stringify(line)}`);
    const logged = Date.UTC(before.getUTCFullYear(), before.getUTCMonth(), before.getUTCDate(), +m[3], +m[4], +m[5]);
    const drift = Math.abs(logged - before.getTime());
    assert.ok(drift < 60_000 || Math.abs(drift - 86_400_000) < 60_000, `logged ${m[0]} at ${before.toISOString()}`);
    await closeQuiz(page);
});

test('wrong cells turn red and are counted; a letter counts as wrong and the check completes', async () => {
    const page = await openQuiz(browser, quiz.page);
    await setAllRight(page);
    await typeIntoCell(page, 1, Order[1] === 6 ? 5 : 6);
    await typeIntoCell(page, 4, 'ж');
    await typeIntoCell(page, 5, 'x');
    const boxes = await pressCheck(page, true);
    assert.deepEqual(boxes.map((b) => b.message), ['Проверить выполненный тест?', 'Правильных ответов: 3.']);
    const cells = await cellStates(page);
    assert.equal(cells[4].amount, 'ж');
    const wrong = [1, 4, 5];
    cells.forEach((c, i) => {
        const right = !wrong.includes(i);
        assert.equal(c.rem, right ? ' Правильно ' : ' Ответ неверен ', `cell ${i}`);
        assert.equal(c.fon, right ? Colours.lime : Colours.red, `cell ${i}`);
    });
    assert.match((await resultsText(page)).slice(Preset.length), /^Правильных: 3, a ошибок: 3, время: \d\d:\d\d:\d\d\.\n$/);
    await closeQuiz(page);
});

test('dismissing the confirmation changes nothing', async () => {
    const page = await openQuiz(browser, quiz.page);
    await typeIntoCell(page, 0, Order[0]);
    await pressCheck(page, true);
    await typeIntoCell(page, 2, Order[2]);
    const cellsBefore = await cellStates(page);
    const logBefore = await resultsText(page);
    const boxes = await pressCheck(page, false);
    assert.deepEqual(boxes, [{ type: 'confirm', message: 'Проверить выполненный тест?' }]);
    assert.deepEqual(await cellStates(page), cellsBefore);
    assert.equal(await resultsText(page), logBefore);
    await closeQuiz(page);
});

test('<< and >> change the number and ??? tells what to do', async () => {
    const page = await openQuiz(browser, quiz.page);
    const cell = form(page, 2);
    await cell.locator('input[value=" << "]').click();
    assert.equal(await cell.locator('input[name="amount"]').inputValue(), '4');
    await cell.locator('input[value=" >> "]').click();
    await cell.locator('input[value=" >> "]').click();
    assert.equal(await cell.locator('input[name="amount"]').inputValue(), '6');
    assert.equal(await form(page, 3).locator('input[name="amount"]').inputValue(), '5', 'only its own cell');

    await form(page, 5).locator('input[name="fon"]').click();
    await page.evaluate(() => 0);
    assert.deepEqual(page.dialogs, [
        { type: 'alert', message: 'Какой номер картинки слева соответствует этому ответу' },
    ]);
    assert.equal((await cellStates(page))[5].fon, Colours.aqua);
    await closeQuiz(page);
});
