// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/cp1251.h"
#include "core/quizfolder.h"
#include "core/texts.h"
#include "dropfiles.h"
#include "fakes.h"
#include "findchild.h"
#include "typetext.h"
#include "ui/aboutdialog.h"
#include "ui/filelistbox.h"
#include "ui/generationinfodialog.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace
{

const QStringList Samples{"car.jpg", "fish.jpg", "flower.jpg", "house.jpg", "sun.jpg", "tree.jpg"};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A pause that does something instead of waiting.
class ActingPauser : public IPauser
{
public:
    std::function<void()> onFirst;
    int calls = 0;
    void pause(int) override
    {
        if (calls++ == 0 && onFirst)
            onFirst();
    }
};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void composeAndGenerate();
    void inputHeldBackWhileGenerating();

private:
    QTemporaryDir m_program;
    QTemporaryDir m_pictures;
    QString m_programFolder;
};

void TestEndToEnd::initTestCase()
{
    QVERIFY(m_program.isValid() && m_pictures.isValid());
    m_programFolder = m_program.path() + QLatin1Char('/');
    for (const QString& name : DecorationNames)
        QVERIFY(
            QFile::copy(QStringLiteral(QUIRVEL_DECOR_DIR "/") + name, m_program.filePath(name)));
    for (const QString& name : Samples)
        QVERIFY(
            QFile::copy(QStringLiteral(QUIRVEL_SAMPLES_DIR "/") + name, m_pictures.filePath(name)));
    QVERIFY(QDir::setCurrent(m_pictures.path()));
}

void TestEndToEnd::composeAndGenerate()
{
    FakeServices fakes;
    auto& [dialogs, shell, pauser, services] = fakes;
    MainWindow window(services, m_programFolder);
    AboutDialog about;
    GenerationInfoDialog info(ProgramPlaces::inOneFolder(m_programFolder));
    info.setSetup(&window.setup());
    window.setAboutDialog(&about);
    window.setInfoWindow(&info);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Slot k gets the picture Samples[6 - k], so slot and list order differ.
    QStringList answers;
    for (int k = 1; k <= 6; ++k) {
        QTest::mouseClick(child<PictureBox>(window, numbered("thumbnail", k)), Qt::LeftButton);
        QCOMPARE(window.setup().currentSlot, k);
        const auto found =
            child<FileListBox>(window, "fileList")->findItems(Samples[6 - k], Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(
            child<FileListBox>(window, "fileList")->viewport(), Qt::LeftButton, {},
            child<FileListBox>(window, "fileList")->visualItemRect(found.first()).center());
        QCOMPARE(window.setup().slot(k).picturePath, m_pictures.filePath(Samples[6 - k]));

        typeText(child<QLineEdit>(window, "questionEdit"), QStringLiteral("Вопрос %1?").arg(k));
        typeText(child<QPlainTextEdit>(window, "answerEdit"),
                 QStringLiteral("Ответ номер %1").arg(k));
        QString answer = QStringLiteral("Ответ номер %1").arg(k);
        if (k == 6) {
            QTest::keyClick(child<QPlainTextEdit>(window, "answerEdit"), Qt::Key_Return);
            typeText(child<QPlainTextEdit>(window, "answerEdit"), QStringLiteral("вторая строка"));
            answer += QStringLiteral("\r\nвторая строка");
        }
        answers << answer;
    }
    typeText(child<QLineEdit>(window, "titleEdit"), QStringLiteral("  Моя викторина "));

    dialogs.inputAnswers.enqueue(QStringLiteral("quiz1"));
    dialogs.confirmAnswers.enqueue(true);
    QString infoFolderName;
    int infoShowings = 0;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto* modal = qobject_cast<GenerationInfoDialog*>(QApplication::activeModalWidget());
        if (!modal)
            return;
        ++infoShowings;
        infoFolderName = child<QLabel>(*modal, "folderNameLabel")->text();
        QTest::mouseClick(child<QPushButton>(*modal, "createButton"), Qt::LeftButton);
    });
    watcher.start(0);
    QTest::mouseClick(child<QPushButton>(window, "generateButton"), Qt::LeftButton);
    watcher.stop();

    QCOMPARE(infoShowings, 1);
    QCOMPARE(infoFolderName, QStringLiteral("quiz1"));
    QCOMPARE(dialogs.log.size(), 3);
    QCOMPARE(dialogs.log[0], "Message: " + CoreText::FolderWarning);
    QCOMPARE(dialogs.log[1],
             "Input: " + CoreText::FolderCaption + '|' + CoreText::FolderPrompt + "|Моя викторина");
    QCOMPARE(dialogs.log[2], "Confirm: " + CoreText::ViewQuestion);
    QCOMPARE(child<QLineEdit>(window, "titleEdit")->text(), QStringLiteral("Моя викторина"));
    QCOMPARE(child<QLabel>(window, "statusLabel")->text(), CoreText::Resting);
    QCOMPARE(child<QProgressBar>(window, "progressBar")->value(), 0);
    QCOMPARE(pauser.calls, 102);
    QCOMPARE(pauser.totalMilliseconds, 101 * 50 + 2000);

    const QString folder = m_programFolder + QStringLiteral("/quiz1");
    QVERIFY(QFileInfo(folder).isDir());
    for (int k = 1; k <= 6; ++k)
        QVERIFY2(contents(folder + QStringLiteral("/%1.jpg").arg(k)) ==
                     contents(m_pictures.filePath(Samples[6 - k])),
                 qPrintable(QString::number(k)));
    for (const QString& name : DecorationNames)
        QVERIFY2(contents(folder + QLatin1Char('/') + name) == contents(m_program.filePath(name)),
                 qPrintable(name));

    const QString page = fromWindows1251(contents(folder + QStringLiteral("/start.htm")));
    const QStringList lines = page.split(QStringLiteral("\r\n"));
    const QRegularExpression orderLine(
        QStringLiteral(R"(^var potv=new Array\(([1-6](, [1-6]){5})\)$)"));
    const auto orderMatch = orderLine.match(lines.value(8));
    QVERIFY2(orderMatch.hasMatch(), qPrintable(lines.value(8)));
    const QStringList order = orderMatch.captured(1).split(QStringLiteral(", "));
    QCOMPARE(orderMatch.captured(1), window.generation().lastOrder().text);

    const QRegularExpression cell(QStringLiteral(R"(^<b><font size="5">(.*?)</font></b>)"),
                                  QRegularExpression::DotMatchesEverythingOption |
                                      QRegularExpression::MultilineOption);
    QStringList cells;
    for (auto it = cell.globalMatch(page); it.hasNext();)
        cells << it.next().captured(1);
    QCOMPARE(cells.size(), 6);
    for (int k = 0; k < 6; ++k)
        QCOMPARE(cells[k], answers[order[k].toInt() - 1]);
    QVERIFY(page.contains(QStringLiteral("(3). Вопрос 3?")));
    QVERIFY(page.contains(QStringLiteral("<title>Моя викторина</title>")));

    QCOMPARE(shell.opened, QStringList{folder + QStringLiteral("/start.htm")});
}

