// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/generationcommand.h"
#include "core/quirvelerror.h"
#include "core/quizfolder.h"
#include "core/quizrecovery.h"
#include "core/texts.h"
#include "fakes.h"
#include "foldersnapshot.h"
#include "respectingpermissions.h"
#include "testfiles.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

using FolderSnapshot = QMap<QString, QByteArray>;
const QString NoTitle = "Message: " + CoreText::NoTitle;
const QString NoPictures = "Message: " + CoreText::NoPictures;
const QString Warning = "Message: " + CoreText::FolderWarning;
const QString AskPrefix = "Input: " + CoreText::FolderCaption + '|' + CoreText::FolderPrompt + '|';
const QString FolderFailed = "Message: " + CoreText::FolderFailed;
const QString& Generating = CoreText::Generating;
const QString& Done = CoreText::Done;
const QString& Failed = CoreText::Failed;
const QString Locked = "Message: " + CoreText::Locked;
const QString Changed = "YesNo: " + CoreText::FolderCaption + '|' + CoreText::Changed + " [No]";
const QString& Rest = CoreText::Resting;
const QString ViewQuestion = "Confirm: " + CoreText::ViewQuestion;
const QString CannotShow = "Message: " + CoreText::CannotShow;
const QString& CopyFailed = CoreText::CopyFailed;
const QString& DeleteFailed = CoreText::DeleteFailed;
const QString& DecorFailed = CoreText::DecorationFailed;

QStringList firstLines(const QStringList& messages)
{
    QStringList out;
    for (const QString& m : messages)
        out << m.section(QLatin1Char('\n'), 0, 0);
    return out;
}

// The folder loop has no way out but a good name: a script that runs dry must fail, not hang.
struct BoundedDialogs : ScriptedDialogs {
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& preset) override
    {
        if (log.filter(QStringLiteral("Input: ")).size() >= 20)
            throw std::runtime_error("the folder name is asked for without end");
        return ScriptedDialogs::input(caption, prompt, preset);
    }
};

// The main window and its pauses in one: every pause notes what the window showed then.
class FakeWindow : public IGenerationView, public IPauser
{
public:
    FakeWindow(QStringList& log, const QuizSetup& setup) : m_log(log), m_setup(setup) {}
    QString title = QStringLiteral("Quiz");
    QString status;
    int progress = 0;
    QStringList pauses; // "ms@position status"

    QString titleText() const override { return title; }
    void setTitleText(const QString& text) override
    {
        if (text != title)
            m_log << QStringLiteral("Title: ") + text;
        title = text;
    }
    void showStatus(const QString& text) override { m_log << "Status: " + (status = text); }
    int progressPosition() const override { return progress; }
    void setProgressPosition(int position) override { progress = position; }
    void showInfoWindow() override { m_log << QStringLiteral("Info: ") + m_setup.folderName; }
    void pause(int ms) override
    {
        pauses << QStringLiteral("%1@%2 ").arg(ms).arg(progress) + status;
    }

private:
    QStringList& m_log;
    const QuizSetup& m_setup;
};

AnswerOrder orderOf(const std::array<int, 6>& entries)
{
    AnswerOrder order;
    order.entries = entries;
    QStringList parts;
    for (int e : entries)
        parts << QString::number(e);
    order.text = parts.join(QStringLiteral(", "));
    return order;
}

// A program folder with its decorations, six chosen pictures elsewhere, and a fixed shuffle.
struct Rig {
    QTemporaryDir root;
    QString programFolder = root.path() + QStringLiteral("/program/");
    QuizSetup setup;
    BoundedDialogs dialogs;
    RecordingShell shell;
    FakeWindow window{dialogs.log, setup};
    Services services{dialogs, shell, window};
    GenerationCommand command{setup, window, services};
    const QList<AnswerOrder> orders{orderOf({2, 1, 3, 4, 5, 6}), orderOf({6, 5, 4, 3, 2, 1})};
    int shuffles = 0;

