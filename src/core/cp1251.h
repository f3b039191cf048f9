// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The quiz page is written in Windows-1251. A character that code page cannot hold is written as
// an HTML numeric character reference ("&#8364;"-style, one per code point) so that nothing the
// user typed is lost or turned into "?".
QByteArray toWindows1251(const QString& text);

// Whether the code page has a byte for this code point, so that it is never written as a reference.
bool windows1251Holds(char32_t codePoint);

// Bytes that the code page leaves undefined come back as U+FFFD.
QString fromWindows1251(const QByteArray& bytes);
