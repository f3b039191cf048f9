// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class ExportedQuiz;

// A SCORM 1.2 package of the quiz for a school's LMS: imsmanifest.xml, the launch page, the
// folder's start.htm unchanged, the six small pictures and the eight decorations, as a ZIP file
// written whole or not at all. Throws QuirvelError.
void writeScormPackage(const ExportedQuiz& quiz, const QString& file);