    explicit Rig(bool withPictures = true)
    {
        QDir().mkpath(programFolder);
        QDir().mkpath(root.path() + QStringLiteral("/pictures"));
        writeDecorations();
        setup.initialise(programFolder);
        if (withPictures)
            choosePictures();
        command.setShuffle([this] { return orders.at(shuffles++ % orders.size()); });
    }
    void writeDecorations()
    {
        for (const QString& name : DecorationNames)
            QVERIFY(writeFile(programFolder + name, name.toLatin1()));
    }
    void choosePictures(qsizetype size = 0)
    {
        for (int k = 1; k <= 6; ++k) {
            const QString path = root.path() + QStringLiteral("/pictures/p%1.jpg").arg(k);
            QVERIFY(writeFile(path, size ? QByteArray(size, char('0' + k))
                                         : "picture " + QByteArray::number(k)));
            setup.selectSlot(k);
            setup.setPicture(path);
        }
    }
    QByteArray page() const
    {
        QFile f(setup.quizFolder() + QStringLiteral("/start.htm"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList folders() const
    {
        QStringList out;
        QDirIterator it(root.path(), QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            out << it.next().mid(root.path().size());
        out.sort();
        return out;
    }
};

} // namespace

class TestGenerationCommand : public QObject
{
    Q_OBJECT
private slots:
    void titleIsTrimmedBeforePictureCheck_data();
    void titleIsTrimmedBeforePictureCheck();
    void firstRunAsksThenSecondReusesFolder();
    void progressDisplay_data();
    void progressDisplay();
    void refusedNameIsAskedForAgain_data();
    void refusedNameIsAskedForAgain();
    void quizzesFolderComesWithTheFirstQuiz();
    void viewQuestion_data();
    void viewQuestion();
    void cancelledFolderNameEndsTheCommand_data();
    void cancelledFolderNameEndsTheCommand();
    void failedPlacementStopsBeforeDecorations_data();
    void failedPlacementStopsBeforeDecorations();
    void fullDiskKeepsThePreviousQuiz_data();
    void fullDiskKeepsThePreviousQuiz();
    void anotherWindow_data();
    void anotherWindow();
    void specifiedTexts();
};

// The title is checked before the pictures, then trimmed and written back ("Title: ").
void TestGenerationCommand::titleIsTrimmedBeforePictureCheck_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("empty") << "" << QStringList{NoTitle};
    QTest::newRow("blanks only") << "   " << QStringList({"Title: ", NoPictures});
    QTest::newRow("tabs, line ends") << "\t Quiz\r\n" << QStringList({"Title: Quiz", NoPictures});
    QTest::newRow("inner runs kept") << " a  b\x01" << QStringList({"Title: a  b", NoPictures});
    QTest::newRow("no-break space") << "\u00a0Q " << QStringList({"Title: \u00a0Q", NoPictures});
}

void TestGenerationCommand::titleIsTrimmedBeforePictureCheck()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, log);
    Rig rig(false);
    rig.window.title = typed;
    rig.command.run();
    QCOMPARE(rig.dialogs.log, log);
    QCOMPARE(rig.folders(), QStringList({"/pictures", "/program"}));
}

void TestGenerationCommand::firstRunAsksThenSecondReusesFolder()
{
    Rig rig;
    rig.dialogs.inputAnswers << ScriptedDialogs::KeepPreset; // the title names the folder
    rig.command.run();
    const QStringList first{
        Warning,           AskPrefix + "Quiz", "Info: Quiz", "Status: " + Generating,
        "Status: " + Done, "Status: " + Rest,  ViewQuestion};
    QCOMPARE(rig.dialogs.log, first);
    QCOMPARE(rig.setup.quizFolder(), rig.programFolder + "/Quiz");
    const QStringList files = QDir(rig.setup.quizFolder()).entryList(QDir::Files);
    QCOMPARE(files.size(), 6 + DecorationNames.size() + 1);
    QVERIFY(rig.page().contains("var potv=new Array(2, 1, 3, 4, 5, 6)\r\n"));

    rig.dialogs.log.clear();
    rig.command.run();
    QCOMPARE(rig.dialogs.log, first.mid(2));
    QCOMPARE(rig.shuffles, 2);
    QCOMPARE(rig.command.lastOrder().text, QStringLiteral("6, 5, 4, 3, 2, 1"));
    QVERIFY(rig.page().contains("var potv=new Array(6, 5, 4, 3, 2, 1)\r\n"));
}

void TestGenerationCommand::progressDisplay_data()
{
    QTest::addColumn<int>("start");
    QTest::newRow("bar at rest") << 0;
    QTest::newRow("bar left full by a failed run") << 100;
}

void TestGenerationCommand::progressDisplay()
{
    QFETCH(int, start);
    Rig rig;
    rig.window.progress = start;
    rig.dialogs.inputAnswers << ScriptedDialogs::KeepPreset;
    rig.command.run();
    QStringList expected;
    for (int step = 1; step <= 101; ++step)
        expected << QStringLiteral("50@%1 ").arg(qMin(start + step, 100)) + Generating;
    expected << QStringLiteral("2000@100 ") + Done;
    QCOMPARE(rig.window.pauses, expected);
    QCOMPARE(rig.window.progress, 0);
    QCOMPARE(rig.window.status, Rest);
}

