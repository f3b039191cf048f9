// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/buildinfo.h"
#include "core/texts.h"
#include "fakes.h"
#include "findchild.h"
#include "testjpeg.h"
#include "typetext.h"
#include "ui/aboutdialog.h"
#include "ui/filelistbox.h"
#include "ui/generationinfodialog.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"
#include "ui/slotstrip.h"
#include "ui/textfields.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace
{

// A point on the left stroke of the selection frame: the frame keeps only red there.
bool framed(const QImage& thumb)
{
    const QRgb p = thumb.pixel(2, 40);
    return qGreen(p) == 0 && qBlue(p) == 0;
}

struct Snapshot {
    QStringList questions, answers, pictures, copies;
    QList<QImage> boxes;
    QString titleText, questionText, answerText, slotNumberText; // as the fields show them
    int current = 0;
    bool first = false;
    bool operator==(const Snapshot&) const = default;
};

} // namespace

class TestSlotTexts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void keystrokesMirrored();
    void answerCopiesReadOnly();
    void storedForm_data();
    void storedForm();
    void oneForAll();
    void tickingWaitsForNextChange_data();
    void tickingWaitsForNextChange();
    void switchesLoadTextsWithoutSideEffects();
    void newAnsweredYes();
    void newAnsweredNo();
    void instructions_data();
    void instructions();
    void infoShowsAboutWindow();

private:
    void typeQuestion(int slot, const QString& text);
    void typeAnswer(int slot, const QString& text);
    QPlainTextEdit* copy(int k) const;
    Snapshot snapshot() const;

    QTemporaryDir m_pictures;
    std::unique_ptr<QTemporaryDir> m_program;
    FakeServices m_fakes;
    std::unique_ptr<MainWindow> m_window;
};

void TestSlotTexts::initTestCase()
{
    QVERIFY(m_pictures.isValid());
    QVERIFY(writeFile(m_pictures.filePath("p.jpg"),
                      encodeJpeg(quadrants(80, 60, Qt::red, Qt::green, Qt::blue, Qt::yellow))));
    QVERIFY(QDir::setCurrent(m_pictures.path()));
}

void TestSlotTexts::init()
{
    m_fakes.dialogs = ScriptedDialogs();
    m_fakes.shell = RecordingShell();
    m_program = std::make_unique<QTemporaryDir>();
    m_window = std::make_unique<MainWindow>(m_fakes.services, m_program->path() + QLatin1Char('/'));
    m_window->show();
}

void TestSlotTexts::cleanup()
{
    m_window.reset();
}

QPlainTextEdit* TestSlotTexts::copy(int k) const
{
    return child<QPlainTextEdit>(*m_window, numbered("answerCopy", k));
}

void TestSlotTexts::typeQuestion(int slot, const QString& text)
{
    m_window->chooseSlot(slot);
    child<QLineEdit>(*m_window, "questionEdit")->selectAll();
    QTest::keyClick(child<QLineEdit>(*m_window, "questionEdit"), Qt::Key_Delete);
    typeText(child<QLineEdit>(*m_window, "questionEdit"), text);
}

void TestSlotTexts::typeAnswer(int slot, const QString& text)
{
    m_window->chooseSlot(slot);
    child<QPlainTextEdit>(*m_window, "answerEdit")->selectAll();
    QTest::keyClick(child<QPlainTextEdit>(*m_window, "answerEdit"), Qt::Key_Delete);
    typeText(child<QPlainTextEdit>(*m_window, "answerEdit"), text);
}

Snapshot TestSlotTexts::snapshot() const
{
    const MainWindow& window = *m_window;
    Snapshot s;
    for (int k = 1; k <= 6; ++k) {
        s.questions << window.setup().slot(k).question;
        s.answers << window.setup().slot(k).answer;
        s.pictures << window.setup().slot(k).picturePath;
        s.copies << copy(k)->toPlainText();
    }
    for (int k = 1; k <= MainWindow::SlotCount; ++k)
        s.boxes << child<PictureBox>(window, numbered("thumbnail", k))->picture();
    s.boxes << child<PictureBox>(window, "preview")->picture();
    s.titleText = child<QLineEdit>(window, "titleEdit")->text();
    s.questionText = child<QLineEdit>(window, "questionEdit")->text();
    s.answerText = child<QPlainTextEdit>(window, "answerEdit")->toPlainText();
    s.slotNumberText = child<QLabel>(window, "slotNumberLabel")->text();
    s.current = window.setup().currentSlot;
    s.first = window.setup().firstGeneration;
    return s;
}

