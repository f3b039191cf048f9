// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/generationcommand.h"
#include "core/programplaces.h"
#include "core/quizfolder.h"
#include "fakes.h"
#include "foldersnapshot.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The tree `cmake --install` lays out from this very build, used the way the installed program
// uses it.

namespace
{

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class PlainView : public IGenerationView
{
public:
    int progress = 0;
    QString titleText() const override { return QStringLiteral("Звери"); }
    void setTitleText(const QString&) override {}
    void showStatus(const QString&) override {}
    int progressPosition() const override { return progress; }
    void setProgressPosition(int position) override { progress = position; }
    void showInfoWindow() override {}
};

} // namespace

class TestInstalled : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_bin, m_share;

private slots:
    void initTestCase()
    {
        QProcess install;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DESTDIR", m_dir.filePath("stage"));
        install.setProcessEnvironment(env);
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QUIRVEL_CMAKE, {"--install", QUIRVEL_BUILD_DIR, "--prefix", "/usr"});
        QVERIFY(install.waitForFinished(-1)); // CTest's timeout guards this
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAll().constData());
        m_bin = m_dir.filePath("stage/usr/bin");
        m_share = m_dir.filePath("stage/usr/share/quirvel/");
    }

    // Places resolved as the installed executable resolves them, with a home of the test's own
    // whose documents folder has a localised name; a generation through the scripted services
    // must land there whole, with the decorations from share/.
    void quizLandsInDocuments()
    {
        QTemporaryDir home;
        qputenv("HOME", QFile::encodeName(home.path()));
        qunsetenv("XDG_CONFIG_HOME");
        QVERIFY(QDir().mkpath(home.filePath(".config")));
        QFile dirs(home.filePath(".config/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly) && dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/Док\"\n"));
        dirs.close();

        QuizSetup setup;
        setup.initialise(resolveProgramPlaces(m_bin));
        QMap<QString, QByteArray> expected{{"/QUIRVEL", "<folder>"},
                                           {"/QUIRVEL/Звери", "<folder>"}};
        const QStringList samples{"car", "fish", "flower", "house", "sun", "tree"};
        for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
            const QString sample = QUIRVEL_SAMPLES_DIR "/" + samples[k - 1] + ".jpg";
            setup.selectSlot(k);
            setup.setPicture(sample);
            setup.setAnswer(QStringLiteral("Ответ %1").arg(k));
            expected.insert(QStringLiteral("/QUIRVEL/Звери/%1.jpg").arg(k), contents(sample));
        }
        for (const QString& name : DecorationNames)
            expected.insert("/QUIRVEL/Звери/" + name, contents(m_share + name));
        FakeServices fakes;
        auto& [dialogs, shell, pauser, services] = fakes;
        dialogs.inputAnswers << "Звери";
        PlainView view;
        GenerationCommand command(setup, view, services);
        command.setShuffle([] { return shuffleAnswers([](int) { return 0; }); });
        command.run();

        QMap<QString, QByteArray> quiz = folderSnapshot(home.filePath("Док"));
        const QByteArray order = "new Array(" + command.lastOrder().text.toLatin1() + ")";
        QVERIFY(quiz.take("/QUIRVEL/Звери/start.htm").contains(order));
        QCOMPARE(quiz.keys(), expected.keys());
        QCOMPARE(quiz, expected);
    }

    void programAnswersOnTheCommandLine_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("start");
        QTest::newRow("version") << "--version"
                                 << QString("quirvel " QUIRVEL_EXPECTED_VERSION "\n");
        QTest::newRow("help") << "--help"
                              << QString("Использование: quirvel [параметры] [QUIZFOLDER]\n");
    }
    // The installed binary itself: it must answer and end. One that opened its window instead
    // would hang here until CTest's timeout ends the test.
    void programAnswersOnTheCommandLine()
    {
        QFETCH(QString, option);
        QFETCH(QString, start);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start(m_bin + "/quirvel", {option});
        QVERIFY(program.waitForFinished(-1));
        QVERIFY(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0);
        QVERIFY(QString::fromLocal8Bit(program.readAllStandardOutput()).startsWith(start));
    }
};

QTEST_GUILESS_MAIN(TestInstalled)
#include "tst_installed.moc"