// Each refused name shows the failure, then the warning and the input box again, and creates
// nothing anywhere; the next name, "Good", is created.
// The box's second line names the folder and the reason; the preset is the title made acceptable.
void TestGenerationCommand::refusedNameIsAskedForAgain_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usedBefore");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("preset");
    const QString slash = "недопустимый символ «/»";
    const QString trailing = "имя не может кончаться точкой или пробелом";
    const QString reserved = "имя зарезервировано";
    const auto row = [](const char* tag, const QString& title, const QString& name, bool used,
                        const QString& reason, const QString& preset = "Quiz") {
        QTest::newRow(tag) << title << name << used << reason << preset;
    };
    row("blank title: empty preset", "  ", "", false, "пустое имя", "");
    row("used name after Reset", "Quiz", "Quiz", true, "такое имя уже есть");
    row("dot", "Quiz", ".", false, trailing);
    row("dot dot", "Quiz", "..", false, trailing);
    row("up and across", "Quiz", "../outside", false, slash);
    row("nested", "Quiz", "a/b", false, slash);
    row("absolute", "Quiz", "<root>/absolute", false, slash);
    row("backslash", "Quiz", "a\\b", false, "недопустимый символ «\\»");
    row("NUL", "Quiz", QString("x") + QChar(0) + "y", false, "недопустимый символ «U+0000»");
    row("title ending in a question", "Что на картинке?", "Что на картинке?", false,
        "недопустимый символ «?»", "Что на картинке");
    row("forbidden characters", "Урок 5. Звери*?\"<>|", "Урок 5. Звери*", false,
        "недопустимый символ «*»", "Урок 5. Звери");
    row("colon", "a: b", "a: b", false, "недопустимый символ «:»", "a b");
    row("tab", "Quiz", "a\tb", false, "недопустимый символ «U+0009»");
    row("trailing blank", "Quiz . .", "Quiz ", false, trailing);
    row("reserved", "Quiz", "con", false, reserved);
    row("reserved with extension", "Quiz", "LPT9.txt", false, reserved);
    row("COM10 is allowed, the used name is not", "COM10", "COM10", true, "такое имя уже есть",
        "COM10");
    row("280 bytes", QString(140, QChar(0x416)), QString(128, QChar(0x416)), false,
        "слишком длинное имя", QString(127, QChar(0x416)));
    // Four bytes each: the preset is cut between two emoji, never inside one.
    row("280 bytes of emoji", QString("😀").repeated(70), QString("😀").repeated(70), false,
        "слишком длинное имя", QString("😀").repeated(63));
}

void TestGenerationCommand::refusedNameIsAskedForAgain()
{
    QFETCH(QString, title);
    QFETCH(QString, name);
    QFETCH(bool, usedBefore);
    QFETCH(QString, reason);
    QFETCH(QString, preset);
    Rig rig;
    if (usedBefore) {
        rig.window.title = title;
        rig.dialogs.inputAnswers << ScriptedDialogs::KeepPreset;
        rig.command.run();
        rig.setup.reset();
        rig.choosePictures();
    }
    const QStringList before = rig.folders();
    rig.window.title = title;
    rig.dialogs.log.clear();
    rig.dialogs.inputAnswers << name.replace(QStringLiteral("<root>"), rig.root.path()) << "Good";
    rig.command.run();
    const QString ask = AskPrefix + preset;
    const QString failed = FolderFailed + "\nПапка «" + name + "»: " + reason;
    QCOMPARE(rig.dialogs.log.filter(QRegularExpression("^(Message|Input|Info)")),
             QStringList({Warning, ask, failed, Warning, ask, "Info: Good"}));
    QStringList expected = QStringList(before) << "/program/Good";
    expected.sort();
    const QStringList after = rig.folders().filter(QRegularExpression("^(?!/program/Good/)"));
    QCOMPARE(after, expected);
}

