#include "core/commandline.h"

#include <QDir>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
};

void TestCommandLine::read_data()
{
    using Outcome = CommandLine::Outcome;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("qtOptionsPresent");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("textStart");
    QTest::addColumn<QString>("folder");
    const QString usage = QStringLiteral("Usage: quirvel [options] [QUIZFOLDER]\n");
    const QString version = QStringLiteral("quirvel " QUIRVEL_EXPECTED_VERSION "\n");
    QTest::newRow("help") << QStringList{"/usr/bin/quirvel", "--help"} << true
                          << int(Outcome::Print) << usage << "";
    QTest::newRow("help beside unknown options")
        << QStringList{"quirvel", "-platform", "offscreen", "-h"} << true << int(Outcome::Print)
        << usage << "";
    QTest::newRow("version") << QStringList{"quirvel", "--version", "quiz"} << true
                             << int(Outcome::Print) << version << "";
    QTest::newRow("short version")
        << QStringList{"quirvel", "-v"} << true << int(Outcome::Print) << version << "";
    QTest::newRow("Qt's -reverse is no -v")
        << QStringList{"quirvel", "-reverse"} << true << int(Outcome::Run) << ""
        << "";
    QTest::newRow("Qt's options still in")
        << QStringList{"quirvel", "-style", "fusion", "x"} << true << int(Outcome::Run) << ""
        << "";
    QTest::newRow("nothing") << QStringList{"quirvel"} << false << int(Outcome::Run) << ""
                             << "";
    QTest::newRow("relative folder") << QStringList{"quirvel", "quiz"} << false << int(Outcome::Run)
                                     << "" << QDir::current().absoluteFilePath("quiz");
    QTest::newRow("unknown option") << QStringList{"quirvel", "--bogus"} << false
                                    << int(Outcome::Fail) << "Unknown option 'bogus'."
                                    << "";
    QTest::newRow("two folders") << QStringList{"quirvel", "/a", "/b"} << false
                                 << int(Outcome::Fail) << "Лишние аргументы: /b\n"
                                 << "";
}

void TestCommandLine::read()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, qtOptionsPresent);
    QFETCH(int, outcome);
    QFETCH(QString, textStart);
    QFETCH(QString, folder);
    const CommandLine line = readCommandLine(arguments, qtOptionsPresent);
    QCOMPARE(int(line.outcome), outcome);
    QCOMPARE(line.text.left(textStart.size()), textStart);
    QCOMPARE(line.text.isEmpty(), textStart.isEmpty());
    QCOMPARE(line.quizFolder, folder);
    if (line.outcome == CommandLine::Outcome::Fail)
        QVERIFY(line.text.endsWith(QStringLiteral("Справка: quirvel --help\n")));
    if (textStart.startsWith(QStringLiteral("Usage")))
        QVERIFY(line.text.contains(QStringLiteral("QUIZFOLDER  ")));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
