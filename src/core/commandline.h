// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quizexportkind.h"

#include <QString>
#include <QStringList>

// What the program was started with: --help, --version, one optional quiz folder to reopen, or
// an export of a quiz folder into a file (--export-page, --export-scorm, --print-sheet FILE), or
// a quiz played in class from the command line (--classroom).
struct CommandLine {
    enum class Outcome { Run, Print, Fail, Export, Classroom };
    Outcome outcome = Outcome::Run;
    // For Print, the text for standard output; for Fail, the one for standard error.
    QString text;
    // Absolute path of the quiz to reopen or export; empty when none was given.
    QString quizFolder;
    // For Export: what to make, and the absolute path of the file it replaces.
    QuizExport exportKind = QuizExport::Page;
    QString exportFile;
    // An export option is present, even on a first reading that leaves the rest for later.
    bool exportAsked = false;
    // For Classroom: where to listen (an empty address: every IPv4 one), the spreadsheet written
    // at the end (none when empty), and the limits per minute and per class.
    struct Classroom {
        int port = 8765;
        QString address;
        QString csvFile;
        int resultsPerPupil = 20;
        int joinsPerAddress = 60;
        int pupils = 200;
        int pupilsPerAddress = 40;
        // A new lesson instead of today's of the same quiz going on.
        bool newLesson = false;
    } classroom;
};

// Reads the arguments, the program's own path first. Qt's own options (-platform, -style ...)
// belong to the application object, which takes them out of the list. So the line is read twice:
// before that object exists, with qtOptionsPresent set, only --help and --version are answered,
// since they must work without a display, and mistakes that involve none of Qt's options; after,
// with the rest of the line, everything counts.
CommandLine readCommandLine(const QStringList& arguments, bool qtOptionsPresent);
