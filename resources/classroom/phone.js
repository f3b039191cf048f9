// SPDX-License-Identifier: GPL-3.0-or-later
// The pupil's page in class. It asks for a name (POST join), builds the quiz from quiz.json and
// sends every check (POST result); the marks come from the teacher's computer, which alone knows
// the answer order.
"use strict";
(function () {
  const Texts = {
    offline: "Нет связи с компьютером учителя. Проверь сеть и нажми ещё раз.",
    noQuiz: "Не удаётся загрузить викторину. Обнови страницу.",
    right: "Правильно",
    wrong: "Неправильно",
    picture: "Картинка ",
    chosen: (n) => "Выбрано " + n + " из 6",
    score: (k) => "Правильных ответов: " + k + ".",
    sending: "Отправляю…",
  };

  // The pupil's place in the lesson: token, names, checks so far and the chosen numbers. One
  // record per lesson code; only the storage area decides how long it lives (this tab).
  const lessonCode = location.pathname.split("/")[1] || "";
  const saved = {
    area() { try { return window.sessionStorage; } catch (e) { return null; } },
    key() { return "quirvel-" + lessonCode; },
    load() {
      try {
        const state = JSON.parse(this.area().getItem(this.key()));
        if (state && /^[0-9a-f]{32}$/.test(state.token)) return state;
      } catch (e) { /* nothing kept, or not ours */ }
      return null;
    },
    save(state) { try { this.area().setItem(this.key(), JSON.stringify(state)); } catch (e) { /* private mode */ } },
    forget() { try { this.area().removeItem(this.key()); } catch (e) { /* private mode */ } },
  };

  const $ = (id) => document.getElementById(id);
  const joinForm = $("join"), nameBox = $("name"), problem = $("problem");
  const playForm = $("play"), result = $("result"), count = $("count"), check = $("check");
  let state = null, cards = [], sending = false;

  function element(tag, props, children) {
    const node = document.createElement(tag);
    Object.assign(node, props || {});
    for (const child of children || []) node.append(child);
    return node;
  }

  function post(what, body) {
    return fetch(what, {
      method: "POST", cache: "no-store", headers: { "Content-Type": "application/json" },
      body: JSON.stringify(body),
    }).then((reply) => reply.json().catch(() => ({})).then((data) => ({ status: reply.status, data })),
      () => ({ status: 0, data: {} }));
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
    $("who").hidden = false;
    playForm.hidden = false;
    cards.forEach((c, i) => c.inputs.forEach((input) => { input.checked = Number(input.value) === state.answers[i]; }));
    showCount();
  }

  function askName(text) {
    playForm.hidden = true;
    joinForm.hidden = false;
    problem.textContent = text || "";
    if (state) nameBox.value = state.name;
    nameBox.focus();
  }

  function join(name, token) {
    const body = token ? { name, token } : { name };
    return post("join", body).then((reply) => {
      if (reply.status !== 200) {
        // A token the server no longer knows is of no use again.
        if (token && reply.status === 403) { saved.forget(); state = { name }; }
        askName(failure(reply));
        return;
      }
      const kept = state && state.token === reply.data.token ? state : { seq: 0, answers: [null, null, null, null, null, null] };
      state = { ...kept, token: reply.data.token, name, shown: reply.data.name || name };
      saved.save(state);
      play();
      if (!token) $("pictures-title").focus();
    });
  }

  function sendCheck() {
    if (sending) return;
    sending = true;
    check.disabled = true;
    // Counted before it is sent: a check lost on the way is still a try, and a later one never
    // reuses its number for other answers.
    const seq = (state.seq || 0) + 1;
    state.seq = seq;
    saved.save(state);
    result.textContent = Texts.sending;
    post("result", { token: state.token, answers: state.answers, seq }).then((reply) => {
      sending = false;
      check.disabled = false;
      if (reply.status === 200 && reply.data.seq === seq && Array.isArray(reply.data.marks)) {
        reply.data.marks.forEach((right, i) => showMark(i, right === true));
        result.textContent = Texts.score(reply.data.marks.filter((right) => right === true).length);
      } else if (reply.status === 403) {
        saved.forget();
        askName(failure(reply));
      } else {
        result.textContent = failure(reply);
      }
    });
  }

  joinForm.addEventListener("submit", (event) => {
    event.preventDefault();
    const name = nameBox.value.trim();
    if (name) join(name);
  });
  playForm.addEventListener("submit", (event) => {
    event.preventDefault();
    sendCheck();
  });

  fetch("quiz.json", { cache: "no-store" }).then((reply) => {
    if (!reply.ok) throw new Error(String(reply.status));
    return reply.json();
  }).then((quiz) => {
    build(quiz);
    state = saved.load();
    if (state) join(state.name, state.token);
    else askName();
  }, () => { problem.textContent = Texts.noQuiz; });
})();
