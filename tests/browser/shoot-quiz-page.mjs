// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the picture of a generated quiz page for the documentation: the sample pictures made into
// a quiz by makequiz, four answers set right and two wrong, checked once, then photographed.
// Usage (scripts/make-screenshots.sh sets the environment): node shoot-quiz-page.mjs OUT.png

import path from 'node:path';
import { fileURLToPath } from 'node:url';

import {
    closeQuiz, makeProgramFolder, makeQuiz, openQuiz, pressCheck, startBrowser, typeIntoCell,
} from './lib.mjs';

const out = process.argv[2];
if (!out) throw new Error('usage: node shoot-quiz-page.mjs OUT.png');
const samples = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../samples');

const slots = [
    ['sun', 'Что светит днём?', 'Солнце'],
    ['house', 'Где живут люди?', 'Дом с красной крышей'],
    ['tree', 'Что растёт в лесу?', 'Дерево'],
    ['fish', 'Кто плавает?', 'Рыба'],
    ['car', 'На чём ездят?', 'Машина'],
    ['flower', 'Что пахнет?', 'Цветок'],
].map(([file, question, answer]) => ({ picture: path.join(samples, `${file}.jpg`), question, answer }));

const browser = await startBrowser();
try {
    const quiz = makeQuiz(
        { title: 'Что на картинке?', folderName: 'Что на картинке', seed: 6, slots },
        { programFolder: makeProgramFolder(browser.workDir) },
    );
    const page = await openQuiz(browser, quiz.page, {
        fixedTime: new Date('2026-03-04T10:15:42Z'),
        viewport: { width: 1100, height: 800 },
    });
    // Cells 1 and 4 get each other's numbers: two red marks among four lime ones.
    const entries = [...quiz.order];
    [entries[1], entries[4]] = [entries[4], entries[1]];
    for (let i = 0; i < 6; i++) await typeIntoCell(page, i, entries[i]);
    const boxes = await pressCheck(page, true);
    if (boxes.at(-1)?.message !== 'Правильных ответов: 4.')
        throw new Error(`the check went wrong: ${JSON.stringify(boxes)}`);
    await page.locator('body').click({ position: { x: 5, y: 5 } });
    await page.screenshot({ path: out, fullPage: true });
    await closeQuiz(page);
    console.log(`wrote ${out}`);
} finally {
    await browser.close();
}