void TestEndToEnd::inputHeldBackWhileGenerating()
{
    ScriptedDialogs dialogs;
    RecordingShell shell;
    ActingPauser pauser;
    Services services{dialogs, shell, pauser};
    MainWindow window(services, m_programFolder);
    window.show();
    for (int k = 1; k <= 6; ++k) {
        window.setup().selectSlot(k);
        window.setup().setPicture(m_pictures.filePath(Samples[k - 1]));
    }
    window.setup().selectSlot(1);
    child<QLineEdit>(window, "titleEdit")->setText(QStringLiteral("held"));
    dialogs.inputAnswers.enqueue(QStringLiteral("held"));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // Typing, the New button and the close box, all in the middle of the progress display.
    pauser.onFirst = [&] {
        typeText(child<QLineEdit>(window, "titleEdit"), QStringLiteral("xyz"));
        QTest::mouseClick(child<QPushButton>(window, "newButton"), Qt::LeftButton);
        QVERIFY(
            !dropFiles(child<PictureBox>(window, "thumbnail2"), {m_pictures.filePath("sun.jpg")}));
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        window.close();
        QCoreApplication::processEvents();
    };
    window.generateQuiz();

    QCOMPARE(pauser.calls, 102);
    QCOMPARE(child<QLineEdit>(window, "titleEdit")->text(), QStringLiteral("held"));
    QVERIFY(window.isVisible());
    QVERIFY(!dialogs.log.join(QLatin1Char('\n')).contains(QStringLiteral("YesNo")));
    QVERIFY(!dialogs.log.join(QLatin1Char('\n')).contains(QStringLiteral("ChooseFolder")));
    QCOMPARE(window.setup().slot(2).picturePath, m_pictures.filePath(Samples[1]));
    QVERIFY(QFileInfo(m_programFolder + QStringLiteral("/held/start.htm")).isFile());

    // Once the command is over, the window listens again.
    typeText(child<QLineEdit>(window, "titleEdit"), QStringLiteral("!"));
    QCOMPARE(child<QLineEdit>(window, "titleEdit")->text(), QStringLiteral("held!"));
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