void TestSlotTexts::keystrokesMirrored()
{
    MainWindow& window = *m_window;
    window.chooseSlot(3);
    const QString typed = QStringLiteral("Кот ест");
    for (qsizetype i = 0; i < typed.size(); ++i) {
        typeText(child<QPlainTextEdit>(window, "answerEdit"), typed.mid(i, 1));
        QCOMPARE(child<QPlainTextEdit>(window, "answerCopy3")->toPlainText(), typed.left(i + 1));
        QCOMPARE(window.setup().slot(3).answer, typed.left(i + 1));
    }
    for (int k : {1, 2, 4, 5, 6})
        QVERIFY(copy(k)->toPlainText().isEmpty() && window.setup().slot(k).answer.isEmpty());

    for (qsizetype i = typed.size() - 1; i >= 0; --i) {
        QTest::keyClick(child<QPlainTextEdit>(window, "answerEdit"), Qt::Key_Backspace);
        QCOMPARE(child<QPlainTextEdit>(window, "answerCopy3")->toPlainText(), typed.left(i));
    }
    QVERIFY(window.setup().slot(3).answer.isEmpty());
    QVERIFY(m_fakes.dialogs.log.isEmpty());
}

void TestSlotTexts::answerCopiesReadOnly()
{
    MainWindow& window = *m_window;
    typeAnswer(3, QStringLiteral("ответ"));
    typeText(child<QPlainTextEdit>(window, "answerCopy3"), QStringLiteral("x"));
    QTest::keyClick(child<QPlainTextEdit>(window, "answerCopy3"), Qt::Key_Backspace);
    QCOMPARE(child<QPlainTextEdit>(window, "answerCopy3")->toPlainText(), QStringLiteral("ответ"));
    QCOMPARE(window.setup().slot(3).answer, QStringLiteral("ответ"));
    // The six copies, then the answer field itself as number 7.
    for (int k = 1; k <= 7; ++k) {
        QPlainTextEdit* memo =
            k <= MainWindow::SlotCount ? copy(k) : child<QPlainTextEdit>(window, "answerEdit");
        QCOMPARE(memo->isReadOnly(), k < 7);
        QVERIFY(memo->document()->defaultTextOption().alignment() & Qt::AlignHCenter);
        QCOMPARE(memo->font().pixelSize(), k <= 2 ? 8 : k == 7 ? 16 : 11);
    }
    QVERIFY(child<QPlainTextEdit>(window, "answerEdit")->font().bold());
}

void TestSlotTexts::storedForm_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("stored");
    QTest::newRow("Enter") << "a" << int(Qt::Key_Return) << int(Qt::NoModifier) << "a\r\nb";
    QTest::newRow("Shift+Enter") << "a" << int(Qt::Key_Return) << int(Qt::ShiftModifier)
                                 << "a\r\nb";
    QTest::newRow("non-breaking space kept")
        << QStringLiteral("a\u00A0") << 0 << 0 << QStringLiteral("a\u00A0b");
}

void TestSlotTexts::storedForm()
{
    QFETCH(QString, before);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, stored);
    MainWindow& window = *m_window;
    window.chooseSlot(2);
    typeText(child<QPlainTextEdit>(window, "answerEdit"), before);
    if (key)
        QTest::keyClick(child<QPlainTextEdit>(window, "answerEdit"), Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
    typeText(child<QPlainTextEdit>(window, "answerEdit"), QStringLiteral("b"));
    QCOMPARE(window.setup().slot(2).answer, stored);
    QCOMPARE(child<QPlainTextEdit>(window, "answerCopy2")->document()->blockCount(),
             int(stored.count(QStringLiteral("\r\n")) + 1));

    // Clicking into the field changes nothing, and a switch away and back loads the same text.
    QSignalSpy changes(child<QPlainTextEdit>(window, "answerEdit"), &QPlainTextEdit::textChanged);
    QTest::mouseClick(child<QPlainTextEdit>(window, "answerEdit")->viewport(), Qt::LeftButton);
    window.chooseSlot(5);
    window.chooseSlot(2);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(storedText(child<QPlainTextEdit>(window, "answerEdit")), stored);
    QCOMPARE(window.setup().slot(2).answer, stored);
    QVERIFY(window.setup().slot(5).answer.isEmpty());
}

void TestSlotTexts::oneForAll()
{
    MainWindow& window = *m_window;
    typeQuestion(2, QStringLiteral("only two"));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(window.setup().slot(k).question, k == 2 ? QStringLiteral("only two") : QString());

    child<QCheckBox>(window, "oneForAllCheck")->setChecked(true);
    typeQuestion(4, QStringLiteral("Что это?"));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(window.setup().slot(k).question, QStringLiteral("Что это?"));
    window.chooseSlot(6);
    QCOMPARE(child<QLineEdit>(window, "questionEdit")->text(), QStringLiteral("Что это?"));

    child<QCheckBox>(window, "oneForAllCheck")->setChecked(false);
    typeText(child<QLineEdit>(window, "questionEdit"), QStringLiteral("!"));
    QCOMPARE(window.setup().slot(6).question, QStringLiteral("Что это?!"));
    QCOMPARE(window.setup().slot(1).question, QStringLiteral("Что это?"));
}