// Away from the program, the quizzes' folder is made only together with a quiz's own folder:
// refused names and then Cancel leave nothing behind, and the first good name makes both.
void TestGenerationCommand::quizzesFolderComesWithTheFirstQuiz()
{
    Rig rig(false);
    const QString documents = rig.root.path() + QStringLiteral("/home/Documents");
    rig.setup.initialise(ProgramPlaces{rig.programFolder, documents + "/QUIRVEL/", true, {}});
    rig.choosePictures();
    rig.window.title = QStringLiteral("  ");
    rig.dialogs.inputAnswers << ".."
                             << "a/b" << ScriptedDialogs::KeepPreset; // then Cancel
    rig.command.run();
    QVERIFY(!QFileInfo::exists(rig.root.path() + QStringLiteral("/home")));

    rig.window.title = QStringLiteral("Quiz");
    rig.dialogs.log.clear();
    rig.dialogs.inputAnswers << "Quiz";
    rig.dialogs.confirmAnswers << true;
    rig.shell.openResult = false;
    rig.command.run();
    const QString quiz = documents + QStringLiteral("/QUIRVEL//Quiz");
    QCOMPARE(QDir(quiz).entryList(QDir::Files).size(), 6 + DecorationNames.size() + 1);
    QCOMPARE(rig.dialogs.log.last(), CannotShow + quiz + QStringLiteral("/start.htm"));
    QCOMPARE(QDir(rig.programFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{});
}

void TestGenerationCommand::viewQuestion_data()
{
    QTest::addColumn<bool>("view");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Cancel opens nothing") << false << true;
    QTest::newRow("OK opens the page") << true << true;
    QTest::newRow("the shell cannot open it") << true << false;
}

void TestGenerationCommand::viewQuestion()
{
    QFETCH(bool, view);
    QFETCH(bool, opens);
    Rig rig;
    rig.dialogs.confirmAnswers << view;
    rig.dialogs.inputAnswers << ScriptedDialogs::KeepPreset;
    rig.shell.openResult = opens;
    rig.command.run();
    const QString page = rig.programFolder + "/Quiz/start.htm";
    QVERIFY(QFile::exists(page));
    QCOMPARE(rig.shell.opened, view ? QStringList{page} : QStringList{});
    QCOMPARE(rig.dialogs.log.last(), opens ? ViewQuestion : CannotShow + page);
}

// Cancel, at once or after a refused name, returns with nothing made or renamed.
void TestGenerationCommand::cancelledFolderNameEndsTheCommand_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("at once") << QStringList();
    QTest::newRow("after a refused name") << QStringList{".."};
}

void TestGenerationCommand::cancelledFolderNameEndsTheCommand()
{
    QFETCH(QStringList, names);
    Rig rig;
    rig.window.title = QStringLiteral(" Quiz ");
    rig.dialogs.inputAnswers.append(names);
    rig.command.run();
    QStringList expected{"Title: Quiz", Warning, AskPrefix + "Quiz"};
    if (!names.isEmpty())
        expected << FolderFailed + "\nПапка «..»: имя не может кончаться точкой или пробелом"
                 << Warning << AskPrefix + "Quiz";
    QCOMPARE(rig.dialogs.log, expected);
    QCOMPARE(rig.folders(), QStringList({"/pictures", "/program"}));
    QCOMPARE(rig.setup.folderName, QString());
    QVERIFY(rig.setup.firstGeneration);
}

// However the new quiz fails to arrive, the command ends without "done" or the view question,
// says "not done" with the bar at 0, and the previous quiz stays as it was.
void TestGenerationCommand::failedPlacementStopsBeforeDecorations_data()
{
    QTest::addColumn<QString>("breakage");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("error");
    QTest::newRow("read-only folder") << "read-only" << QStringList(6, CopyFailed) << "";
    QTest::newRow("start.htm is a folder") << "folder" << QStringList{DeleteFailed} << "";
    QTest::newRow("quiz folder deleted since") << "gone" << QStringList(6, CopyFailed) << "";
    QTest::newRow("page beyond the file size limit")
        << "limit" << QStringList()
        << "Не удаётся записать файл «start.htm»: системная ошибка 27."; // EFBIG
    QTest::newRow("decoration beyond the file size limit")
        << "decoration" << QStringList{DecorFailed + "\nfong.gif: системная ошибка 27"} << "";
}

