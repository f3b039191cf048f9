// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the pictures of the pupils' phone page for the documentation: the sample pictures made into
// a quiz, served by `quirvel --classroom`, photographed at 390×844 before and after a check with
// four answers right and two wrong.
// Usage (scripts/make-screenshots.sh sets the environment): node shoot-phone-page.mjs BEFORE.png AFTER.png

import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { makeProgramFolder, makeQuiz, startBrowser, startClassroom } from './lib.mjs';

const [before, after] = process.argv.slice(2);
if (!after) throw new Error('usage: node shoot-phone-page.mjs BEFORE.png AFTER.png');
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
let server;
try {
    const quiz = makeQuiz({ title: 'Что на картинке?', folderName: 'Что на картинке', seed: 6, slots },
        { programFolder: makeProgramFolder(browser.workDir) });
    server = await startClassroom(browser, quiz.quizFolder);
    const context = await browser.instance.newContext({
        locale: 'ru-RU', viewport: { width: 390, height: 844 }, deviceScaleFactor: 1, isMobile: true, hasTouch: true,
        reducedMotion: 'reduce',
    });
    const page = await context.newPage();
    await page.goto(server.url);
    await page.getByLabel('Как тебя зовут?').fill('Аня');
    await page.getByRole('button', { name: 'Начать' }).tap();
    const cards = page.getByRole('group');
    await cards.first().waitFor();
    await page.evaluate(() => Promise.all([...document.images].map((i) => (i.loading = 'eager', i.decode()))));
    await page.screenshot({ path: before });
    // Cells 1 and 4 get each other's numbers: two red marks among four green ones.
    const picks = [...quiz.order];
    [picks[1], picks[4]] = [picks[4], picks[1]];
    for (let i = 0; i < 6; i++) await cards.nth(i).locator('label').nth(picks[i] - 1).tap();
    await page.getByRole('button', { name: 'Проверь!' }).tap();
    await page.locator('#result', { hasText: 'Правильных ответов: 4.' }).waitFor();
    await cards.nth(1).scrollIntoViewIfNeeded();
    await page.evaluate(() => scrollBy(0, -120));
    await page.screenshot({ path: after });
    console.log(`wrote ${before} and ${after}`);
} finally {
    server?.proc.kill();
    await browser.close();
}
