#include "core/cp1251.h"
#include "core/quizfolder.h"
#include "dropfiles.h"
#include "fakes.h"
#include "findchild.h"
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

// QTest::keyClicks takes Latin-1 only; these are key presses carrying any character.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

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
    ScriptedDialogs dialogs;
    RecordingShell shell;
    CountingPauser pauser;
    Services services{dialogs, shell, pauser};
    MainWindow form(services, m_programFolder);
    AboutDialog about;
    GenerationInfoDialog info(ProgramPlaces::inOneFolder(m_programFolder));
    info.setSetup(&form.setup());
    form.setAboutDialog(&about);
    form.setInfoWindow(&info);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // Slot k gets the picture Samples[6 - k], so slot and list order differ.
    QStringList answers;
    for (int k = 1; k <= 6; ++k) {
        QTest::mouseClick(child<PictureBox>(form, numbered("thumbnail", k)), Qt::LeftButton);
        QCOMPARE(form.setup().currentSlot, k);
        const auto found =
            child<FileListBox>(form, "fileList")->findItems(Samples[6 - k], Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(
            child<FileListBox>(form, "fileList")->viewport(), Qt::LeftButton, {},
            child<FileListBox>(form, "fileList")->visualItemRect(found.first()).center());
        QCOMPARE(form.setup().slot(k).picturePath, m_pictures.filePath(Samples[6 - k]));

        typeText(child<QLineEdit>(form, "questionEdit"), QStringLiteral("Вопрос %1?").arg(k));
        typeText(child<QPlainTextEdit>(form, "answerEdit"),
                 QStringLiteral("Ответ номер %1").arg(k));
        QString answer = QStringLiteral("Ответ номер %1").arg(k);
        if (k == 6) {
            QTest::keyClick(child<QPlainTextEdit>(form, "answerEdit"), Qt::Key_Return);
            typeText(child<QPlainTextEdit>(form, "answerEdit"), QStringLiteral("вторая строка"));
            answer += QStringLiteral("\r\nвторая строка");
        }
        answers << answer;
    }
    typeText(child<QLineEdit>(form, "titleEdit"), QStringLiteral("  Моя викторина "));

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
    QTest::mouseClick(child<QPushButton>(form, "generateButton"), Qt::LeftButton);
    watcher.stop();

    QCOMPARE(infoShowings, 1);
    QCOMPARE(infoFolderName, QStringLiteral("quiz1"));
    QCOMPARE(dialogs.log.size(), 3);
    QVERIFY(dialogs.log[0].startsWith(QStringLiteral("Message: Будьте внимательны")));
    QCOMPARE(dialogs.log[1], QStringLiteral("Input: Внимание!|Укажите название папки для "
                                            "размещения викторины.   )|Моя викторина"));
    QCOMPARE(dialogs.log[2], QStringLiteral("Confirm: Просматривать будете?"));
    QCOMPARE(child<QLineEdit>(form, "titleEdit")->text(), QStringLiteral("Моя викторина"));
    QCOMPARE(child<QLabel>(form, "statusLabel")->text(),
             QStringLiteral("Выбирай картинки, делай подписи, жми генерацию..."));
    QCOMPARE(child<QProgressBar>(form, "progressBar")->value(), 0);
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
    QCOMPARE(orderMatch.captured(1), form.generation().lastOrder().text);

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
    MainWindow form(services, m_programFolder);
    form.show();
    for (int k = 1; k <= 6; ++k) {
        form.setup().selectSlot(k);
        form.setup().setPicture(m_pictures.filePath(Samples[k - 1]));
    }
    form.setup().selectSlot(1);
    child<QLineEdit>(form, "titleEdit")->setText(QStringLiteral("held"));
    dialogs.inputAnswers.enqueue(QStringLiteral("held"));
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));

    // Typing, the New button and the close box, all in the middle of the progress display.
    pauser.onFirst = [&] {
        typeText(child<QLineEdit>(form, "titleEdit"), QStringLiteral("xyz"));
        QTest::mouseClick(child<QPushButton>(form, "newButton"), Qt::LeftButton);
        QVERIFY(
            !dropFiles(child<PictureBox>(form, "thumbnail2"), {m_pictures.filePath("sun.jpg")}));
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
        form.close();
        QCoreApplication::processEvents();
    };
    form.generateQuiz();

    QCOMPARE(pauser.calls, 102);
    QCOMPARE(child<QLineEdit>(form, "titleEdit")->text(), QStringLiteral("held"));
    QVERIFY(form.isVisible());
    QVERIFY(!dialogs.log.join(QLatin1Char('\n')).contains(QStringLiteral("YesNo")));
    QVERIFY(!dialogs.log.join(QLatin1Char('\n')).contains(QStringLiteral("ChooseFolder")));
    QCOMPARE(form.setup().slot(2).picturePath, m_pictures.filePath(Samples[1]));
    QVERIFY(QFileInfo(m_programFolder + QStringLiteral("/held/start.htm")).isFile());

    // Once the command is over, the window listens again.
    typeText(child<QLineEdit>(form, "titleEdit"), QStringLiteral("!"));
    QCOMPARE(child<QLineEdit>(form, "titleEdit")->text(), QStringLiteral("held!"));
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
