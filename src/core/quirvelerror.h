// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How this program reports a failure, one rule per layer: CONTRIBUTING.md, "Errors". Neither
// Qt's errorString() nor a library's English text ever reaches the user: where a library gives
// only its own message, the text names the library in Russian ("ошибка библиотеки JPEG").

#include <QString>
#include <exception>
#include <stdexcept>

class IDialogs;

// The one kind of error that ends an event handler. Its text is what the user sees in the
// standard error box, so it is written for the user, in Russian.
class QuirvelError : public std::runtime_error
{
public:
    explicit QuirvelError(const QString& text);
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// The error box adds a full stop unless the text already ends in one or in punctuation below it.
QString standardErrorText(const QString& text);

// "QUIRVEL.bin" -> "Quirvel"-style title: file name without folder and from the first dot on,
// every character after the first in lower case.
QString applicationTitleFrom(const QString& executablePath);

// Runs one event handler; whatever ends it early is shown in the standard error box and the
// program goes on with the steps already done.
template <class Handler> void guarded(IDialogs& dialogs, Handler&& handler);

void showStandardError(IDialogs& dialogs, const QString& text);
// An exception no code of ours words: its English detail goes to stderr, for a bug report; the
// user reads the Russian text returned (or shown in the box).
QString internalError(const std::exception& error);
void showInternalError(IDialogs& dialogs, const std::exception& error);

template <class Handler> void guarded(IDialogs& dialogs, Handler&& handler)
{
    try {
        handler();
    } catch (const QuirvelError& e) {
        showStandardError(dialogs, e.text());
    } catch (const std::exception& e) {
        showInternalError(dialogs, e);
    }
}
