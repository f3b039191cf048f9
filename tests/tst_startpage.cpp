#include "core/buildinfo.h"
#include "core/quirvelerror.h"
#include "faildevice.h"
#include "core/cp1251.h"
#include "core/startpage.h"

#include <QStringDecoder>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

class TestStartPage : public QObject
{
    Q_OBJECT
private slots:
    void codePage();
    void pageMatchesExpectedFile_data();
    void pageMatchesExpectedFile();
    void failedWriteStopsAndReports_data();
    void failedWriteStopsAndReports();
    void regeneratingReplacesWholePage();
    void failedFileWriteKeepsEarlierPage();
};

// The quizzes behind the expected pages in tests/data.
static void FillQuiz(const QString& name, TQuizSetup& setup, AnswerOrder& order)
{
    if (name == QLatin1String("empty"))
        return;
    setup.Title = QStringLiteral("Осень <b>«листопад»</b>");
    const QStringList questions{"Что это?",  "",        "\"В кавычках\"",
                                "a & b < c", "Ёлка №5", "Straße ü 😀 €"};
    const QStringList answers{
        "Клён",       "две строки:\r\nвторая строка", "", " пробелы по краям ", "<i>курсив</i>",
        "Ответ шесть"};
    for (int k = 1; k <= 6; ++k) {
        setup.Slot(k).Question = questions.at(k - 1);
        setup.Slot(k).Answer = answers.at(k - 1);
    }
    order.Entries = {3, 1, 2, 6, 4, 5};
    order.Text = QStringLiteral("3, 1, 2, 6, 4, 5");
}

// The files carry the default build constants; a build configured otherwise expects its own.
static QByteArray ExpectedPage(const QString& name)
{
    QFile file(QStringLiteral(QUIRVEL_TEST_DATA "/start_") + name + ".htm");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray page = file.readAll();
    page.replace(ToWindows1251(QStringLiteral("</font> команда QUIRVEL &nbsp;")),
                 ToWindows1251("</font> " + AuthorCredit() + " &nbsp;"));
    page.replace("\"https://quirvel.example.org/\">quirvel.example.org</a>",
                 ToWindows1251("\"" + SiteUrl() + "\">" + SiteHost() + "</a>"));
    return page;
}

static QByteArray PageBytes(const TQuizSetup& setup, const AnswerOrder& order)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteStartPage(buffer, setup, order);
    return buffer.data();
}

static QString WriteError(const TQuizSetup& setup, const QString& folder)
{
    try {
        WriteStartPage(setup, AnswerOrder(), folder);
    } catch (const QuirvelError& e) {
        return e.text();
    }
    return {};
}

static QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void TestStartPage::codePage()
{
    // Every defined byte means what Qt's own (ICU) converter says, both ways; only 0x98 is unused.
    int defined = 0;
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        const QString ours = FromWindows1251(byte);
        if (ours == QString(QChar(0xFFFD)))
            continue;
        ++defined;
        QCOMPARE(ours, QString(QStringDecoder("windows-1251").decode(byte)));
        QCOMPARE(ToWindows1251(ours), byte);
    }
    QCOMPARE(defined, 255);
    QCOMPARE(ToWindows1251(QStringLiteral("Ёß😀\r\n")), QByteArray("\xA8&#223;&#128512;\r\n"));
}

void TestStartPage::pageMatchesExpectedFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lineEnds");
    QTest::newRow("mixed texts, shuffled, two-line answer") << "mixed" << 167;
    QTest::newRow("all texts empty, identity order") << "empty" << 166;
}

void TestStartPage::pageMatchesExpectedFile()
{
    QFETCH(QString, name);
    QFETCH(int, lineEnds);
    TQuizSetup setup;
    AnswerOrder order;
    FillQuiz(name, setup, order);
    const QByteArray expected = ExpectedPage(name);
    QVERIFY(!expected.isEmpty());
    const QByteArray actual = PageBytes(setup, order);
    QCOMPARE(actual.count("\r\n"), lineEnds);
    const QList<QByteArray> want = expected.split('\n');
    const QList<QByteArray> got = actual.split('\n');
    for (int i = 0; i < qMin(want.size(), got.size()); ++i)
        QVERIFY2(got[i] == want[i],
                 qPrintable(QStringLiteral("line %1: %2").arg(i + 1).arg(FromWindows1251(got[i]))));
    QCOMPARE(actual, expected);
}

void TestStartPage::failedWriteStopsAndReports_data()
{
    QTest::addColumn<qint64>("capacity");
    QTest::newRow("nothing fits") << qint64(0);
    QTest::newRow("cut inside line 2") << qint64(20);
    QTest::newRow("cut near the end") << qint64(8000);
}

void TestStartPage::failedWriteStopsAndReports()
{
    QFETCH(qint64, capacity);
    TQuizSetup setup;
    AnswerOrder order;
    FailDevice device(capacity);
    try {
        WriteStartPage(device, setup, order);
        QFAIL("a failed write must end the page");
    } catch (const QuirvelError& e) {
        QCOMPARE(e.text(), QStringLiteral("Нет места на устройстве"));
    }
    QCOMPARE(device.writesAfterFailure, 0);
    QCOMPARE(device.written, PageBytes(setup, order).left(capacity));
}

void TestStartPage::regeneratingReplacesWholePage()
{
    QTemporaryDir dir;
    TQuizSetup setup;
    setup.Initialise(dir.path());
    setup.FolderName = QStringLiteral("Викторина");
    QVERIFY(QDir().mkdir(setup.QuizFolder()));
    AnswerOrder order;
    FillQuiz(QStringLiteral("mixed"), setup, order);
    WriteStartPage(setup, order, setup.QuizFolder());
    QCOMPARE(ReadAll(setup.QuizFolder() + "/start.htm"), ExpectedPage(QStringLiteral("mixed")));
    WriteStartPage(TQuizSetup(), AnswerOrder(), setup.QuizFolder());
    QCOMPARE(ReadAll(setup.QuizFolder() + "/start.htm"), ExpectedPage(QStringLiteral("empty")));
    QCOMPARE(QDir(setup.QuizFolder()).entryList(QDir::Files), QStringList{"start.htm"});
}

void TestStartPage::failedFileWriteKeepsEarlierPage()
{
    QTemporaryDir dir;
    TQuizSetup setup;
    WriteStartPage(setup, AnswerOrder(), dir.path());
    const QByteArray earlier = ReadAll(dir.path() + "/start.htm");

    // A file size limit makes the disk "full" after 1000 bytes, even for root.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    TQuizSetup other;
    other.Title = QStringLiteral("Новая");
    const QString error = WriteError(other, dir.path());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);

    QCOMPARE(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
    QCOMPARE(ReadAll(dir.path() + "/start.htm"), earlier);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"start.htm"});

    QCOMPARE(WriteError(other, dir.path() + "/absent"), QString::fromLocal8Bit(strerror(ENOENT)));
    QVERIFY(!QFileInfo::exists(dir.path() + "/absent"));
}

QTEST_GUILESS_MAIN(TestStartPage)
#include "tst_startpage.moc"
