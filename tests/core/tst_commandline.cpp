// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/commandline.h"
#include "core/startpage.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // A generated quiz of a sample picture; the program supplies the decorations.
    void initTestCase()
    {
        const QString quiz = m_dir.filePath("quiz");
        QVERIFY(QDir().mkpath(quiz) && QDir().mkpath(m_dir.filePath("tmp")));
        QuizSetup setup;
        for (int k = 1; k <= 6; ++k) {
            setup.slot(k) = {{}, true, "Кто?", QString::number(k), "jpg"};
            QVERIFY(QFile::copy(QUIRVEL_SAMPLES_DIR "/car.jpg", quiz + QString("/%1.jpg").arg(k)));
        }
        writeStartPage(setup, AnswerOrder{{3, 1, 2, 6, 4, 5}, "3, 1, 2, 6, 4, 5"}, quiz);
    }

    void read_data()
    {
        QTest::addColumn<QString>("arguments"); // split at spaces
        QTest::addColumn<bool>("qtOptionsPresent");
        QTest::addColumn<int>("outcome");  // 0 Run, 1 Print, 2 Fail
        QTest::addColumn<QString>("text"); // how it starts
        QTest::addColumn<QString>("folder");
        const QString usage = "Использование: quirvel [параметры] [QUIZFOLDER]\n";
        const QString version = "quirvel " QUIRVEL_EXPECTED_VERSION "\n";
        const QString quiz = QDir::current().absoluteFilePath("quiz");
        // clang-format off
        QTest::newRow("help") << "/usr/bin/quirvel --help" << true << 1 << usage << "";
        QTest::newRow("help beside Qt's options")
            << "quirvel -platform offscreen -h" << true << 1 << usage << "";
        QTest::newRow("version") << "quirvel --version quiz" << true << 1 << version << "";
        QTest::newRow("short version") << "quirvel -v" << true << 1 << version << "";
        QTest::newRow("Qt's -reverse is no -v") << "quirvel -reverse" << true << 0 << "" << "";
        QTest::newRow("relative folder") << "quirvel quiz" << false << 0 << "" << quiz;
        QTest::newRow("unknown option")
            << "quirvel --bogus" << false << 2 << "Неизвестный параметр: bogus." << "";
        QTest::newRow("two folders") << "quirvel /a /b" << false << 2 << "Лишние аргументы: /b\n"
                                     << "";
        // Answered before the application exists, which without a display would abort.
        QTest::newRow("unknown option, first reading")
            << "quirvel -style x --bogus" << true << 2 << "Неизвестные параметры: style, bogus." << "";
        QTest::newRow("two folders, first reading") << "quirvel /a /b" << true << 2 << "Лишние" << "";
        QTest::newRow("class") << "quirvel --classroom quiz --port 0" << true << 4 << "" << quiz;
        QTest::newRow("port without class") << "quirvel --port 80 quiz" << false << 2 << "Параметры --port" << "";
        QTest::newRow("port out of range")
            << "quirvel --classroom --port 70000 quiz" << true << 2 << "Неверное число" << "";
        // clang-format on
    }
    void read()
    {
        QFETCH(QString, arguments);
        QFETCH(bool, qtOptionsPresent);
        QFETCH(int, outcome);
        QFETCH(QString, text);
        QFETCH(QString, folder);
        const CommandLine line = readCommandLine(arguments.split(' '), qtOptionsPresent);
        QCOMPARE(int(line.outcome), outcome);
        QVERIFY2(text.isEmpty() ? line.text.isEmpty() : line.text.startsWith(text),
                 qPrintable(line.text));
        QCOMPARE(line.quizFolder, folder);
        QCOMPARE(line.text.endsWith("Справка: quirvel --help\n"), outcome == 2);
        QCOMPARE(line.text.contains("QUIZFOLDER  "),
                 text.startsWith("Использование")); // its own line
    }
    void exports_data()
    {
        QTest::addColumn<QString>("arguments"); // split at spaces
        QTest::addColumn<int>("outcome");       // 2 Fail, 3 Export
        QTest::addColumn<int>("kind");          // 0 page, 1 SCORM, 2 sheet
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("page") << "quirvel --export-page out.htm quiz" << 3 << 0 << "";
        QTest::newRow("package") << "quirvel quiz --export-scorm=out.htm" << 3 << 1 << "";
        QTest::newRow("sheet") << "quirvel --print-sheet out.htm quiz" << 3 << 2 << "";
        QTest::newRow("two exports") << "quirvel --print-sheet a --export-page out.htm quiz" << 2 << 0
                                     << "Можно сделать только одно";
        QTest::newRow("the same twice") << "quirvel --print-sheet a --print-sheet out.htm quiz" << 2
                                        << 0 << "Можно сделать только одно";
        QTest::newRow("and a folder to open") << "quirvel --export-page out.htm quiz other" << 2 << 0
                                              << "Сохранение не открывает викторину";
        QTest::newRow("no quiz") << "quirvel --export-scorm out.htm" << 2 << 0 << "Не указана папка";
        QTest::newRow("no file") << "quirvel --export-scorm" << 2 << 0 << "Не указано значение после";
        // clang-format on
    }
    void exports()
    {
        QFETCH(QString, arguments);
        QFETCH(int, outcome);
        QFETCH(int, kind);
        QFETCH(QString, text);
        for (const bool first : {true, false}) {
            const CommandLine line = readCommandLine(arguments.split(' '), first);
            QCOMPARE(int(line.outcome), outcome);
            QCOMPARE(line.text.left(text.size()), text);
            if (outcome == 3) {
                QCOMPARE(int(line.exportKind), kind);
                QCOMPARE(line.exportFile, QDir::current().absoluteFilePath("out.htm"));
                QCOMPARE(line.quizFolder, QDir::current().absoluteFilePath("quiz"));
            }
        }
        if (outcome != 3)
            return;
        // The program as a script without a session starts it, Qt's options taking the longer
        // way: the path on stdout, nothing on stderr, no runtime folder left behind.
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("XDG_RUNTIME_DIR");
        env.insert("TMPDIR", m_dir.filePath("tmp"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(m_dir.path());
        program.start(QUIRVEL_PROGRAM_DIR "/quirvel",
                      QStringList{"-platform", "offscreen"} + arguments.split(' ').mid(1));
        QVERIFY(program.waitForFinished(-1));
        QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), QString());
        QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()),
                 m_dir.filePath("out.htm") + "\n");
        QCOMPARE(QDir(m_dir.filePath("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
