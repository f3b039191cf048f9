// SPDX-License-Identifier: GPL-3.0-or-later
// A picture saved under each Exif orientation tag: QUIRVEL's preview and chromium's rendering of
// the generated page must show its marks in the same corners, and the copied file is unchanged.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { closeQuiz, makeProgramFolder, makeQuiz, openQuiz, startBrowser } from './lib.mjs';

// Where the red (top-left when stored) and the blue (top-right) marks must be seen.
const Expected = {
    'tag-1': ['TL', 'TR'], 'tag-2': ['TR', 'TL'], 'tag-3': ['BR', 'BL'], 'tag-4': ['BL', 'BR'],
    'tag-5': ['TL', 'BL'], 'tag-6': ['TR', 'BR'], 'tag-7': ['BR', 'TR'], 'tag-8': ['BL', 'TL'],
    'tag-9': ['TL', 'TR'], cut: ['TL', 'TR'],
};
const Marks = { red: [220, 30, 30], blue: [30, 30, 220], grey: [128, 128, 128] };
const Corners = ['TL', 'TR', 'BL', 'BR'];

let browser;
let cases;
let quizzes;

before(async () => {
    browser = await startBrowser();
    const tool = process.env.QUIRVEL_ORIENTED_PREVIEWS;
    if (!tool) throw new Error('QUIRVEL_ORIENTED_PREVIEWS is not set (see tests/CMakeLists.txt)');
    const out = execFileSync(tool, [path.join(browser.workDir, 'previews')], {
        encoding: 'utf8',
        env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' },
    });
    cases = JSON.parse(out);
    assert.deepEqual(cases.map((c) => c.name).sort(), Object.keys(Expected).sort());
    // Two quizzes of six slots hold the ten pictures; the last two slots repeat the first two.
    const programFolder = makeProgramFolder(browser.workDir);
    quizzes = [cases.slice(0, 6), [...cases.slice(6), ...cases.slice(0, 2)]].map((slots, i) => ({
        slots,
        ...makeQuiz(
            {
                title: `Ориентация ${i + 1}`,
                order: [1, 2, 3, 4, 5, 6],
                slots: slots.map((c) => ({ picture: c.picture, question: c.name, answer: c.name })),
            },
            { programFolder },
        ),
    }));
});

after(async () => {
    await browser?.close();
});

// Mean colour of each corner's fifth of a PNG, read back through a canvas of a blank page.
async function cornerColours(png) {
    const page = await browser.instance.newPage();
    try {
        return await page.evaluate(async (b64) => {
            const img = new Image();
            img.src = `data:image/png;base64,${b64}`;
            await img.decode();
            const canvas = document.createElement('canvas');
            canvas.width = img.naturalWidth;
            canvas.height = img.naturalHeight;
            const g = canvas.getContext('2d');
            g.drawImage(img, 0, 0);
            const w = Math.floor(canvas.width / 5);
            const h = Math.floor(canvas.height / 5);
            const mean = (x, y) => {
                const d = g.getImageData(x, y, w, h).data;
                const sum = [0, 0, 0];
                for (let i = 0; i < d.length; i += 4) for (let c = 0; c < 3; c++) sum[c] += d[i + c];
                return sum.map((s) => s / (w * h));
            };
            return [
                mean(0, 0), mean(canvas.width - w, 0),
                mean(0, canvas.height - h), mean(canvas.width - w, canvas.height - h),
            ];
        }, png.toString('base64'));
    } finally {
        await page.close();
    }
}

// { red, blue } corners of a rendering; each corner is named after the nearest mark colour.
async function markCorners(png) {
    const colours = await cornerColours(png);
    const nearest = colours.map((rgb) => {
        const distance = (mark) => Math.hypot(...mark.map((v, c) => v - rgb[c]));
        return Object.keys(Marks).reduce((a, b) => (distance(Marks[a]) <= distance(Marks[b]) ? a : b));
    });
    const where = (mark) => Corners.filter((_, i) => nearest[i] === mark).join(',');
    return { red: where('red'), blue: where('blue') };
}

test('preview and page show the marks in the same corners for every tag', async () => {
    for (const quiz of quizzes) {
        const page = await openQuiz(browser, quiz.page);
        await page.waitForFunction(() =>
            [...document.images].every((img) => img.complete && img.naturalWidth > 0),
        );
        for (const [i, c] of quiz.slots.entries()) {
            const k = i + 1;
            const [red, blue] = Expected[c.name];
            const quirvel = await markCorners(fs.readFileSync(c.preview));
            const chromium = await markCorners(await page.locator(`img[src^="${k}."]`).screenshot());
            assert.deepEqual(quirvel, { red, blue }, `QUIRVEL's preview of ${c.name}`);
            assert.deepEqual(chromium, quirvel, `chromium's picture ${k} (${c.name})`);
            assert.deepEqual(
                fs.readFileSync(path.join(quiz.quizFolder, `${k}.jpg`)),
                fs.readFileSync(c.picture),
                `${k}.jpg is a byte copy of ${c.name}`,
            );
        }
        await closeQuiz(page);
    }
});