void TestSlotTexts::tickingWaitsForNextChange_data()
{
    QTest::addColumn<QString>("fifth");
    QTest::addColumn<QString>("sixth");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("slot 5 differs: copied to all")
        << "q5"
        << "q6" << QStringList{"q5", "q5", "q5", "q5", "q5", "q5"};
    QTest::newRow("slot 5 equals the shown text: nothing runs")
        << "same"
        << "same" << QStringList{"q1", "q2", "q3", "q4", "same", "same"};
}

void TestSlotTexts::tickingWaitsForNextChange()
{
    QFETCH(QString, fifth);
    QFETCH(QString, sixth);
    QFETCH(QStringList, expected);
    MainWindow& window = *m_window;
    for (int k = 1; k <= 4; ++k)
        typeQuestion(k, QStringLiteral("q%1").arg(k));
    typeQuestion(5, fifth);
    typeQuestion(6, sixth);

    child<QCheckBox>(window, "oneForAllCheck")->setChecked(true);
    QStringList now;
    for (int k = 1; k <= 6; ++k)
        now << window.setup().slot(k).question;
    QCOMPARE(now, (QStringList{"q1", "q2", "q3", "q4", fifth, sixth}));

    window.chooseSlot(5);
    now.clear();
    for (int k = 1; k <= 6; ++k)
        now << window.setup().slot(k).question;
    QCOMPARE(now, expected);
}

void TestSlotTexts::switchesLoadTextsWithoutSideEffects()
{
    MainWindow& window = *m_window;
    for (int k = 1; k <= 6; ++k) {
        typeQuestion(k, QStringLiteral("вопрос %1").arg(k));
        typeAnswer(k, QStringLiteral("ответ %1").arg(k));
    }
    const Snapshot before = snapshot();
    for (int k : {3, 1, 6, 6, 2, 5, 4, 6}) {
        window.chooseSlot(k);
        QCOMPARE(child<QLineEdit>(window, "questionEdit")->text(),
                 QStringLiteral("вопрос %1").arg(k));
        QCOMPARE(child<QPlainTextEdit>(window, "answerEdit")->toPlainText(),
                 QStringLiteral("ответ %1").arg(k));
    }
    Snapshot after = snapshot();
    QCOMPARE(after.questions, before.questions);
    QCOMPARE(after.answers, before.answers);
    QCOMPARE(after.copies, before.copies);
    QVERIFY(m_fakes.dialogs.log.isEmpty());
}

