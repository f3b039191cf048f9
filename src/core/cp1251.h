#pragma once

#include <QByteArray>
#include <QString>

// The quiz page is written in Windows-1251. A character that code page cannot hold is written as
// an HTML numeric character reference ("&#8364;"-style, one per code point) so that nothing the
// user typed is lost or turned into "?".
QByteArray toWindows1251(const QString& text);

// Bytes that the code page leaves undefined come back as U+FFFD.
QString fromWindows1251(const QByteArray& bytes);
