// SPDX-License-Identifier: GPL-3.0-or-later
#include "classroom/pupilpage.h"

#include "classroom/pupilresult.h"

namespace
{

// The pupil's token (made by the server at the join), name and count of checks live in the tab's
// session storage under the lesson's path: a reload keeps them, another tab, another pupil on the
// same computer or the next lesson starts afresh. The quiz page's Check is wrapped the way the
// SCORM launch page does it: its script appends to the results box only after a confirmed check.
const char PupilScript[] = R"~~(
(function () {
  var store = window.sessionStorage, key = "quirvel:" + location.pathname.replace(/[^\/]*$/, "") + ":";
  var form = document.getElementById("join"), nameBox = document.getElementById("name");
  var status = document.getElementById("status"), frame = document.getElementById("quiz");
  function say(text) { status.textContent = text; }
  function post(what, body, done) {
    var request = new XMLHttpRequest();
    request.open("POST", what);
    request.setRequestHeader("Content-Type", "application/json");
    request.onload = function () {
      var reply = {};
      try { reply = JSON.parse(request.responseText); } catch (e) {}
      done(request.status, reply);
    };
    request.onerror = function () { done(0, {}); };
    request.send(JSON.stringify(body));
  }
  var Offline = "\u041d\u0435\u0442 \u0441\u0432\u044f\u0437\u0438 \u0441 \u043a\u043e\u043c\u043f\u044c\u044e\u0442\u0435\u0440\u043e\u043c \u0443\u0447\u0438\u0442\u0435\u043b\u044f.";
  function start(name) {
    var body = { name: name }, token = store.getItem(key + "token");
    if (token) body.token = token;
    post("join", body, function (code, reply) {
      if (code !== 200) { say(code ? reply.error || "" : Offline); form.hidden = false; return; }
      store.setItem(key + "token", reply.token);
      store.setItem(key + "name", name);
      form.hidden = true;
      document.getElementById("who").textContent = reply.name;
      say("");
      frame.hidden = false;
      frame.src = "start.htm";
    });
  }
  form.addEventListener("submit", function (event) {
    event.preventDefault();
    var name = nameBox.value.trim();
    if (name) start(name);
  });
  function report(doc) {
    var answers = [];
    for (var i = 0; i < 6; i++) {
      var cell = doc.forms["form" + i], value = cell ? Number(cell.amount.value) : 0;
      // Any other text is never right; the server takes only picture numbers.
      answers.push(value >= 1 && value <= 6 && value === Math.floor(value) ? value : null);
    }
    var seq = Number(store.getItem(key + "seq") || 0) + 1;
    store.setItem(key + "seq", String(seq));
    post("result", { token: store.getItem(key + "token"), answers: answers, seq: seq },
      function (code, reply) {
        say(code === 200 ? "\u0420\u0435\u0437\u0443\u043b\u044c\u0442\u0430\u0442 \u043e\u0442\u043f\u0440\u0430\u0432\u043b\u0435\u043d \u0443\u0447\u0438\u0442\u0435\u043b\u044e." : code ? reply.error || "" : Offline);
      });
  }
  frame.addEventListener("load", function () {
    var quiz = frame.contentWindow;
    if (!quiz || typeof quiz.Check !== "function") return;
    var check = quiz.Check;
    quiz.Check = function () {
      var doc = quiz.document, box = doc.getElementsByName("rez")[0];
      var before = box ? box.value.length : 0;
      try {
        return check.apply(this, arguments);
      } finally {
        if (box && box.value.length > before) report(doc);
      }
    };
  });
  var saved = store.getItem(key + "name");
  if (saved) { nameBox.value = saved; start(saved); }
})();
)~~";

QByteArray escaped(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

QByteArray pupilPage(const QString& title)
{
    return "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           escaped(title) +
           "</title>\n<style>\n"
           "[hidden] { display: none !important; }\n"
           "html, body { margin: 0; height: 100%; font-family: sans-serif; }\n"
           "body { display: flex; flex-direction: column; }\n"
           "header { padding: 4px 8px; background: #eef; font-size: 14px; }\n"
           "#join { padding: 16px; font-size: 18px; }\n"
           "#join input { font-size: 18px; }\n"
           "iframe { flex: 1; display: block; border: 0; width: 100%; }\n"
           "</style></head><body>\n"
           "<header><b id=\"who\"></b> <span id=\"status\" role=\"status\"></span></header>\n"
           "<form id=\"join\"><label for=\"name\">Как тебя зовут?</label><br>\n"
           "<input id=\"name\" name=\"name\" maxlength=\"" +
           QByteArray::number(MaxPupilNameLength) +
           "\" autocomplete=\"off\" required autofocus>\n"
           "<button type=\"submit\">Начать</button></form>\n"
           "<iframe id=\"quiz\" title=\"" +
           escaped(title) + "\" hidden></iframe>\n<script>" + QByteArray(PupilScript) +
           "</script>\n</body></html>\n";
}