void TestSlotTexts::newAnsweredYes()
{
    MainWindow& window = *m_window;
    child<QCheckBox>(window, "oneForAllCheck")->setChecked(true);
    typeQuestion(4, QStringLiteral("общий"));
    for (int k : {1, 4}) {
        typeAnswer(k, QStringLiteral("ответ\n%1").arg(k));
        const auto found = child<FileListBox>(window, "fileList")
                               ->findItems(QStringLiteral("p.jpg"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        child<FileListBox>(window, "fileList")->setCurrentItem(nullptr);
        child<FileListBox>(window, "fileList")->setCurrentItem(found.first());
        QVERIFY(window.setup().slot(k).chosen);
    }
    typeText(child<QLineEdit>(window, "titleEdit"), QStringLiteral("Викторина"));
    window.setup().firstGeneration = false;
    const QString currentFile = window.setup().currentFile;
    const QImage placeholder = SlotStrip::placeholder();
    QVERIFY(child<PictureBox>(window, "thumbnail4")->picture() != placeholder &&
            child<PictureBox>(window, "thumbnail1")->picture() != placeholder);

    m_fakes.dialogs.yesNoAnswers.enqueue(true);
    QTest::mouseClick(child<QPushButton>(window, "newButton"), Qt::LeftButton);
    QCOMPARE(
        m_fakes.dialogs.log,
        QStringList{QStringLiteral("YesNo:  Внимание! | Вы хотите создавать новую викторину?  ")});

    QVERIFY(window.setup().firstGeneration);
    QCOMPARE(window.setup().currentSlot, 1);
    QCOMPARE(child<QLabel>(window, "slotNumberLabel")->text(), QStringLiteral("N1"));
    for (int k = 1; k <= 6; ++k) {
        const QuizSlot& slot = window.setup().slot(k);
        QVERIFY(!slot.chosen && slot.picturePath.isEmpty());
        QVERIFY(slot.question.isEmpty() && slot.answer.isEmpty());
        QVERIFY(copy(k)->toPlainText().isEmpty());
    }
    for (int k = 2; k <= MainWindow::SlotCount; ++k)
        QCOMPARE(child<PictureBox>(window, numbered("thumbnail", k))->picture(), placeholder);
    QCOMPARE(child<PictureBox>(window, "preview")->picture(), placeholder);
    QVERIFY(framed(child<PictureBox>(window, "thumbnail1")->picture()));
    QCOMPARE(window.cleanThumbnail(), placeholder);
    QVERIFY(child<QLineEdit>(window, "titleEdit")->text().isEmpty() &&
            child<QLineEdit>(window, "questionEdit")->text().isEmpty());
    QVERIFY(child<QPlainTextEdit>(window, "answerEdit")->toPlainText().isEmpty());
    QVERIFY(child<QCheckBox>(window, "oneForAllCheck")->isChecked());
    QCOMPARE(window.setup().currentFile, currentFile);

    // The frame goes with the next switch, and the box still sends a question to every slot.
    window.chooseSlot(3);
    QCOMPARE(child<PictureBox>(window, "thumbnail1")->picture(), placeholder);
    QVERIFY(framed(child<PictureBox>(window, "thumbnail3")->picture()));
    typeText(child<QLineEdit>(window, "questionEdit"), QStringLiteral("новый"));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(window.setup().slot(k).question, QStringLiteral("новый"));
}

void TestSlotTexts::newAnsweredNo()
{
    MainWindow& window = *m_window;
    typeQuestion(4, QStringLiteral("вопрос"));
    typeAnswer(4, QStringLiteral("ответ"));
    child<FileListBox>(window, "fileList")
        ->setCurrentItem(child<FileListBox>(window, "fileList")
                             ->findItems(QStringLiteral("p.jpg"), Qt::MatchExactly)
                             .value(0));
    QVERIFY(window.setup().slot(4).chosen);
    typeText(child<QLineEdit>(window, "titleEdit"), QStringLiteral("Название"));
    window.setup().firstGeneration = false;
    const Snapshot before = snapshot();

    QTest::mouseClick(child<QPushButton>(window, "newButton"),
                      Qt::LeftButton); // the empty script answers No
    QCOMPARE(m_fakes.dialogs.log.size(), 1);
    QVERIFY(snapshot() == before);
    QCOMPARE(child<QLabel>(window, "slotNumberLabel")->text(), QStringLiteral("N4"));
}

void TestSlotTexts::instructions_data()
{
    QTest::addColumn<bool>("present");
    QTest::newRow("missing") << false;
    QTest::newRow("present") << true;
}

void TestSlotTexts::instructions()
{
    QFETCH(bool, present);
    MainWindow& window = *m_window;
    const QString path = window.setup().suppliedFolder + QStringLiteral("/instr.chm");
    if (present)
        QVERIFY(writeFile(path, QByteArray("ITSF")));
    const Snapshot before = snapshot();

    QTest::mouseClick(child<QPushButton>(window, "instructionsButton"), Qt::LeftButton);
    if (present) {
        QCOMPARE(m_fakes.shell.opened, QStringList{path});
        QVERIFY(m_fakes.dialogs.log.isEmpty());
    } else {
        QVERIFY(m_fakes.shell.opened.isEmpty());
        QCOMPARE(m_fakes.dialogs.log,
                 QStringList{"Message: " + CoreText::NoInstructions + siteHost()});
        QVERIFY(!siteHost().isEmpty());
    }
    QVERIFY(snapshot() == before);
}

void TestSlotTexts::infoShowsAboutWindow()
{
    MainWindow& window = *m_window;
    AboutDialog about;
    GenerationInfoDialog info(ProgramPlaces::inOneFolder(window.setup().quizzesFolder));
    window.setAboutDialog(&about);
    window.setInfoWindow(&info);
    QSignalSpy infoShown(&info, &QDialog::finished);

    QWidget* seen = nullptr;
    QTimer::singleShot(0, this, [&] {
        seen = QApplication::activeModalWidget();
        if (seen)
            seen->close();
    });
    QTest::mouseClick(child<QPushButton>(window, "infoButton"), Qt::LeftButton);
    QCOMPARE(seen, static_cast<QWidget*>(&about));
    QVERIFY(!about.isVisible());
    QCOMPARE(infoShown.count(), 0);
    QVERIFY(m_fakes.dialogs.log.isEmpty());
}

QTEST_MAIN(TestSlotTexts)
#include "tst_slottexts.moc"
