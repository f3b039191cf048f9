// SPDX-License-Identifier: GPL-3.0-or-later
// killinggeneration PROGRAMFOLDER QUIZNAME PICTURESFOLDER N [FAILING [M]]: one generation into an
// existing quiz folder from PICTURESFOLDER/1.jpg ... 6.jpg, whose N-th file operation ends the
// process on the spot (_exit, as a kill would: nothing unwinds). N = 0 kills nothing and prints
// the count. FAILING: the M-th file operation matching this pattern (as RecordingShell's lines)
// fails as on a full disk, and the count is followed by that operation's number.

#include "core/generationcommand.h"
#include "fakes.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

namespace
{

// Any box but the view question means the generation did not go as planned.
bool surprised(const ScriptedDialogs& dialogs)
{
    return !dialogs.log.filter(QRegularExpression("^(?!Confirm: )")).isEmpty();
}

class KillingShell : public RecordingShell
{
public:
    KillingShell(int killAt, const ScriptedDialogs& dialogs) : m_killAt(killAt), m_dialogs(dialogs)
    {
    }
    int operations = 0;
    int failedAt = 0;
    std::error_code copyToNewFile(const QString& source, const QString& target) override
    {
        return step([&] { return RecordingShell::copyToNewFile(source, target); });
    }
    std::error_code renameFile(const QString& from, const QString& to) override
    {
        return step([&] { return RecordingShell::renameFile(from, to); });
    }
    std::error_code removeFile(const QString& path) override
    {
        return step([&] { return RecordingShell::removeFile(path); });
    }
    std::error_code syncToDisk(const QString& path) override
    {
        return step([&] { return RecordingShell::syncToDisk(path); });
    }

private:
    template <typename Operation> std::error_code step(Operation operation)
    {
        if (failing.isEmpty() && surprised(m_dialogs))
            _exit(3);
        if (++operations == m_killAt)
            _exit(9);
        const std::error_code error = operation();
        if (failed() && !failedAt)
            failedAt = operations;
        return error;
    }
    int m_killAt;
    const ScriptedDialogs& m_dialogs;
};

class QuietView : public IGenerationView, public IPauser
{
public:
    QString titleText() const override { return QStringLiteral("Звери"); }
    void setTitleText(const QString&) override {}
    void showStatus(const QString&) override {}
    int progressPosition() const override { return m_position; }
    void setProgressPosition(int position) override { m_position = position; }
    void showInfoWindow() override {}
    void pause(int) override {}

private:
    int m_position = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5 || args.size() > 7)
        return 2;
    QuizSetup setup;
    setup.initialise(args[1]);
    setup.folderName = args[2];
    setup.firstGeneration = false;
    for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
        setup.selectSlot(k);
        setup.setPicture(args[3] + QStringLiteral("/%1.jpg").arg(k));
    }
    ScriptedDialogs dialogs;
    KillingShell shell(args[4].toInt(), dialogs);
    shell.failing = args.value(5);
    shell.failingMatch = args.value(6, QStringLiteral("1")).toInt();
    QuietView view;
    Services services{dialogs, shell, view};
    GenerationCommand command(setup, view, services);
    command.setShuffle([] {
        return AnswerOrder{{3, 1, 2, 6, 4, 5}, QStringLiteral("3, 1, 2, 6, 4, 5")};
    });
    command.run();
    // A planned failure shows its one box, and nothing else.
    if (shell.failing.isEmpty() ? surprised(dialogs) : dialogs.messages().size() != 1) {
        std::fprintf(stderr, "killinggeneration: %s\n", qPrintable(dialogs.log.join('\n')));
        return 3;
    }
    if (shell.failedAt)
        std::printf("%d %d\n", shell.operations, shell.failedAt);
    else
        std::printf("%d\n", shell.operations);
    return 0;
}
