// SPDX-License-Identifier: GPL-3.0-or-later
// The classroom server's connections under clients that misbehave, from 127.0.0.x: the memory a
// client that never reads can hold, slow readers, trickled heads, pipelining, HEAD and HTTP/1.0.

import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import readline from 'node:readline';
import { after, before, test } from 'node:test';

import { makeProgramFolder, makeQuiz } from './lib.mjs';

let server, port, code, work;

before(async () => {
    work = fs.mkdtempSync(path.join(os.tmpdir(), 'quirvel-connections-'));
    const samples = path.resolve('../../samples');
    const pictures = ['car', 'fish', 'flower', 'house', 'sun', 'tree'].map((n) => path.join(samples, `${n}.jpg`));
    const slots = pictures.map((picture, k) => ({ picture, question: `Q${k}`, answer: `A${k}` }));
    const quiz = makeQuiz({ title: 'Связь', order: [1, 2, 3, 4, 5, 6], slots }, { programFolder: makeProgramFolder(work) });
    const env = { ...process.env, XDG_DATA_HOME: path.join(work, 'data') };
    const args = ['--classroom', quiz.quizFolder, '--port', '0', '--address', '127.0.0.1'];
    server = spawn(path.join(process.env.QUIRVEL_PROGRAM_DIR, 'quirvel'), args, { env, stdio: ['ignore', 'pipe', 'inherit'] });
    const url = await new Promise((resolve, reject) => {
        server.on('exit', (status) => reject(new Error(`quirvel ended with ${status}`)));
        readline.createInterface({ input: server.stdout }).once('line', resolve);
    });
    [, port, code] = /:(\d+)\/([a-z2-7]{20})\/$/.exec(url);
});

after(() => { server?.kill('SIGKILL'); fs.rmSync(work, { recursive: true, force: true }); });

const rss = () => Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${server.pid}/status`, 'utf8'))[1]) * 1024;
const get = (target, fields = '', method = 'GET', version = '1.1') => `${method} ${target} HTTP/${version}\r\nHost: x\r\n${fields}\r\n`;

// A connection from the address from; .text is all it received, .ended resolves when it closed.
function connect(from = '127.0.0.1') {
    const socket = net.connect({ port, host: '127.0.0.1', localAddress: from });
    socket.text = Buffer.alloc(0);
    socket.on('data', (d) => (socket.text = Buffer.concat([socket.text, d]))).on('error', () => {});
    socket.ended = new Promise((resolve) => socket.on('close', resolve));
    return socket;
}
const count = (socket, what) => socket.text.toString('latin1').split(what).length - 1;
const waitFor = async (check) => { while (!check()) await new Promise((r) => setTimeout(r, 50)); };

test('clients that never read hold little; slow readers get everything; trickled heads end', async () => {
    const picture = `/${code}/1.jpg`;
    const before = rss();
    // 100 clients on 4 addresses, 400 pipelined picture requests each, never read.
    const hogs = Array.from({ length: 100 }, (_, i) => connect(`127.0.0.${2 + (i % 4)}`));
    hogs.forEach((s) => { s.pause(); s.write(get(picture).repeat(400)); });
    await new Promise((r) => setTimeout(r, 3000));
    assert.ok(rss() - before < 20 << 20, `the server grew by ${(rss() - before) >> 20} MB`);
    hogs.forEach((s) => s.destroy());

    // A reader slower than the idle time, and a head sent a byte a second, side by side.
    const slow = connect();
    slow.pause();
    slow.write(get(picture).repeat(30));
    const trickle = connect();
    const request = get(`/${code}/`);
    let sent = 0;
    const drip = setInterval(() => sent < request.length && trickle.write(request[sent++]), 1000);
    await new Promise((r) => setTimeout(r, 7000));
    slow.resume();
    await waitFor(() => count(slow, 'HTTP/1.1 200') === 30);
    await trickle.ended;
    clearInterval(drip);
    assert.equal(count(trickle, 'HTTP/1.1'), 0, 'a head that never ends is not answered');
    slow.destroy();
});

test('pipelining, HEAD, HTTP/1.0 and Connection: close', async () => {
    // Far more than one request's cap, in small requests: every one is answered.
    const many = connect();
    many.write(get(`/${code}/`).repeat(400));
    await waitFor(() => count(many, 'HTTP/1.1 200') === 400);
    // A request over the cap behind two good ones: they are answered, then it is refused.
    const big = connect();
    big.write(get(`/${code}/`).repeat(2) + get(`/${code}/`, `X-Pad: ${'p'.repeat(20000)}\r\n`));
    await big.ended;
    assert.deepEqual(big.text.toString('latin1').match(/HTTP\/1\.1 \d+/g), ['HTTP/1.1 200', 'HTTP/1.1 200', 'HTTP/1.1 413']);

    const head = connect();
    head.write(get(`/${code}/1.jpg`, '', 'HEAD') + get(`/${code}/1.jpg`));
    await waitFor(() => /HTTP\/1\.1 200[^]*HTTP\/1\.1 200[^]*\r\n\r\n/.test(head.text.toString('latin1')));
    const [first, second] = head.text.toString('latin1').split(/(?=HTTP\/1\.1 200)/);
    assert.equal(first.length, first.indexOf('\r\n\r\n') + 4, 'HEAD has no body');
    assert.equal(first, second.slice(0, second.indexOf('\r\n\r\n') + 4), 'HEAD has the headers of GET');

    // Closed right after the reply, long before the idle time (5 s) would.
    for (const [name, request] of [['HTTP/1.0', get(`/${code}/`, '', 'GET', '1.0')],
        ['Connection: close', get(`/${code}/`, 'Connection: close\r\n')]]) {
        const socket = connect();
        const started = Date.now();
        socket.write(request);
        await socket.ended;
        assert.equal(count(socket, 'HTTP/1.1 200'), 1, name);
        assert.ok(Date.now() - started < 3000, `${name}: closed after ${Date.now() - started} ms`);
    }
    // A class connecting at once waits in a long queue, not for SYN retries.
    const listening = execFileSync('ss', ['-ltnH', `sport = :${port}`], { encoding: 'utf8' });
    assert.equal(listening.trim().split(/\s+/)[2], '1024');
    many.destroy(); big.destroy(); head.destroy();
});
