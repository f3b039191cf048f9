#include "core/buildinfo.h"
#include "fakes.h"
#include "findchild.h"
#include "testjpeg.h"
#include "ui/aboutdialog.h"
#include "ui/filelistbox.h"
#include "ui/generationinfodialog.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"

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
    QString edit1, edit2, memo7, label4;
    int current = 0;
    bool first = false;
    bool operator==(const Snapshot&) const = default;
};

// QTest::keyClicks takes Latin-1 only; these are key presses carrying any character.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

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
    ScriptedDialogs m_dialogs;
    RecordingShell m_shell;
    CountingPauser m_pauser;
    Services m_services{m_dialogs, m_shell, m_pauser};
    std::unique_ptr<MainWindow> m_form;
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
    m_dialogs = ScriptedDialogs();
    m_shell = RecordingShell();
    m_program = std::make_unique<QTemporaryDir>();
    m_form = std::make_unique<MainWindow>(m_services, m_program->path() + QLatin1Char('/'));
    m_form->show();
}

void TestSlotTexts::cleanup()
{
    m_form.reset();
}

QPlainTextEdit* TestSlotTexts::copy(int k) const
{
    return child<QPlainTextEdit>(*m_form, numbered("answerCopy", k));
}

void TestSlotTexts::typeQuestion(int slot, const QString& text)
{
    m_form->chooseSlot(slot);
    child<QLineEdit>(*m_form, "questionEdit")->selectAll();
    QTest::keyClick(child<QLineEdit>(*m_form, "questionEdit"), Qt::Key_Delete);
    typeText(child<QLineEdit>(*m_form, "questionEdit"), text);
}

void TestSlotTexts::typeAnswer(int slot, const QString& text)
{
    m_form->chooseSlot(slot);
    child<QPlainTextEdit>(*m_form, "answerEdit")->selectAll();
    QTest::keyClick(child<QPlainTextEdit>(*m_form, "answerEdit"), Qt::Key_Delete);
    typeText(child<QPlainTextEdit>(*m_form, "answerEdit"), text);
}

Snapshot TestSlotTexts::snapshot() const
{
    const MainWindow& f = *m_form;
    Snapshot s;
    for (int k = 1; k <= 6; ++k) {
        s.questions << f.setup().slot(k).question;
        s.answers << f.setup().slot(k).answer;
        s.pictures << f.setup().slot(k).picturePath;
        s.copies << copy(k)->toPlainText();
    }
    for (int k = 1; k <= MainWindow::SlotCount; ++k)
        s.boxes << child<PictureBox>(f, numbered("thumbnail", k))->picture();
    s.boxes << child<PictureBox>(f, "preview")->picture();
    s.edit1 = child<QLineEdit>(f, "titleEdit")->text();
    s.edit2 = child<QLineEdit>(f, "questionEdit")->text();
    s.memo7 = child<QPlainTextEdit>(f, "answerEdit")->toPlainText();
    s.label4 = child<QLabel>(f, "slotNumberLabel")->text();
    s.current = f.setup().currentSlot;
    s.first = f.setup().firstGeneration;
    return s;
}

void TestSlotTexts::keystrokesMirrored()
{
    MainWindow& f = *m_form;
    f.chooseSlot(3);
    const QString typed = QStringLiteral("Кот ест");
    for (qsizetype i = 0; i < typed.size(); ++i) {
        typeText(child<QPlainTextEdit>(f, "answerEdit"), typed.mid(i, 1));
        QCOMPARE(child<QPlainTextEdit>(f, "answerCopy3")->toPlainText(), typed.left(i + 1));
        QCOMPARE(f.setup().slot(3).answer, typed.left(i + 1));
    }
    for (int k : {1, 2, 4, 5, 6})
        QVERIFY(copy(k)->toPlainText().isEmpty() && f.setup().slot(k).answer.isEmpty());

    for (qsizetype i = typed.size() - 1; i >= 0; --i) {
        QTest::keyClick(child<QPlainTextEdit>(f, "answerEdit"), Qt::Key_Backspace);
        QCOMPARE(child<QPlainTextEdit>(f, "answerCopy3")->toPlainText(), typed.left(i));
    }
    QVERIFY(f.setup().slot(3).answer.isEmpty());
    QVERIFY(m_dialogs.log.isEmpty());
}

