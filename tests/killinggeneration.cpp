// killinggeneration: one generation into an existing quiz folder, as the window runs it, through
// a shell whose N-th file operation ends the process on the spot (_exit, as a kill would: nothing
// unwinds, nothing is cleaned up).
//
//   killinggeneration PROGRAMFOLDER QUIZNAME PICTURESFOLDER N
//
// The pictures are PICTURESFOLDER/1.jpg ... 6.jpg, the answer order fixed. N = 0 kills nothing;
// then the number of file operations the generation made is printed.

#include "core/filecopy.h"
#include "core/generationcommand.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

namespace
{

class KillingShell : public IShell
{
public:
    explicit KillingShell(int killAt) : m_killAt(killAt) {}
    int operations = 0;
    std::error_code copyIntoFolder(const QString& source, const QString& folder) override
    {
        step();
        return ::copyIntoFolder(source, folder);
    }
    std::error_code renameFile(const QString& from, const QString& to) override
    {
        step();
        return ::renameFile(from, to);
    }
    std::error_code removeFile(const QString& path) override
    {
        step();
        return ::removeFile(path);
    }
    void openDocument(const QString&, std::function<void()>) override {}

private:
    void step()
    {
        if (++operations == m_killAt)
            _exit(9);
    }
    int m_killAt;
};

// Any box means the generation did not go as planned: the process says so and fails.
class FailingDialogs : public IDialogs
{
public:
    void message(const QString& text) override { fail(text); }
    bool confirm(const QString&) override { return false; }
    bool yesNo(const QString&, const QString& text, bool) override
    {
        fail(text);
        return false;
    }
    std::optional<QString> input(const QString&, const QString& prompt, const QString&) override
    {
        fail(prompt);
        return std::nullopt;
    }
    void error(const QString& text) override { fail(text); }
    std::optional<QString> chooseFolder(const QString&, const QString&) override { return {}; }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override
    {
        return {};
    }

private:
    [[noreturn]] static void fail(const QString& text)
    {
        std::fprintf(stderr, "killinggeneration: %s\n", qPrintable(text));
        std::exit(3);
    }
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
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: killinggeneration PROGRAMFOLDER QUIZNAME PICTURESFOLDER N\n");
        return 2;
    }
    QuizSetup setup;
    setup.initialise(args[1]);
    setup.folderName = args[2];
    setup.firstGeneration = false;
    for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
        setup.selectSlot(k);
        setup.setPicture(args[3] + QStringLiteral("/%1.jpg").arg(k));
    }
    FailingDialogs dialogs;
    KillingShell shell(args[4].toInt());
    QuietView view;
    Services services{dialogs, shell, view};
    GenerationCommand command(setup, view, services);
    command.setShuffle([] {
        AnswerOrder order;
        order.entries = {3, 1, 2, 6, 4, 5};
        order.text = QStringLiteral("3, 1, 2, 6, 4, 5");
        return order;
    });
    command.run();
    std::printf("%d\n", shell.operations);
    return 0;
}
