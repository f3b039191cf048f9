#pragma once

#include <QString>
#include <QStringList>

// What the program was started with: --help, --version, or one optional quiz folder to reopen.
struct CommandLine {
    enum class Outcome { Run, Print, Fail };
    Outcome outcome = Outcome::Run;
    // For Print, the text for standard output; for Fail, the one for standard error.
    QString text;
    // Absolute path of the quiz to reopen; empty when none was given.
    QString quizFolder;
};

// Reads the arguments, the program's own path first. Qt's own options (-platform, -style ...)
// belong to the application object, which takes them out of the list. So the line is read twice:
// before that object exists, with qtOptionsPresent set, only --help and --version are answered,
// since they must work without a display, and mistakes that involve none of Qt's options; after,
// with the rest of the line, everything counts.
CommandLine readCommandLine(const QStringList& arguments, bool qtOptionsPresent);
