// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/buildinfo.h"
#include "core/cp1251.h"
#include "core/quirvelerror.h"
#include "core/startpage.h"
#include "faildevice.h"

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

static const QString WriteFailed = QStringLiteral("Не удаётся записать файл «start.htm»: ");

// The quizzes behind the expected pages in tests/data.
static void fillQuiz(const QString& name, QuizSetup& setup, AnswerOrder& order)
{
    if (name == QLatin1String("empty"))
        return;
    setup.title = QStringLiteral("Осень <b>«листопад»</b>");
    const QStringList questions{"Что это?",  "",        "\"В кавычках\"",
                                "a & b < c", "Ёлка №5", "Straße ü 😀 €"};
    const QStringList answers{
        "Клён",       "две строки:\r\nвторая строка", "", " пробелы по краям ", "<i>курсив</i>",
        "Ответ шесть"};
    for (int k = 1; k <= 6; ++k) {
        setup.slot(k).question = questions.at(k - 1);
        setup.slot(k).answer = answers.at(k - 1);
    }
    order.entries = {3, 1, 2, 6, 4, 5};
    order.text = QStringLiteral("3, 1, 2, 6, 4, 5");
}

// The files carry the default build constants; a build configured otherwise expects its own.
static QByteArray expectedPage(const QString& name)
{
    QFile file(QStringLiteral(QUIRVEL_TEST_DATA "/start_") + name + ".htm");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray page = file.readAll();
    page.replace(toWindows1251(QStringLiteral("</font> команда QUIRVEL &nbsp;")),
                 toWindows1251("</font> " + authorCredit() + " &nbsp;"));
    page.replace("\"https://quirvel.example.org/\">quirvel.example.org</a>",
                 toWindows1251("\"" + siteUrl() + "\">" + siteHost() + "</a>"));
    return page;
}

static QByteArray pageBytes(const QuizSetup& setup, const AnswerOrder& order)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeStartPage(buffer, setup, order);
    return buffer.data();
}

static QString writeError(const QuizSetup& setup, const QString& folder)
{
    try {
        writeStartPage(setup, AnswerOrder(), folder);
    } catch (const QuirvelError& e) {
        return e.text();
    }
    return {};
}

static QByteArray readAll(const QString& path)
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
        const QString ours = fromWindows1251(byte);
        if (ours == QString(QChar(0xFFFD)))
            continue;
        ++defined;
        QCOMPARE(ours, QString(QStringDecoder("windows-1251").decode(byte)));
        QCOMPARE(toWindows1251(ours), byte);
    }
    QCOMPARE(defined, 255);
    QCOMPARE(toWindows1251(QStringLiteral("Ёß😀\r\n")), QByteArray("\xA8&#223;&#128512;\r\n"));
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
    QuizSetup setup;
    AnswerOrder order;
    fillQuiz(name, setup, order);
    const QByteArray expected = expectedPage(name);
    QVERIFY(!expected.isEmpty());
    const QByteArray actual = pageBytes(setup, order);
    QCOMPARE(actual.count("\r\n"), lineEnds);
    const QList<QByteArray> want = expected.split('\n');
    const QList<QByteArray> got = actual.split('\n');
    for (int i = 0; i < qMin(want.size(), got.size()); ++i)
        QVERIFY2(got[i] == want[i],
                 qPrintable(QStringLiteral("line %1: %2").arg(i + 1).arg(fromWindows1251(got[i]))));
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
    QuizSetup setup;
    AnswerOrder order;
    FailDevice device(capacity);
    try {
        writeStartPage(device, setup, order);
        QFAIL("a failed write must end the page");
    } catch (const QuirvelError& e) {
        QCOMPARE(e.text(), WriteFailed + QStringLiteral("на диске нет места"));
    }
    QCOMPARE(device.writesAfterFailure, 0);
    QCOMPARE(device.written, pageBytes(setup, order).left(capacity));
}

void TestStartPage::regeneratingReplacesWholePage()
{
    QTemporaryDir dir;
    QuizSetup setup;
    setup.initialise(dir.path());
    setup.folderName = QStringLiteral("Викторина");
    QVERIFY(QDir().mkdir(setup.quizFolder()));
    AnswerOrder order;
    fillQuiz(QStringLiteral("mixed"), setup, order);
    writeStartPage(setup, order, setup.quizFolder());
    QCOMPARE(readAll(setup.quizFolder() + "/start.htm"), expectedPage(QStringLiteral("mixed")));
    writeStartPage(QuizSetup(), AnswerOrder(), setup.quizFolder());
    QCOMPARE(readAll(setup.quizFolder() + "/start.htm"), expectedPage(QStringLiteral("empty")));
    QCOMPARE(QDir(setup.quizFolder()).entryList(QDir::Files), QStringList{"start.htm"});
}

void TestStartPage::failedFileWriteKeepsEarlierPage()
{
    QTemporaryDir dir;
    QuizSetup setup;
    writeStartPage(setup, AnswerOrder(), dir.path());
    const QByteArray earlier = readAll(dir.path() + "/start.htm");

    // A file size limit makes the disk "full" after 1000 bytes, even for root.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    QuizSetup other;
    other.title = QStringLiteral("Новая");
    const QString error = writeError(other, dir.path());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);

    QCOMPARE(error, WriteFailed + QStringLiteral("системная ошибка 27")); // EFBIG
    QCOMPARE(readAll(dir.path() + "/start.htm"), earlier);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"start.htm"});

    QCOMPARE(writeError(other, dir.path() + "/absent"),
             WriteFailed + QStringLiteral("файл или папка не найдены"));
    QVERIFY(!QFileInfo::exists(dir.path() + "/absent"));
}

QTEST_GUILESS_MAIN(TestStartPage)
#include "tst_startpage.moc"
