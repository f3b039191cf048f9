#include "core/generationcommand.h"
#include "core/programplaces.h"
#include "core/quizfolder.h"
#include "fakes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The tree `cmake --install` lays out from this very build, used the way the installed program
// uses it.

namespace
{

const QStringList Samples{"car.jpg", "fish.jpg", "flower.jpg", "house.jpg", "sun.jpg", "tree.jpg"};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class PlainView : public IGenerationView
{
public:
    QString title = QStringLiteral("Звери");
    QString titleText() const override { return title; }
    void setTitleText(const QString& text) override { title = text; }
    void showStatus(const QString&) override {}
    int progressPosition() const override { return progress; }
    void setProgressPosition(int position) override { progress = position; }
    void showInfoWindow() override {}
    int progress = 0;
};

} // namespace

class TestInstalled : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void quizLandsInDocuments_data();
    void quizLandsInDocuments();
    void programAnswersOnTheCommandLine_data();
    void programAnswersOnTheCommandLine();

private:
    QTemporaryDir m_dir;
    QString m_bin;
    QString m_share;
};

void TestInstalled::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QProcess install;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DESTDIR"), m_dir.path() + QStringLiteral("/stage"));
    install.setProcessEnvironment(env);
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QUIRVEL_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(QUIRVEL_BUILD_DIR),
                   QStringLiteral("--prefix"), QStringLiteral("/usr")});
    QVERIFY(install.waitForFinished(-1)); // CTest's timeout guards this
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
             install.readAll().constData());
    m_bin = m_dir.path() + QStringLiteral("/stage/usr/bin");
    m_share = m_dir.path() + QStringLiteral("/stage/usr/share/quirvel");
    QVERIFY(QFileInfo(m_bin + QStringLiteral("/quirvel")).isExecutable());
}

void TestInstalled::quizLandsInDocuments_data()
{
    QTest::addColumn<QString>("userDirs"); // user-dirs.dirs, empty for none
    QTest::addColumn<QString>("documents");
    QTest::newRow("Documents") << ""
                               << "Documents";
    QTest::newRow("localised") << "XDG_DOCUMENTS_DIR=\"$HOME/Документы\"\n"
                               << "Документы";
}

// Places resolved as the installed executable resolves them, with a home of the test's own; a
// generation through the scripted services must land whole in that home's documents.
void TestInstalled::quizLandsInDocuments()
{
    QFETCH(QString, userDirs);
    QFETCH(QString, documents);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    if (!userDirs.isEmpty()) {
        QVERIFY(QDir().mkpath(home.filePath(QStringLiteral(".config"))));
        QFile file(home.filePath(QStringLiteral(".config/user-dirs.dirs")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(userDirs.toUtf8()) > 0);
    }

    const ProgramPlaces places = resolveProgramPlaces(m_bin);
    QCOMPARE(places.suppliedFolder, QDir(m_share).canonicalPath() + QLatin1Char('/'));
    const QString quizzes = home.filePath(documents) + QStringLiteral("/QUIRVEL/");
    QCOMPARE(places.quizzesFolder, quizzes);
    QVERIFY(places.quizzesInDocuments);

    QuizSetup setup;
    setup.initialise(places);
    for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
        setup.selectSlot(k);
        setup.setPicture(QStringLiteral(QUIRVEL_SAMPLES_DIR "/") + Samples[k - 1]);
        setup.setAnswer(QStringLiteral("Ответ %1").arg(k));
    }
    ScriptedDialogs dialogs;
    dialogs.inputAnswers << QStringLiteral("Звери");
    dialogs.confirmAnswers << true;
    RecordingShell shell;
    CountingPauser pauser;
    Services services{dialogs, shell, pauser};
    PlainView view;
    GenerationCommand command(setup, view, services);
    command.setShuffle([] { return shuffleAnswers([](int) { return 0; }); });
    command.run();

    const QString quiz = quizzes + QStringLiteral("/Звери");
    QCOMPARE(dialogs.messages().size(), 1); // the folder name warning, and no failure
    QCOMPARE(shell.opened, QStringList{quiz + QStringLiteral("/start.htm")});
    QCOMPARE(QDir(home.filePath(documents)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"QUIRVEL"});
    QCOMPARE(QDir(quizzes).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"Звери"});
    QStringList expected = DecorationNames;
    for (int k = 1; k <= QuizSetup::SlotCount; ++k)
        expected << QStringLiteral("%1.jpg").arg(k);
    expected << QStringLiteral("start.htm");
    expected.sort();
    QCOMPARE(QDir(quiz).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             expected);
    for (int k = 1; k <= QuizSetup::SlotCount; ++k)
        QCOMPARE(contents(quiz + QStringLiteral("/%1.jpg").arg(k)),
                 contents(QStringLiteral(QUIRVEL_SAMPLES_DIR "/") + Samples[k - 1]));
    for (const QString& name : DecorationNames) {
        QVERIFY(QFileInfo(m_share + QLatin1Char('/') + name).size() > 0);
        QCOMPARE(contents(quiz + QLatin1Char('/') + name),
                 contents(m_share + QLatin1Char('/') + name));
    }
    QVERIFY(contents(quiz + QStringLiteral("/start.htm"))
                .contains("new Array(" + command.lastOrder().text.toLatin1() + ")"));
}

void TestInstalled::programAnswersOnTheCommandLine_data()
{
    QTest::addColumn<QString>("option");
    QTest::newRow("version") << "--version";
    QTest::newRow("help") << "--help";
}

// The installed binary itself, without a display: it must answer and end. A program that opened
// its window instead would hang here until CTest's timeout ends the test.
void TestInstalled::programAnswersOnTheCommandLine()
{
    QFETCH(QString, option);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    program.setProcessEnvironment(env);
    program.start(m_bin + QStringLiteral("/quirvel"), {option});
    QVERIFY(program.waitForFinished(-1));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QString output = QString::fromLocal8Bit(program.readAllStandardOutput());
    QVERIFY2(output.contains(QLatin1String("quirvel"), Qt::CaseInsensitive), qPrintable(output));
}

QTEST_GUILESS_MAIN(TestInstalled)
#include "tst_installed.moc"
