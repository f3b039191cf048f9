// SPDX-License-Identifier: GPL-3.0-or-later
// buswindow OUTDIR: the real main window with scripted dialogs and no pauses, for a driver that
// reaches it only through the accessibility bus and the keyboard. Six pictures 1.jpg ... 6.jpg
// wait in OUTDIR/pictures, the browser's start folder; the quiz goes under OUTDIR/program.
// Generating keeps the offered folder name and accepts the view question. When the window
// closes, prints {"opened": [...], "dialogs": [...]} as JSON.

#include "fakes.h"
#include "testjpeg.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    const QDir out(app.arguments()[1]);
    if (!out.mkpath(QStringLiteral("pictures")) || !out.mkpath(QStringLiteral("program")))
        return 2;
    const QDir decorations(qEnvironmentVariable("QUIRVEL_PROGRAM_DIR"));
    for (const QString& name : decorations.entryList({QStringLiteral("*.gif")}))
        QFile::copy(decorations.filePath(name), out.filePath(QStringLiteral("program/") + name));
    for (int k = 1; k <= 6; ++k)
        if (!writeFile(out.filePath(QStringLiteral("pictures/%1.jpg").arg(k)),
                       encodeJpeg(cornerMarks(160 + 10 * k, 100))))
            return 2;
    QDir::setCurrent(out.filePath(QStringLiteral("pictures")));

    FakeServices fakes;
    fakes.dialogs.inputAnswers << ScriptedDialogs::KeepPreset;
    fakes.dialogs.confirmAnswers << true;
    MainWindow window(fakes.services, out.filePath(QStringLiteral("program")) + QLatin1Char('/'));
    window.show();
    app.exec();
    const QJsonObject seen{
        {QStringLiteral("opened"), QJsonArray::fromStringList(fakes.shell.opened)},
        {QStringLiteral("dialogs"), QJsonArray::fromStringList(fakes.dialogs.log)}};
    std::fputs(QJsonDocument(seen).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}
