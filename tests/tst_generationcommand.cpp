#include "app/errors.h"
#include "fakes.h"
#include "generation/generationcommand.h"
#include "generation/quizfolder.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <unistd.h>

namespace {

const QString NoTitle = QStringLiteral("Message: А почему нет названия у викторины?");
const QString NoPictures = QStringLiteral("Message: А почему не все картинки выбраны ?");
const QString Warning = QStringLiteral(
    "Message: Будьте внимательны при названии папки для викторины. В названии не должно быть "
    "запрещенных символов (Точек, звездочек, кавычек, знаков прямой и обр.дробей и некоторых "
    "других. Могут возникнуть проблемы при ее создании или при доступе к ней.");
const QString AskPrefix =
    QStringLiteral("Input: Внимание!|Укажите название папки для размещения викторины.   )|");
const QString FolderFailed = QStringLiteral("Message: Ошибка при создании папки для викторины. ");
const QString Generating = QStringLiteral("Выполняется генерация");
const QString Done = QStringLiteral("Генерация выполнена");
const QString Rest = QStringLiteral("Выбирай картинки, делай подписи, жми генерацию...");
const QString ViewQuestion = QStringLiteral("Confirm: Просматривать будете?");

// A folder loop that never ends would hang the run; fail it instead.
class BoundedDialogs : public ScriptedDialogs
{
public:
    int inputs = 0;
    QString Input(const QString& caption, const QString& prompt, const QString& preset) override
    {
        if (++inputs > 20)
            throw std::runtime_error("the folder name is asked for without end");
        return ScriptedDialogs::Input(caption, prompt, preset);
    }
};

class FakeView : public IGenerationView
{
public:
    FakeView(QStringList& log, const TQuizSetup& setup) : m_log(log), m_setup(setup) {}
    QString title;
    QString status;
    int progress = 0;
    QString TitleText() const override { return title; }
    void SetTitleText(const QString& text) override
    {
        if (text != title)
            m_log << QStringLiteral("Title: ") + text;
        title = text;
    }
    void ShowStatus(const QString& text) override
    {
        status = text;
        m_log << QStringLiteral("Status: ") + text;
    }
    int ProgressPosition() const override { return progress; }
    void SetProgressPosition(int position) override { progress = position; }
    void ShowInfoWindow() override { m_log << QStringLiteral("Info: ") + m_setup.FolderName; }

private:
    QStringList& m_log;
    const TQuizSetup& m_setup;
};

// Notes what the window showed at every pause.
class TracingPauser : public IPauser
{
public:
    const FakeView* view = nullptr;
    QStringList trace; // "ms@position status"
    void Pause(int ms) override
    {
        trace << QStringLiteral("%1@%2 %3").arg(ms).arg(view->progress).arg(view->status);
    }
};

AnswerOrder Order(std::array<int, 6> entries)
{
    AnswerOrder order;
    order.Entries = entries;
    QStringList parts;
    for (int e : entries)
        parts << QString::number(e);
    order.Text = parts.join(QStringLiteral(", "));
    return order;
}

struct Rig {
    QTemporaryDir root;
    QString programFolder = root.path() + QStringLiteral("/program/");
    TQuizSetup setup;
    BoundedDialogs dialogs;
    RecordingShell shell;
    TracingPauser pauser;
    FakeView view{dialogs.log, setup};
    Services services{dialogs, shell, pauser};
    GenerationCommand command{setup, view, services};
    QList<AnswerOrder> orders{Order({2, 1, 3, 4, 5, 6}), Order({6, 5, 4, 3, 2, 1})};
    int shuffles = 0;

