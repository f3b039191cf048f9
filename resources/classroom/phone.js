// SPDX-License-Identifier: GPL-3.0-or-later
// The pupil's page in class. It asks for a name (POST join), builds the quiz from quiz.json and
// sends every check (POST result); the marks come from the teacher's computer, which alone knows
// the answer order. A check that finds no teacher's computer waits in a queue and goes again.
"use strict";
(function () {
  const Texts = {
    offline: "Нет связи с компьютером учителя. Проверь сеть и нажми ещё раз.",
    queued: "Нет связи с компьютером учителя. Ответ сохранён и будет отправлен, как только связь вернётся.",
    ended: "Урок закончился или начался заново. Отсканируй QR-код учителя ещё раз.",
    noQuiz: "Не удаётся загрузить викторину. Обнови страницу.",
    right: "Правильно",
    wrong: "Неправильно",
    picture: "Картинка ",
    chosen: (n) => "Выбрано " + n + " из 6",
    score: (k) => "Правильных ответов: " + k + ".",
    sending: "Отправляю…",
  };
  const Retry = { first: 2000, last: 30000 };
  const PresenceEvery = 10000;
  // A request the teacher's computer took in but never answered counts as lost.
  const Patience = 20000;

  // The pupil's place in the lesson: token, names, checks counted, the chosen numbers and the
  // checks not yet delivered. One record per lesson code, in local storage, so every tab, a reload
  // and a tab the phone discarded are the same pupil; this tab's storage where there is none.
  const lessonCode = location.pathname.split("/")[1] || "";
  const usable = (name) => {
    try {
      const area = window[name];
      area.setItem("quirvel-probe", "1");
      area.removeItem("quirvel-probe");
      return area;
    } catch (e) { return null; }
  };
  const saved = {
    area: usable("localStorage") || usable("sessionStorage"),
    key: "quirvel-" + lessonCode,
    load() {
      try {
        const state = JSON.parse(this.area.getItem(this.key));
        if (state && /^[0-9a-f]{32}$/.test(state.token)) {
          if (!Array.isArray(state.answers) || state.answers.length !== 6) state.answers = fresh().answers;
          if (!Array.isArray(state.queue)) state.queue = [];
          return state;
        }
      } catch (e) { /* nothing kept, or not ours */ }
      return null;
    },
    // The highest check another tab of this pupil counted: a seq is never given to two checks.
    seq(token) {
      const other = this.load();
      return other && other.token === token ? Number(other.seq) || 0 : 0;
    },
    save(state) {
      state.seq = Math.max(state.seq || 0, this.seq(state.token));
      try { this.area.setItem(this.key, JSON.stringify(state)); } catch (e) { /* private mode */ }
    },
    forget() { try { this.area.removeItem(this.key); } catch (e) { /* private mode */ } },
  };

  const $ = (id) => document.getElementById(id);
  const joinForm = $("join"), nameBox = $("name"), problem = $("problem"), me = $("me");
  const playForm = $("play"), result = $("result"), count = $("count");
  let state = null, cards = [], busy = false, ended = false, retryTimer = 0, retryDelay = Retry.first, beaconed = "open";

  function fresh() {
    return { seq: 0, answers: [null, null, null, null, null, null], queue: [] };
  }

  function element(tag, props, children) {
    const node = document.createElement(tag);
    Object.assign(node, props || {});
    for (const child of children || []) node.append(child);
    return node;
  }

  function post(what, body) {
    const stop = new AbortController();
    const timer = setTimeout(() => stop.abort(), Patience);
    return fetch(what, {
      method: "POST", cache: "no-store", headers: { "Content-Type": "application/json" },
      body: JSON.stringify(body), signal: stop.signal,
    }).then((reply) => reply.json().catch(() => ({})).then((data) => ({ status: reply.status, data })),
      () => ({ status: 0, data: {} })).then((reply) => {
      clearTimeout(timer);
      if (reply.status === 404) end();
      return reply;
    });
  }

  function failure(reply) {
    return reply.status === 0 ? Texts.offline : reply.data.error || Texts.offline;
  }

  function build(quiz) {
    $("pictures").replaceChildren(...quiz.pictures.map((picture, i) => {
      // The size keeps the place of a picture not yet loaded, so the ones below stay below the fold.
      const size = picture.width > 0 && picture.height > 0 ? { width: picture.width, height: picture.height } : {};
      const image = element("img", {
        src: picture.src, alt: Texts.picture + picture.number, decoding: "async", loading: i ? "lazy" : "eager", ...size,
      });
      const caption = element("figcaption", { textContent: "(" + picture.number + "). " + picture.question });
      return element("li", {}, [element("figure", {}, [image, caption])]);
    }));
    cards = quiz.answers.map((answer, i) => {
      const numbers = quiz.pictures.map((picture) => {
        const input = element("input", { type: "radio", name: "a" + i, value: String(picture.number) });
        input.setAttribute("aria-label", Texts.picture + picture.number);
        input.addEventListener("change", () => choose(i, picture.number));
        return element("label", {}, [input, element("span", { textContent: String(picture.number), ariaHidden: "true" })]);
      });
      const mark = element("p", { className: "mark" });
      const card = element("fieldset", { className: "card" },
        [element("legend", { textContent: answer }), element("div", { className: "numbers" }, numbers), mark]);
      return { card, mark, inputs: card.querySelectorAll("input") };
    });
    $("answers").replaceChildren(...cards.map((c) => c.card));
  }

  function showCount() {
    count.textContent = Texts.chosen(state.answers.filter((a) => a !== null).length);
  }

  function showMark(i, right) {
    const c = cards[i];
    c.card.classList.toggle("right", right === true);
    c.card.classList.toggle("wrong", right === false);
    c.mark.textContent = right === true ? Texts.right : right === false ? Texts.wrong : "";
  }

  function showAnswers() {
    cards.forEach((c, i) => {
      c.inputs.forEach((input) => { input.checked = state !== null && Number(input.value) === state.answers[i]; });
      showMark(i, null);
    });
  }

  function choose(i, number) {
    state.answers[i] = number;
    saved.save(state);
    // The old mark was for the old number.
    showMark(i, null);
    showCount();
  }

  function play() {
    joinForm.hidden = true;
    problem.textContent = "";
    $("who").textContent = state.shown;
    me.hidden = false;
    playForm.hidden = false;
    showAnswers();
    showCount();
  }

  function askName(text) {
    playForm.hidden = true;
    me.hidden = true;
    joinForm.hidden = false;
    problem.textContent = text || "";
    nameBox.value = state ? state.name : "";
    nameBox.focus();
  }

  // The lesson this page belongs to is gone: nothing it holds can reach anyone.
  function end() {
    ended = true;
    clearTimeout(retryTimer);
    saved.forget();
    state = null;
    joinForm.hidden = playForm.hidden = me.hidden = true;
    problem.textContent = Texts.ended;
  }

  // The teacher no longer knows this token: the pupil joins again under the same name.
  function unknown(reply) {
    clearTimeout(retryTimer);
    saved.forget();
    state = { name: state.name };
    askName(failure(reply));
  }

  function join(name, token) {
    const body = token ? { name, token } : { name };
    return post("join", body).then((reply) => {
      if (ended) return;
      if (reply.status !== 200) {
        if (token && reply.status === 403) unknown(reply);
        else askName(failure(reply));
        return;
      }
      const kept = state && state.token === reply.data.token ? state : fresh();
      state = { ...kept, token: reply.data.token, name, shown: reply.data.name || name };
      saved.save(state);
      play();
      if (!token) $("pictures-title").focus();
      if (state.queue.length) {
        result.textContent = Texts.sending;
        deliverNow();
      }
    });
  }

  // Sends the oldest waiting check, and the next when it is through. Each keeps its seq however
  // often it goes, so the teacher's computer counts it once even when only its reply was lost.
  function deliver() {
    clearTimeout(retryTimer);
    if (busy || ended || !state || !state.token || !state.queue.length) return;
    busy = true;
    const token = state.token, check = state.queue[0];
    post("result", { token, answers: check.answers, seq: check.seq }).then((reply) => {
      busy = false;
      if (ended || !state || state.token !== token) return;
      if (reply.status === 403) return unknown(reply);
      if (reply.status === 0 || reply.status === 429 || reply.status >= 500) {
        result.textContent = reply.status === 429 ? failure(reply) : Texts.queued;
        retryTimer = setTimeout(deliver, retryDelay);
        retryDelay = Math.min(2 * retryDelay, Retry.last);
        return;
      }
      retryDelay = Retry.first;
      state.queue.shift();
      saved.save(state);
      const marks = reply.data.marks;
      if (reply.status !== 200) {
        result.textContent = failure(reply);
      } else if (!state.queue.length && Array.isArray(marks) && marks.length === 6 && reply.data.seq === check.seq) {
        // A card changed since this check was made keeps no mark.
        marks.forEach((right, i) => showMark(i, check.answers[i] === state.answers[i] ? right === true : null));
        result.textContent = Texts.score(marks.filter((right) => right === true).length);
      }
      deliver();
    });
  }

  function deliverNow() {
    retryDelay = Retry.first;
    deliver();
  }

  function sendCheck() {
    const last = state.queue[state.queue.length - 1];
    // Pressed again while the same answers still wait: the same try, sent at once.
    if (!last || last.answers.some((a, i) => a !== state.answers[i])) {
      // Counted before it is sent: a check lost on the way is still a try, and a later one never
      // reuses its number for other answers, not even in another tab.
      state.seq = Math.max(state.seq || 0, saved.seq(state.token)) + 1;
      state.queue.push({ seq: state.seq, answers: state.answers.slice() });
      saved.save(state);
    }
    result.textContent = Texts.sending;
    deliverNow();
  }

  function notMe() {
    clearTimeout(retryTimer);
    saved.forget();
    state = null;
    showAnswers();
    result.textContent = "";
    askName();
  }

  // Tells the teacher's table that this page is open; an answer means the way is clear again.
  function reportOpen() {
    if (ended || !state || !state.token || document.visibilityState !== "visible") return;
    const token = state.token;
    post("presence", { token, state: "open" }).then((reply) => {
      if (ended || !state || state.token !== token) return;
      if (reply.status === 403) unknown(reply);
      else if (reply.status >= 200 && reply.status < 300) deliverNow();
    });
  }

  // Also while the page is being hidden or closed, when a fetch may never leave. Leaving hides
  // the page before it goes: one report for both.
  function beacon(kind) {
    if (kind === beaconed || ended || !state || !state.token || !navigator.sendBeacon) return;
    beaconed = kind;
    navigator.sendBeacon("presence", JSON.stringify({ token: state.token, state: kind }));
  }

  joinForm.addEventListener("submit", (event) => {
    event.preventDefault();
    const name = nameBox.value.trim();
    if (name) join(name, state && state.token);
  });
  playForm.addEventListener("submit", (event) => {
    event.preventDefault();
    sendCheck();
  });
  $("not-me").addEventListener("click", notMe);
  setInterval(reportOpen, PresenceEvery);
  document.addEventListener("visibilitychange", () => {
    const visible = document.visibilityState === "visible";
    beacon(visible ? "open" : "hidden");
    if (visible) deliverNow();
  });
  window.addEventListener("pagehide", () => beacon("hidden"));
  window.addEventListener("online", deliverNow);
  // Another tab said "Это не я", or joined as someone else: this one follows it.
  window.addEventListener("storage", (event) => {
    if (event.key === saved.key && state && state.token && (saved.load() || {}).token !== state.token) location.reload();
  });

  fetch("quiz.json", { cache: "no-store" }).then((reply) => {
    if (reply.status === 404) return end();
    if (!reply.ok) throw new Error(String(reply.status));
    return reply.json().then((quiz) => {
      build(quiz);
      state = saved.load();
      if (state) join(state.name, state.token);
      else askName();
    });
  }).catch(() => { problem.textContent = Texts.noQuiz; });
})();