void TestGenerationCommand::failedPlacementStopsBeforeDecorations()
{
    QFETCH(QString, breakage);
    QFETCH(QStringList, messages);
    QFETCH(QString, error);
    if (breakage == "read-only" && writesIntoReadOnlyFolders()) {
        const QString failure = rerunRespectingPermissions();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        return;
    }
    Rig rig;
    rig.dialogs.inputAnswers << ScriptedDialogs::KeepPreset;
    rig.command.run();
    QFile folder(rig.setup.quizFolder());
    const auto permissions = folder.permissions();
    if (breakage == "read-only")
        QVERIFY(folder.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    else if (breakage == "folder")
        QVERIFY(QFile::remove(rig.setup.quizFolder() + "/start.htm") &&
                QDir().mkdir(rig.setup.quizFolder() + "/start.htm"));
    else if (breakage == "gone")
        QVERIFY(QDir(rig.setup.quizFolder()).removeRecursively());
    else if (breakage == "decoration")
        writeFile(rig.programFolder + "fong.gif", QByteArray(300 * 1024, 'g'));
    const auto before = folderSnapshot(rig.setup.quizFolder());
    rig.dialogs.log.clear();
    rig.shell.copies.clear();
    rig.dialogs.confirmAnswers << true;
    rig.dialogs.yesNoAnswers << true; // a changed page may be replaced

    // The pictures are small; the page is not, and writing it fails the way a full disk does.
    rlimit limit{}, unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    limit = {breakage == "limit"        ? 1024
             : breakage == "decoration" ? 200 * 1024
                                        : unlimited.rlim_cur,
             unlimited.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    guarded(rig.dialogs, [&] { rig.command.run(); }); // as the window runs it
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, oldHandler);
    folder.setPermissions(permissions);

    QCOMPARE(breakage == "decoration" ? rig.dialogs.messages() : firstLines(rig.dialogs.messages()),
             messages);
    QCOMPARE(rig.dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QVERIFY(!rig.dialogs.log.contains(ViewQuestion));
    QVERIFY(!rig.dialogs.log.contains("Status: " + Done));
    QVERIFY(rig.shell.copies.filter(" -> " + rig.setup.quizFolder() + "$").isEmpty());
    QCOMPARE(rig.window.status, Failed);
    QCOMPARE(rig.window.progress, 0);
    QCOMPARE(folderSnapshot(rig.setup.quizFolder()), before);
}

// A real full disk: the new pictures, or a decoration, do not fit; the old quiz stays whole. One
// box says so, and a folder made for the failed quiz goes with it.
void TestGenerationCommand::fullDiskKeepsThePreviousQuiz_data()
{
    QTest::addColumn<qsizetype>("pictureSize");
    QTest::addColumn<qsizetype>("decorationSize");
    QTest::addColumn<bool>("first"); // the failing generation makes the quiz folder
    QTest::addColumn<QStringList>("messages");
    // About 548 KB stay free: the first 350 KB picture fits, the other five do not.
    const QStringList pictures{CopyFailed + "\nКартинка 2 (p2.jpg): на диске нет места"};
    QTest::newRow("pictures") << qsizetype(350 * 1024) << qsizetype(0) << false << pictures;
    QTest::newRow("pictures, first generation")
        << qsizetype(350 * 1024) << qsizetype(0) << true << pictures;
    // The pictures and the page fit, the 600 KB background does not.
    QTest::newRow("decoration") << qsizetype(0) << qsizetype(600 * 1024) << false
                                << QStringList{DecorFailed + "\nfong.gif: на диске нет места"};
}

void TestGenerationCommand::fullDiskKeepsThePreviousQuiz()
{
    QFETCH(qsizetype, pictureSize);
    QFETCH(qsizetype, decorationSize);
    QFETCH(bool, first);
    QFETCH(QStringList, messages);
    Rig rig;
    const QByteArray disk = QFile::encodeName(rig.programFolder);
    if (::mount("tmpfs", disk.constData(), "tmpfs", 0, "size=2m") != 0)
        QSKIP(qPrintable("a small file system cannot be mounted here: " +
                         QString::fromLocal8Bit(std::strerror(errno))));
    auto unmount = qScopeGuard([&] { ::umount2(disk.constData(), MNT_DETACH); });
    rig.writeDecorations();
    rig.dialogs.inputAnswers << ScriptedDialogs::KeepPreset;
    if (!first)
        rig.command.run();
    const auto before = first ? FolderSnapshot() : folderSnapshot(rig.setup.quizFolder());
    QCOMPARE(before.size(), first ? 0 : 6 + DecorationNames.size() + 1);

    const qint64 free = QStorageInfo(rig.programFolder).bytesAvailable();
    if (decorationSize)
        QVERIFY(writeFile(rig.programFolder + "fong.gif", QByteArray(decorationSize, 'g')));
    QVERIFY(writeFile(rig.programFolder + "filler",
                      QByteArray(free - 548 * 1024 - decorationSize, 'f')));
    rig.choosePictures(pictureSize);
    rig.dialogs.log.clear();
    rig.dialogs.confirmAnswers << true;
    rig.command.run();

    QCOMPARE(rig.dialogs.messages().filter(QRegularExpression("^Ошибка")), messages);
    QVERIFY(!rig.dialogs.log.contains(ViewQuestion));
    QVERIFY(!rig.dialogs.log.contains("Status: " + Done));
    QCOMPARE(rig.window.status, Failed);
    QCOMPARE(folderSnapshot(rig.setup.quizFolder()), before);
    QCOMPARE(QFileInfo::exists(rig.setup.quizFolder()), !first);
    QCOMPARE(rig.setup.firstGeneration, first);
}

// Another window writing the quiz folder refuses the generation; a page changed since this window
// wrote it is replaced only on Yes.
void TestGenerationCommand::anotherWindow_data()
{
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("holds the lock")
        << "lock" << false << QStringList{Locked, "Status: " + Failed} << false;
    QTest::newRow("rewrote the page, No") << "page" << false << QStringList{Changed} << false;
    QTest::newRow("rewrote it in place at its size, No")
        << "same size" << false << QStringList{Changed} << false;
    QTest::newRow("rewrote the page, Yes")
        << "page" << true << QStringList{Changed, "Info: Quiz"} << true;
    QTest::newRow("left it alone") << "" << false << QStringList{"Info: Quiz"} << true;
}

void TestGenerationCommand::anotherWindow()
{
    QFETCH(QString, other);
    QFETCH(bool, replace);
    QFETCH(QStringList, log);
    QFETCH(bool, rewritten);
    Rig rig;
    rig.dialogs.inputAnswers << ScriptedDialogs::KeepPreset;
    rig.command.run();
    QLockFile lock(QuizFolderLock::path(rig.setup.quizFolder()));
    if (other == "lock")
        QVERIFY(lock.tryLock(0));
    else if (other == "page")
        writeFile(rig.setup.quizFolder() + "/start.htm", rig.page() + "<!-- other window -->");
    else if (other == "same size") // a later time, however coarse the clock
        QVERIFY(writeFile(rig.setup.quizFolder() + "/start.htm", rig.page().toUpper()) &&
                setModified(rig.setup.quizFolder() + "/start.htm", -1));
    const auto before = folderSnapshot(rig.setup.quizFolder());
    rig.dialogs.log.clear();
    rig.dialogs.yesNoAnswers << replace;
    rig.command.run();
    QCOMPARE(rig.dialogs.log.mid(0, log.size()), log);
    QCOMPARE(rig.dialogs.log.size(), rewritten ? log.size() + 4 : log.size());
    QCOMPARE(folderSnapshot(rig.setup.quizFolder()) != before, rewritten);
    if (other == "lock")
        QCOMPARE(rig.window.progress, 0);
}

// The code and the tests share these texts; users know them letter by letter, blanks included.
void TestGenerationCommand::specifiedTexts()
{
    namespace T = CoreText;
    const QStringList texts{
        T::WarningCaption, T::NoTitle,          T::NoPictures,   T::FolderWarning,
        T::FolderCaption,  T::FolderPrompt,     T::FolderFailed, T::Generating,
        T::Done,           T::Resting,          T::ViewQuestion, T::CannotShow,
        T::CopyFailed,     T::DecorationFailed, T::DeleteFailed, T::NoInstructions};
    QCOMPARE(texts, QStringList(
                        {" Внимание! ", "А почему нет названия у викторины?",
                         "А почему не все картинки выбраны ?",
                         "Будьте внимательны при названии папки для викторины. В названии не "
                         "должно быть запрещенных символов (Точек, звездочек, кавычек, знаков "
                         "прямой и обр.дробей и некоторых других. Могут возникнуть проблемы при "
                         "ее создании или при доступе к ней.",
                         "Внимание!", "Укажите название папки для размещения викторины.   )",
                         "Ошибка при создании папки для викторины. ", "Выполняется генерация",
                         "Генерация выполнена", "Выбирай картинки, делай подписи, жми генерацию...",
                         "Просматривать будете?",
                         "Не могу продемонстрировать страничку! Проверьте путь к викторине: ",
                         "Ошибка при копировании", "Ошибка при копировании дополнений",
                         "Ошибка при удалении файла",
                         "Файл инструкции instr.chm - недоступен! Обращайьесь на сайт: "}));
}

QTEST_GUILESS_MAIN(TestGenerationCommand)
#include "tst_generationcommand.moc"
