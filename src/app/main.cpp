// SPDX-License-Identifier: GPL-3.0-or-later
#include "config-quirvel.h"

#include "classroom/classroomcommand.h"
#include "core/commandline.h"
#include "core/privateruntimefolder.h"
#include "core/programplaces.h"
#include "core/quirvelerror.h"
#include "core/quizrecovery.h"
#include "export/quizexport.h"
#include "ui/aboutdialog.h"
#include "ui/generationinfodialog.h"
#include "ui/mainwindow.h"
#include "ui/qtdialogs.h"
#include "ui/qtpauser.h"
#include "ui/qtshell.h"
#include "ui/standardtextstranslator.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace
{

// Writes the export the command line asked for: 0 done, 1 failed with the reason on stderr. A
// picture sent only in part is named on stderr too, but the export is done.
int runExport(const CommandLine& line)
{
    try {
        const QString supplied =
            resolveProgramPlaces(QCoreApplication::applicationDirPath()).suppliedFolder;
        for (const QString& notice :
             exportQuiz(line.exportKind, line.quizFolder, line.exportFile, supplied))
            std::fputs((notice + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        // A script, or a teacher at the terminal, learns where the file went.
        std::fputs((line.exportFile + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
        return 0;
    } catch (const QuirvelError& e) {
        std::fputs((standardErrorText(e.text()) + QLatin1Char('\n')).toLocal8Bit().constData(),
                   stderr);
    } catch (const std::exception& e) {
        std::fputs(
            (standardErrorText(internalError(e)) + QLatin1Char('\n')).toLocal8Bit().constData(),
            stderr);
    }
    return 1;
}

// An export needs no display: only the sheet, which needs fonts, gets a GUI application, and
// that one on the offscreen platform.
int runExport(const CommandLine& line, int argc, char* argv[])
{
    if (line.exportKind != QuizExport::Sheet) {
        QCoreApplication app(argc, argv);
        return runExport(line);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return runExport(line);
}

// Prints what the command line asked for; true when the program ends here.
bool answered(const CommandLine& line, int& exitCode)
{
    if (line.outcome == CommandLine::Outcome::Run || line.outcome == CommandLine::Outcome::Export ||
        line.outcome == CommandLine::Outcome::Classroom)
        return false;
    const bool failed = line.outcome == CommandLine::Outcome::Fail;
    std::fputs(line.text.toLocal8Bit().constData(), failed ? stderr : stdout);
    exitCode = failed ? 2 : 0;
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    // --help and --version are answered before anything needs a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    int exitCode = 0;
    const CommandLine first = readCommandLine(arguments, true);
    if (answered(first, exitCode))
        return exitCode;
    // Only an export gets a runtime folder of its own, made before Qt looks for one: the window's
    // browser and xdg-open must inherit the session's real one.
    std::optional<PrivateRuntimeFolder> runtimeFolder;
    if (first.exportAsked)
        runtimeFolder.emplace();
    if (first.outcome == CommandLine::Outcome::Export)
        return runExport(first, argc, argv);
    if (first.outcome == CommandLine::Outcome::Classroom)
        return runClassroomCommand(first, argc, argv);

    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/about/icon.png")));
    StandardTextsTranslator russianTexts;
    QCoreApplication::installTranslator(&russianTexts);
    const CommandLine line = readCommandLine(QApplication::arguments(), false);
    if (answered(line, exitCode))
        return exitCode;
    if (line.outcome == CommandLine::Outcome::Export)
        return runExport(line);
    if (line.outcome == CommandLine::Outcome::Classroom)
        return runClassroomCommand(line, argc, argv);
    // Lets the desktop match the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUIRVEL_APP_ID));
    const ProgramPlaces places = resolveProgramPlaces(QCoreApplication::applicationDirPath());

    QtDialogs dialogs;
    QtShell shell;
    QtPauser pauser;
    Services services{dialogs, shell, pauser};

    // Created in this order; the two others stay hidden until called.
    MainWindow window(services, places);
    AboutDialog about;
    GenerationInfoDialog info(places);
    info.setSetup(&window.setup());
    window.setAboutDialog(&about);
    window.setInfoWindow(&info);

    // What a generation killed half-way left in the quizzes folder is finished before anything
    // else reads it.
    const QStringList unrepaired = recoverQuizFolders(places.quizzesFolder, shell);

    window.show();
    QTimer::singleShot(0, &window, [&] {
        if (!unrepaired.isEmpty())
            dialogs.message(unrepaired.join(QStringLiteral("\n\n")));
        if (line.quizFolder.isEmpty())
            window.offerDraft();
        else
            window.reopenQuiz(line.quizFolder);
    });
    return app.exec();
}