    explicit Rig(bool withPictures = true)
    {
        QDir().mkpath(programFolder);
        QDir().mkpath(root.path() + QStringLiteral("/pictures"));
        for (const QString& name : DecorationNames)
            WriteFile(programFolder + name, name.toLatin1());
        setup.Initialise(programFolder);
        if (withPictures)
            ChoosePictures();
        pauser.view = &view;
        view.title = QStringLiteral("Quiz");
        command.SetShuffle([this] { return orders.at(shuffles++ % orders.size()); });
    }
    void ChoosePictures()
    {
        for (int k = 1; k <= 6; ++k) {
            const QString path = root.path() + QStringLiteral("/pictures/p%1.jpg").arg(k);
            WriteFile(path, "picture " + QByteArray::number(k));
            setup.SelectSlot(k);
            setup.SetPicture(path);
        }
        setup.SelectSlot(1);
    }
    static void WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Page() const
    {
        QFile f(setup.QuizFolder() + QStringLiteral("/start.htm"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList Folders() const
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
    void emptyTitleIsCheckedBeforePictures();
    void titleIsTrimmedBeforePictureCheck_data();
    void titleIsTrimmedBeforePictureCheck();
    void firstRunAsksThenSecondReusesFolder();
    void progressDisplay_data();
    void progressDisplay();
    void blankTitleOffersEmptyPresetAndFails();
    void usedNameFailsAfterReset();
    void unsafeNamesAreRefused_data();
    void unsafeNamesAreRefused();
    void viewQuestion_data();
    void viewQuestion();
    void unwritablePageStopsBeforeDecorations_data();
    void unwritablePageStopsBeforeDecorations();
};

void TestGenerationCommand::emptyTitleIsCheckedBeforePictures()
{
    Rig rig(false);
    rig.view.title.clear();
    rig.command.Run();
    QCOMPARE(rig.dialogs.log, QStringList{NoTitle});
    QCOMPARE(rig.Folders(), QStringList({"/pictures", "/program"}));
}

void TestGenerationCommand::titleIsTrimmedBeforePictureCheck_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("title");
    QTest::newRow("blanks only") << "   " << "";
    QTest::newRow("tabs and line ends") << "\t Quiz\r\n" << "Quiz";
    QTest::newRow("inner runs kept") << " a  b\x01" << "a  b";
    QTest::newRow("no-break space is no blank") << "\u00a0Quiz " << "\u00a0Quiz";
}

void TestGenerationCommand::titleIsTrimmedBeforePictureCheck()
{
    QFETCH(QString, typed);
    QFETCH(QString, title);
    Rig rig(false);
    rig.view.title = typed;
    rig.command.Run();
    QCOMPARE(rig.setup.Title, title);
    QCOMPARE(rig.view.title, title);
    QCOMPARE(rig.dialogs.log.last(), NoPictures);
    QCOMPARE(rig.dialogs.log.size(), 2);
    QCOMPARE(rig.Folders(), QStringList({"/pictures", "/program"}));
}

void TestGenerationCommand::firstRunAsksThenSecondReusesFolder()
{
    Rig rig;
    rig.command.Run();
    const QStringList first{Warning,          AskPrefix + "Quiz",         "Info: Quiz",
                            "Status: " + Generating, "Status: " + Done, "Status: " + Rest,
                            ViewQuestion};
    QCOMPARE(rig.dialogs.log, first);
    QVERIFY(!rig.setup.FirstGeneration);
    QCOMPARE(rig.setup.QuizFolder(), rig.programFolder + "/Quiz");
    for (int k = 1; k <= 6; ++k)
        QVERIFY(QFile::exists(rig.setup.QuizFolder() + QStringLiteral("/%1.jpg").arg(k)));
    for (const QString& name : DecorationNames)
        QVERIFY2(QFile::exists(rig.setup.QuizFolder() + "/" + name), qPrintable(name));
    QVERIFY(rig.Page().contains("var potv=new Array(2, 1, 3, 4, 5, 6)\r\n"));

    rig.dialogs.log.clear();
    rig.command.Run();
    QCOMPARE(rig.dialogs.log, first.mid(2));
    QCOMPARE(rig.shuffles, 2);
    QCOMPARE(rig.command.LastOrder().Entries, (std::array<int, 6>{{6, 5, 4, 3, 2, 1}}));
    QVERIFY(rig.Page().contains("var potv=new Array(6, 5, 4, 3, 2, 1)\r\n"));
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
    rig.view.progress = start;
    rig.command.Run();
    QStringList expected;
    for (int step = 1; step <= 101; ++step)
        expected << QStringLiteral("50@%1 ").arg(qMin(start + step, 100)) + Generating;
    expected << QStringLiteral("2000@100 ") + Done;
    QCOMPARE(rig.pauser.trace, expected);
    QCOMPARE(rig.view.progress, 0);
    QCOMPARE(rig.view.status, Rest);
}

void TestGenerationCommand::blankTitleOffersEmptyPresetAndFails()
{
    Rig rig;
    rig.view.title = QStringLiteral("  ");
    rig.dialogs.inputAnswers << QString() << QStringLiteral("Named");
    rig.command.Run();
    QCOMPARE(rig.dialogs.log.mid(0, 6), QStringList({"Title: ", Warning, AskPrefix, FolderFailed,
                                                      Warning, AskPrefix}));
    QCOMPARE(rig.setup.FolderName, QStringLiteral("Named"));
    QVERIFY(QFileInfo(rig.programFolder + "Named").isDir());
}

void TestGenerationCommand::usedNameFailsAfterReset()
{
    Rig rig;
    rig.command.Run();
    rig.setup.Reset();
    rig.ChoosePictures();
    rig.dialogs.log.clear();
    rig.dialogs.inputAnswers << QStringLiteral("Quiz") << QStringLiteral("Quiz2");
    rig.command.Run();
    QCOMPARE(rig.dialogs.log.mid(0, 6), QStringList({Warning, AskPrefix + "Quiz", FolderFailed,
                                                      Warning, AskPrefix + "Quiz", "Info: Quiz2"}));
    QVERIFY(QFile::exists(rig.programFolder + "Quiz2/start.htm"));
}

void TestGenerationCommand::unsafeNamesAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("dot") << ".";
    QTest::newRow("dot dot") << "..";
    QTest::newRow("up and across") << "../outside";
    QTest::newRow("nested") << "a/b";
    QTest::newRow("absolute") << "<root>/absolute";
    QTest::newRow("backslash") << "a\\b";
    QTest::newRow("NUL") << QStringLiteral("x") + QChar(0) + QStringLiteral("y");
}

void TestGenerationCommand::unsafeNamesAreRefused()
{
    QFETCH(QString, name);
    Rig rig;
    name.replace(QStringLiteral("<root>"), rig.root.path());
    rig.dialogs.inputAnswers << name << QStringLiteral("Good");
    rig.command.Run();
    QCOMPARE(rig.dialogs.log.mid(0, 5),
             QStringList({Warning, AskPrefix + "Quiz", FolderFailed, Warning, AskPrefix + "Quiz"}));
    QCOMPARE(rig.Folders(), QStringList({"/pictures", "/program", "/program/Good"}));
    QCOMPARE(QDir(rig.programFolder).entryList(QDir::Files).size(), DecorationNames.size());
}

void TestGenerationCommand::viewQuestion_data()
{
    QTest::addColumn<bool>("view");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("failureShown");
    QTest::newRow("Cancel opens nothing") << false << true << false;
    QTest::newRow("OK opens the page") << true << true << false;
    QTest::newRow("the shell cannot open it") << true << false << true;
}

void TestGenerationCommand::viewQuestion()
{
    QFETCH(bool, view);
    QFETCH(bool, opens);
    QFETCH(bool, failureShown);
    Rig rig;
    rig.dialogs.confirmAnswers << view;
    rig.shell.openResult = opens;
    rig.command.Run();
    const QString page = rig.programFolder + "/Quiz/start.htm";
    QCOMPARE(rig.shell.opened, view ? QStringList{page} : QStringList{});
    QCOMPARE(rig.dialogs.log.last(),
             failureShown ? "Message: Не могу продемонстрировать страничку! Проверьте путь к "
                            "викторине: " + page
                          : ViewQuestion);
    QVERIFY(QFile::exists(page));
}

void TestGenerationCommand::unwritablePageStopsBeforeDecorations_data()
{
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::newRow("read-only folder") << true;
    QTest::newRow("start.htm is a folder") << false;
}

void TestGenerationCommand::unwritablePageStopsBeforeDecorations()
{
    QFETCH(bool, readOnlyFolder);
    if (readOnlyFolder && geteuid() == 0)
        QSKIP("root writes into read-only folders");
    Rig rig;
    rig.command.Run();
    QFile folder(rig.setup.QuizFolder());
    const auto permissions = folder.permissions();
    QFile::remove(rig.setup.QuizFolder() + "/start.htm");
    if (readOnlyFolder)
        QVERIFY(folder.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    else
        QVERIFY(QDir().mkdir(rig.setup.QuizFolder() + "/start.htm"));
    rig.dialogs.log.clear();
    rig.shell.copies.clear();
    rig.dialogs.confirmAnswers << true;

    Guarded(rig.dialogs, [&] { rig.command.Run(); });
    folder.setPermissions(permissions);

    QCOMPARE(rig.dialogs.errors().size(), 1);
    QVERIFY(!rig.dialogs.errors().first().isEmpty());
    QVERIFY(!rig.dialogs.log.contains(ViewQuestion));
    QVERIFY(rig.shell.copies.filter(".gif").isEmpty());
    QVERIFY(rig.shell.opened.isEmpty());
    QCOMPARE(rig.view.status, Generating);
    QCOMPARE(rig.view.progress, 100);
}

QTEST_GUILESS_MAIN(TestGenerationCommand)
#include "tst_generationcommand.moc"
