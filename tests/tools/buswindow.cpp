// SPDX-License-Identifier: GPL-3.0-or-later
// buswindow OUTDIR: the real main window with scripted dialogs and no pauses, for a driver that
// reaches it only through the accessibility bus and the keyboard. Six pictures 1.jpg ... 6.jpg
// wait in OUTDIR/pictures, the browser's start folder; the quiz goes under OUTDIR/program.
// Generating keeps the offered folder name and accepts the view question. Yes/no questions are
// real boxes for the driver to answer: a forsaken draft is offered at the start, and
// OUTDIR/taken.htm, where the one-file export goes, exists. When the window closes, prints
// {"opened": [...], "dialogs": [...]} as JSON.

#include "core/draftstore.h"
#include "fakes.h"
#include "testjpeg.h"
#include "ui/mainwindow.h"
#include "ui/qtdialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <cstdio>

class BoxedQuestions : public ScriptedDialogs
{
    bool yesNo(const QString& caption, const QString& text, bool defaultYes) override
    {
        ScriptedDialogs::yesNo(caption, text, defaultYes);
        return QtDialogs().yesNo(caption, text, defaultYes);
    }
};

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
    QuizDraft left;
    left.titleText = QStringLiteral("Забытая");
    const QString taken = out.filePath(QStringLiteral("taken.htm"));
    if (DraftStore(out.filePath(QStringLiteral("program/drafts")), 1).save(left) ||
        !writeFile(taken, "?"))
        return 2;

    FakeServices fakes;
    BoxedQuestions dialogs;
    dialogs.inputAnswers << ScriptedDialogs::KeepPreset;
    dialogs.confirmAnswers << true;
    dialogs.saveAnswers << taken;
    Services services{dialogs, fakes.shell, fakes.pauser};
    MainWindow window(services, out.filePath(QStringLiteral("program")) + QLatin1Char('/'));
    window.show();
    QTimer::singleShot(0, &window, &MainWindow::offerDraft);
    app.exec();
    const QJsonObject seen{
        {QStringLiteral("opened"), QJsonArray::fromStringList(fakes.shell.opened)},
        {QStringLiteral("dialogs"), QJsonArray::fromStringList(dialogs.log)}};
    std::fputs(QJsonDocument(seen).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}
