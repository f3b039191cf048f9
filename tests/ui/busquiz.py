#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# busquiz.py BUSWINDOW: what a screen-reader user meets in the quiz window, read through AT-SPI
# as Orca reads it. Every showing focus stop has a name of its own; then a whole quiz is made
# without a pointer: fields found by name and filled through the editable-text interface,
# buttons pressed through the action interface, slots changed by Alt+digit, pictures chosen by
# arrow keys in the file list; the questions on the way (a draft, a file to replace, exit) are read
# and answered on the bus too. The page written must hold what was entered and be answered right
# by keyboard.
import atexit, json, os, shutil, subprocess, sys, tempfile, time
import pyatspi
from gi.repository import GLib

out = tempfile.mkdtemp()
atexit.register(shutil.rmtree, out, True)
window_process = subprocess.Popen([sys.argv[1], out], stdout=subprocess.PIPE, text=True)
events = []
pyatspi.Registry.registerEventListener(
    lambda e: events.append((e.type, e.source.name, e.source.getRole())),
    'object:property-change:accessible-name', 'object:property-change:accessible-value')


def wait_for(find, what):
    for _ in range(300):
        while GLib.MainContext.default().iteration(False):
            pass
        found = find()
        if found is not None:
            return found
        time.sleep(0.05)
    sys.exit('never found: ' + what)


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def showing(node, *states):
    return all(node.getState().contains(s) for s in (pyatspi.STATE_SHOWING,) + states)


app = wait_for(lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == 'buswindow'
                             and a.childCount), None), 'the window on the bus')
window = app[0]


def answer_box(text, button):
    # As Orca meets a question: an alert named by its caption, its text, and named buttons.
    box = wait_for(lambda: next((w for w in app if w and w.getRole() == pyatspi.ROLE_ALERT
                                 and text in [n.name for n in walk(w)]), None), text)
    buttons = {n.name: n for n in walk(box) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON}
    assert box.name.strip() and set(buttons) == {'Yes', 'No'}, (box.name, list(buttons))
    buttons[button].queryAction().doAction(0)
    wait_for(no_box, 'the box gone')


def no_box():
    # Until the box has gone, the window takes nothing from the bus either.
    try:
        return None if any(w and w.getRole() == pyatspi.ROLE_ALERT for w in app) else True
    except GLib.Error:  # the program has ended
        return True


answer_box('Восстановить несгенерированную викторину?', 'No')

stops = [n for n in walk(window) if showing(n, pyatspi.STATE_FOCUSABLE)
         and n.getRole() not in (pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TABLE_CELL)]
names = [n.name for n in stops]
assert len(stops) == 24 and all(names) and len(set(names)) == 24, names


def named(name):
    return wait_for(lambda: next((n for n in walk(window) if n.name == name and showing(n)), None), name)


def keys(*keys):
    subprocess.run(['xdotool', 'key', '--delay', '50'] + list(keys), check=True)


# The window manager may leave a new window unfocused; keys go to the focused one. A window that
# goes while xdotool looks through them (the draft box just answered) fails that try.
wait_for(lambda: subprocess.run(['xdotool', 'search', '--sync', '--name', 'QUIRVEL', 'windowactivate',
                                 '--sync'], stderr=subprocess.DEVNULL).returncode == 0 or None,
         'the window focused')
title = 'Звери «леса»'
texts = [('Кто колючий?', 'Ёж'), ('Кто летает?', 'Воробей'), ('Кто плавает?', 'Карп'),
         ('Кто рычит?', 'Лев'), ('Кто мычит?', 'Корова'), ('Кто прыгает?', 'Кенгуру')]
for k, (question, answer) in enumerate(texts, 1):
    if k % 2:
        named(f'Картинка {k}').queryAction().doAction(0)
    else:
        keys(f'alt+{k}')
    # Qt's lists take no focus through the bus: from the Info button, Tab passes the folders.
    # The list starts on 1.jpg unselected and stays on the file last chosen.
    named('Info').queryComponent().grabFocus()
    keys('Tab', 'Tab', 'space' if k == 1 else 'Down')
    wait_for(lambda: 'выбрана: %d.jpg' % k == named(f'Картинка {k}').description or None, f'picture {k}')
    named(f'Вопрос к картинке {k}').queryEditableText().setTextContents(question)
    named(f'Ответ к картинке {k}').queryEditableText().setTextContents(answer)
named('Название викторины').queryEditableText().setTextContents(title)
named('Генерация - просмотр').queryAction().doAction(0)
# The window takes no input while it generates; its draft goes once it holds the quiz written.
draft = f'{out}/program/drafts/draft-{window_process.pid}.json'
wait_for(lambda: None if os.path.exists(draft) else True, 'the generation')
# The quiz menu's second entry, the one-file export, to a file that is there already.
keys('shift+F10', 'Down', 'Down', 'Return')
answer_box('Файл «taken.htm» уже есть. Заменить?', 'No')
named('Название викторины').queryEditableText().setTextContents(title + '!')
named('Выход').queryAction().doAction(0)
answer_box('Изменения не сгенерированы. Выйти без сохранения?', 'Yes')
seen = json.loads(window_process.communicate(timeout=30)[0])
# A slot switch renames the panel's fields; the progress and the status line report their changes.
for kind, role in [('value', pyatspi.ROLE_PROGRESS_BAR), ('name', pyatspi.ROLE_LABEL)]:
    assert any(t.endswith(kind) and r == role for t, _, r in events), (kind, role, events)
assert ('object:property-change:accessible-name', 'Вопрос к картинке 2', pyatspi.ROLE_TEXT) in events
assert len(seen['opened']) == 1, seen
page = open(seen['opened'][0], encoding='cp1251').read()
for text in [title] + [t for pair in texts for t in pair]:
    assert text in page, text
subprocess.run(['node', os.path.join(os.path.dirname(__file__), '../browser/answer-by-keys.mjs'),
                seen['opened'][0], json.dumps({a: k for k, (_, a) in enumerate(texts, 1)})], check=True)
