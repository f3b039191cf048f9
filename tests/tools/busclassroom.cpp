// SPDX-License-Identifier: GPL-3.0-or-later
// busclassroom OUTDIR: the class window on a quiz of its own, listening on 127.0.0.1, for a driver
// that watches it on the accessibility bus. Prints the pupils' address, then runs until closed.

#include "core/startpage.h"
#include "fakes.h"
#include "testfiles.h"
#include "testjpeg.h"
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
    QuizSetup setup;
    setup.title = QStringLiteral("Класс");
    for (int k = 1; k <= 6; ++k) {
        setup.slot(k) = {
            {}, true, QStringLiteral("Кто?"), QStringLiteral("Он"), QStringLiteral("jpg")};
        if (!writeFile(out.filePath(QStringLiteral("%1.jpg").arg(k)),
                       encodeJpeg(QImage(64, 48, QImage::Format_RGB32))))
            return 2;
    }
    writeStartPage(setup, AnswerOrder{{3, 1, 2, 6, 4, 5}, QStringLiteral("3, 1, 2, 6, 4, 5")},
                   out.path());
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
