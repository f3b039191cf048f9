// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// index.htm, the page a pupil opens: it asks for a name, shows start.htm in a frame as big as the
// screen and sends every confirmed check to the teacher.
QByteArray pupilPage(const QString& title);
