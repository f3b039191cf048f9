// SPDX-License-Identifier: GPL-3.0-or-later
// busclassroom OUTDIR: the class window on a quiz of its own, listening on 127.0.0.1, for a driver
// that watches it on the accessibility bus. Prints the pupils' address, then runs until closed.

#include "classquiz.h"
#include "fakes.h"
#include "ui/classroomwindow.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    const QDir out(app.arguments()[1]);
    qputenv("XDG_DATA_HOME", QFile::encodeName(out.filePath(QStringLiteral("data"))));
    if (!writeClassQuiz(out.path()))
        return 2;
    ScriptedDialogs dialogs;
    ClassroomWindow window(dialogs);
    if (!window.start(out.path(), qEnvironmentVariable("QUIRVEL_PROGRAM_DIR"),
                      {QHostAddress(QHostAddress::LocalHost), 0, {}}))
        return 2;
    window.show();
    std::printf("%s\n%s\n", window.selectedUrl().toUtf8().constData(), qVersion());
    std::fflush(stdout);
    return app.exec();
}
