// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The three ways a generated quiz folder leaves the computer: one page file with the pictures
// inside, a SCORM package, a sheet to print.
enum class QuizExport { Page, Scorm, Sheet };
