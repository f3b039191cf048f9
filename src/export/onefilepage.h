// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class ExportedQuiz;

// The quiz page as one file to send: the folder's start.htm byte for byte, except that every
// picture and decoration it names (the background, the number images, the pictures, the
// separator lines) is a data: URI of that file's bytes.
QByteArray oneFilePage(const ExportedQuiz& quiz);