void TestSlotTexts::answerCopiesReadOnly()
{
    MainWindow& f = *m_form;
    typeAnswer(3, QStringLiteral("ответ"));
    typeText(child<QPlainTextEdit>(f, "answerCopy3"), QStringLiteral("x"));
    QTest::keyClick(child<QPlainTextEdit>(f, "answerCopy3"), Qt::Key_Backspace);
    QCOMPARE(child<QPlainTextEdit>(f, "answerCopy3")->toPlainText(), QStringLiteral("ответ"));
    QCOMPARE(f.setup().slot(3).answer, QStringLiteral("ответ"));
    // The six copies, then the answer field itself as number 7.
    for (int k = 1; k <= 7; ++k) {
        QPlainTextEdit* memo =
            k <= MainWindow::SlotCount ? copy(k) : child<QPlainTextEdit>(f, "answerEdit");
        QCOMPARE(memo->isReadOnly(), k < 7);
        QVERIFY(memo->document()->defaultTextOption().alignment() & Qt::AlignHCenter);
        QCOMPARE(memo->font().pixelSize(), k <= 2 ? 8 : k == 7 ? 16 : 11);
    }
    QVERIFY(child<QPlainTextEdit>(f, "answerEdit")->font().bold());
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
    MainWindow& f = *m_form;
    f.chooseSlot(2);
    typeText(child<QPlainTextEdit>(f, "answerEdit"), before);
    if (key)
        QTest::keyClick(child<QPlainTextEdit>(f, "answerEdit"), Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
    typeText(child<QPlainTextEdit>(f, "answerEdit"), QStringLiteral("b"));
    QCOMPARE(f.setup().slot(2).answer, stored);
    QCOMPARE(child<QPlainTextEdit>(f, "answerCopy2")->document()->blockCount(),
             int(stored.count(QStringLiteral("\r\n")) + 1));

    // Clicking into the field changes nothing, and a switch away and back loads the same text.
    QSignalSpy changes(child<QPlainTextEdit>(f, "answerEdit"), &QPlainTextEdit::textChanged);
    QTest::mouseClick(child<QPlainTextEdit>(f, "answerEdit")->viewport(), Qt::LeftButton);
    f.chooseSlot(5);
    f.chooseSlot(2);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(MainWindow::storedText(child<QPlainTextEdit>(f, "answerEdit")), stored);
    QCOMPARE(f.setup().slot(2).answer, stored);
    QVERIFY(f.setup().slot(5).answer.isEmpty());
}

void TestSlotTexts::oneForAll()
{
    MainWindow& f = *m_form;
    typeQuestion(2, QStringLiteral("only two"));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(f.setup().slot(k).question, k == 2 ? QStringLiteral("only two") : QString());

    child<QCheckBox>(f, "oneForAllCheck")->setChecked(true);
    typeQuestion(4, QStringLiteral("Что это?"));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(f.setup().slot(k).question, QStringLiteral("Что это?"));
    f.chooseSlot(6);
    QCOMPARE(child<QLineEdit>(f, "questionEdit")->text(), QStringLiteral("Что это?"));

    child<QCheckBox>(f, "oneForAllCheck")->setChecked(false);
    typeText(child<QLineEdit>(f, "questionEdit"), QStringLiteral("!"));
    QCOMPARE(f.setup().slot(6).question, QStringLiteral("Что это?!"));
    QCOMPARE(f.setup().slot(1).question, QStringLiteral("Что это?"));
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
    MainWindow& f = *m_form;
    for (int k = 1; k <= 4; ++k)
        typeQuestion(k, QStringLiteral("q%1").arg(k));
    typeQuestion(5, fifth);
    typeQuestion(6, sixth);

    child<QCheckBox>(f, "oneForAllCheck")->setChecked(true);
    QStringList now;
    for (int k = 1; k <= 6; ++k)
        now << f.setup().slot(k).question;
    QCOMPARE(now, (QStringList{"q1", "q2", "q3", "q4", fifth, sixth}));

    f.chooseSlot(5);
    now.clear();
    for (int k = 1; k <= 6; ++k)
        now << f.setup().slot(k).question;
    QCOMPARE(now, expected);
}

void TestSlotTexts::switchesLoadTextsWithoutSideEffects()
{
    MainWindow& f = *m_form;
    for (int k = 1; k <= 6; ++k) {
        typeQuestion(k, QStringLiteral("вопрос %1").arg(k));
        typeAnswer(k, QStringLiteral("ответ %1").arg(k));
    }
    const Snapshot before = snapshot();
    for (int k : {3, 1, 6, 6, 2, 5, 4, 6}) {
        f.chooseSlot(k);
        QCOMPARE(child<QLineEdit>(f, "questionEdit")->text(), QStringLiteral("вопрос %1").arg(k));
        QCOMPARE(child<QPlainTextEdit>(f, "answerEdit")->toPlainText(),
                 QStringLiteral("ответ %1").arg(k));
    }
    Snapshot after = snapshot();
    QCOMPARE(after.questions, before.questions);
    QCOMPARE(after.answers, before.answers);
    QCOMPARE(after.copies, before.copies);
    QVERIFY(m_dialogs.log.isEmpty());
}

void TestSlotTexts::newAnsweredYes()
{
    MainWindow& f = *m_form;
    child<QCheckBox>(f, "oneForAllCheck")->setChecked(true);
    typeQuestion(4, QStringLiteral("общий"));
    for (int k : {1, 4}) {
        typeAnswer(k, QStringLiteral("ответ\n%1").arg(k));
        const auto found =
            child<FileListBox>(f, "fileList")->findItems(QStringLiteral("p.jpg"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        child<FileListBox>(f, "fileList")->setCurrentItem(nullptr);
        child<FileListBox>(f, "fileList")->setCurrentItem(found.first());
        QVERIFY(f.setup().slot(k).chosen);
    }
    typeText(child<QLineEdit>(f, "titleEdit"), QStringLiteral("Викторина"));
    f.setup().firstGeneration = false;
    const QString currentFile = f.setup().currentFile;
    const QImage placeholder = MainWindow::placeholder();
    QVERIFY(child<PictureBox>(f, "thumbnail4")->picture() != placeholder &&
            child<PictureBox>(f, "thumbnail1")->picture() != placeholder);

    m_dialogs.yesNoAnswers.enqueue(true);
    QTest::mouseClick(child<QPushButton>(f, "newButton"), Qt::LeftButton);
    QCOMPARE(m_dialogs.log, QStringList{QStringLiteral(
                                "YesNo:  Внимание! | Вы хотите создавать новую викторину?  ")});

    QVERIFY(f.setup().firstGeneration);
    QCOMPARE(f.setup().currentSlot, 1);
    QCOMPARE(child<QLabel>(f, "slotNumberLabel")->text(), QStringLiteral("N1"));
    for (int k = 1; k <= 6; ++k) {
        const QuizSlot& slot = f.setup().slot(k);
        QVERIFY(!slot.chosen && slot.picturePath.isEmpty());
        QVERIFY(slot.question.isEmpty() && slot.answer.isEmpty());
        QVERIFY(copy(k)->toPlainText().isEmpty());
    }
    for (int k = 2; k <= MainWindow::SlotCount; ++k)
        QCOMPARE(child<PictureBox>(f, numbered("thumbnail", k))->picture(), placeholder);
    QCOMPARE(child<PictureBox>(f, "preview")->picture(), placeholder);
    QVERIFY(framed(child<PictureBox>(f, "thumbnail1")->picture()));
    QCOMPARE(f.cleanThumbnail(), placeholder);
    QVERIFY(child<QLineEdit>(f, "titleEdit")->text().isEmpty() &&
            child<QLineEdit>(f, "questionEdit")->text().isEmpty());
    QVERIFY(child<QPlainTextEdit>(f, "answerEdit")->toPlainText().isEmpty());
    QVERIFY(child<QCheckBox>(f, "oneForAllCheck")->isChecked());
    QCOMPARE(f.setup().currentFile, currentFile);

    // The frame goes with the next switch, and the box still sends a question to every slot.
    f.chooseSlot(3);
    QCOMPARE(child<PictureBox>(f, "thumbnail1")->picture(), placeholder);
    QVERIFY(framed(child<PictureBox>(f, "thumbnail3")->picture()));
    typeText(child<QLineEdit>(f, "questionEdit"), QStringLiteral("новый"));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(f.setup().slot(k).question, QStringLiteral("новый"));
}

void TestSlotTexts::newAnsweredNo()
{
    MainWindow& f = *m_form;
    typeQuestion(4, QStringLiteral("вопрос"));
    typeAnswer(4, QStringLiteral("ответ"));
    child<FileListBox>(f, "fileList")
        ->setCurrentItem(child<FileListBox>(f, "fileList")
                             ->findItems(QStringLiteral("p.jpg"), Qt::MatchExactly)
                             .value(0));
    QVERIFY(f.setup().slot(4).chosen);
    typeText(child<QLineEdit>(f, "titleEdit"), QStringLiteral("Название"));
    f.setup().firstGeneration = false;
    const Snapshot before = snapshot();

    QTest::mouseClick(child<QPushButton>(f, "newButton"),
                      Qt::LeftButton); // the empty script answers No
    QCOMPARE(m_dialogs.log.size(), 1);
    QVERIFY(snapshot() == before);
    QCOMPARE(child<QLabel>(f, "slotNumberLabel")->text(), QStringLiteral("N4"));
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
    MainWindow& f = *m_form;
    const QString path = f.setup().suppliedFolder + QStringLiteral("/instr.chm");
    if (present)
        QVERIFY(writeFile(path, QByteArray("ITSF")));
    const Snapshot before = snapshot();

    QTest::mouseClick(child<QPushButton>(f, "instructionsButton"), Qt::LeftButton);
    if (present) {
        QCOMPARE(m_shell.opened, QStringList{path});
        QVERIFY(m_dialogs.log.isEmpty());
    } else {
        QVERIFY(m_shell.opened.isEmpty());
        QCOMPARE(m_dialogs.log,
                 QStringList{
                     QStringLiteral(
                         "Message: Файл инструкции instr.chm - недоступен! Обращайьесь на сайт: ") +
                     siteHost()});
        QVERIFY(!siteHost().isEmpty());
    }
    QVERIFY(snapshot() == before);
}

void TestSlotTexts::infoShowsAboutWindow()
{
    MainWindow& f = *m_form;
    AboutDialog about;
    GenerationInfoDialog info(ProgramPlaces::inOneFolder(f.setup().quizzesFolder));
    f.setAboutDialog(&about);
    f.setInfoWindow(&info);
    QSignalSpy infoShown(&info, &QDialog::finished);

    QWidget* seen = nullptr;
    QTimer::singleShot(0, this, [&] {
        seen = QApplication::activeModalWidget();
        if (seen)
            seen->close();
    });
    QTest::mouseClick(child<QPushButton>(f, "infoButton"), Qt::LeftButton);
    QCOMPARE(seen, static_cast<QWidget*>(&about));
    QVERIFY(!about.isVisible());
    QCOMPARE(infoShown.count(), 0);
    QVERIFY(m_dialogs.log.isEmpty());
}

QTEST_MAIN(TestSlotTexts)
#include "tst_slottexts.moc"
