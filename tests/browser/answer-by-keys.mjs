// SPDX-License-Identifier: GPL-3.0-or-later
// node answer-by-keys.mjs START.HTM '{"answer": picture number, ...}': a player without a mouse
// tabs to every answer cell, types its picture's number, tabs on to " Проверь!" and presses Space;
// every mark must then say right. The accessibility bus test runs it.

import assert from 'node:assert/strict';

import { Colours, cellStates, closeQuiz, openQuiz, startBrowser } from './lib.mjs';

const [pageFile, numbers] = [process.argv[2], JSON.parse(process.argv[3])];
const browser = await startBrowser();
try {
    const page = await openQuiz(browser, pageFile);
    page.confirmAnswers.push(true);
    for (let stop = 0, typed = 0; stop < 100 && !page.dialogs.length; stop++) {
        await page.keyboard.press('Tab');
        const at = await page.evaluate(() => {
            const { name, value, form } = document.activeElement;
            return { name, value, answer: form?.nextElementSibling?.textContent };
        });
        if (at.name === 'amount') {
            typed++;
            await page.keyboard.type(String(numbers[at.answer]));
        } else if (at.value === ' Проверь!' && typed >= 6) {
            await page.keyboard.press('Space');
            // Returns once the page's script is idle again, with the check's boxes answered.
            await page.evaluate(() => 0);
        }
    }
    assert.equal(page.dialogs.at(-1)?.message, 'Правильных ответов: 6.');
    for (const c of await cellStates(page)) assert.equal(c.fon, Colours.lime);
    await closeQuiz(page);
} finally {
    await browser.close();
}
