#include "core/buildinfo.h"
#include "fakes.h"
#include "testjpeg.h"
#include "ui/aboutdialog.h"
#include "ui/browser.h"
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
bool Framed(const QImage& thumb)
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
void TypeText(QWidget* widget, const QString& text)
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
    std::unique_ptr<TForm1> m_form;
};

void TestSlotTexts::initTestCase()
{
    QVERIFY(m_pictures.isValid());
    QVERIFY(WriteFile(m_pictures.filePath("p.jpg"),
                      EncodeJpeg(Quadrants(80, 60, Qt::red, Qt::green, Qt::blue, Qt::yellow))));
    QVERIFY(QDir::setCurrent(m_pictures.path()));
}

void TestSlotTexts::init()
{
    m_dialogs = ScriptedDialogs();
    m_shell = RecordingShell();
    m_program = std::make_unique<QTemporaryDir>();
    m_form = std::make_unique<TForm1>(m_services, m_program->path() + QLatin1Char('/'));
    m_form->show();
}

void TestSlotTexts::cleanup()
{
    m_form.reset();
}

QPlainTextEdit* TestSlotTexts::copy(int k) const
{
    return m_form->findChild<QPlainTextEdit*>(QStringLiteral("Memo%1").arg(k));
}

void TestSlotTexts::typeQuestion(int slot, const QString& text)
{
    m_form->ImageClick(slot);
    m_form->Edit2->selectAll();
    QTest::keyClick(m_form->Edit2, Qt::Key_Delete);
    TypeText(m_form->Edit2, text);
}

void TestSlotTexts::typeAnswer(int slot, const QString& text)
{
    m_form->ImageClick(slot);
    m_form->Memo7->selectAll();
    QTest::keyClick(m_form->Memo7, Qt::Key_Delete);
    TypeText(m_form->Memo7, text);
}

Snapshot TestSlotTexts::snapshot() const
{
    const TForm1& f = *m_form;
    Snapshot s;
    for (int k = 1; k <= 6; ++k) {
        s.questions << f.Setup.Slot(k).Question;
        s.answers << f.Setup.Slot(k).Answer;
        s.pictures << f.Setup.Slot(k).PicturePath;
        s.copies << copy(k)->toPlainText();
    }
    for (int k = 1; k <= 7; ++k)
        s.boxes << f.PictureBox(k)->Picture();
    s.edit1 = f.Edit1->text();
    s.edit2 = f.Edit2->text();
    s.memo7 = f.Memo7->toPlainText();
    s.label4 = f.Label4->text();
    s.current = f.Setup.CurrentSlot;
    s.first = f.Setup.FirstGeneration;
    return s;
}

void TestSlotTexts::keystrokesMirrored()
{
    TForm1& f = *m_form;
    f.ImageClick(3);
    const QString typed = QStringLiteral("Кот ест");
    for (qsizetype i = 0; i < typed.size(); ++i) {
        TypeText(f.Memo7, typed.mid(i, 1));
        QCOMPARE(f.Memo3->toPlainText(), typed.left(i + 1));
        QCOMPARE(f.Setup.Slot(3).Answer, typed.left(i + 1));
    }
    for (int k : {1, 2, 4, 5, 6})
        QVERIFY(copy(k)->toPlainText().isEmpty() && f.Setup.Slot(k).Answer.isEmpty());

    for (qsizetype i = typed.size() - 1; i >= 0; --i) {
        QTest::keyClick(f.Memo7, Qt::Key_Backspace);
        QCOMPARE(f.Memo3->toPlainText(), typed.left(i));
    }
    QVERIFY(f.Setup.Slot(3).Answer.isEmpty());
    QVERIFY(m_dialogs.log.isEmpty());
}

void TestSlotTexts::answerCopiesReadOnly()
{
    TForm1& f = *m_form;
    typeAnswer(3, QStringLiteral("ответ"));
    TypeText(f.Memo3, QStringLiteral("x"));
    QTest::keyClick(f.Memo3, Qt::Key_Backspace);
    QCOMPARE(f.Memo3->toPlainText(), QStringLiteral("ответ"));
    QCOMPARE(f.Setup.Slot(3).Answer, QStringLiteral("ответ"));
    for (int k = 1; k <= 7; ++k) {
        QPlainTextEdit* memo = copy(k);
        QCOMPARE(memo->isReadOnly(), k < 7);
        QVERIFY(memo->document()->defaultTextOption().alignment() & Qt::AlignHCenter);
        QCOMPARE(memo->font().pixelSize(), k <= 2 ? 8 : k == 7 ? 16 : 11);
    }
    QVERIFY(f.Memo7->font().bold());
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
    TForm1& f = *m_form;
    f.ImageClick(2);
    TypeText(f.Memo7, before);
    if (key)
        QTest::keyClick(f.Memo7, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    TypeText(f.Memo7, QStringLiteral("b"));
    QCOMPARE(f.Setup.Slot(2).Answer, stored);
    QCOMPARE(f.Memo2->document()->blockCount(), int(stored.count(QStringLiteral("\r\n")) + 1));

    // Clicking into the field changes nothing, and a switch away and back loads the same text.
    QSignalSpy changes(f.Memo7, &QPlainTextEdit::textChanged);
    QTest::mouseClick(f.Memo7->viewport(), Qt::LeftButton);
    f.ImageClick(5);
    f.ImageClick(2);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(TForm1::StoredText(f.Memo7), stored);
    QCOMPARE(f.Setup.Slot(2).Answer, stored);
    QVERIFY(f.Setup.Slot(5).Answer.isEmpty());
}

void TestSlotTexts::oneForAll()
{
    TForm1& f = *m_form;
    typeQuestion(2, QStringLiteral("only two"));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(f.Setup.Slot(k).Question, k == 2 ? QStringLiteral("only two") : QString());

    f.CheckBox1->setChecked(true);
    typeQuestion(4, QStringLiteral("Что это?"));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(f.Setup.Slot(k).Question, QStringLiteral("Что это?"));
    f.ImageClick(6);
    QCOMPARE(f.Edit2->text(), QStringLiteral("Что это?"));

    f.CheckBox1->setChecked(false);
    TypeText(f.Edit2, QStringLiteral("!"));
    QCOMPARE(f.Setup.Slot(6).Question, QStringLiteral("Что это?!"));
    QCOMPARE(f.Setup.Slot(1).Question, QStringLiteral("Что это?"));
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
    TForm1& f = *m_form;
    for (int k = 1; k <= 4; ++k)
        typeQuestion(k, QStringLiteral("q%1").arg(k));
    typeQuestion(5, fifth);
    typeQuestion(6, sixth);

    f.CheckBox1->setChecked(true);
    QStringList now;
    for (int k = 1; k <= 6; ++k)
        now << f.Setup.Slot(k).Question;
    QCOMPARE(now, (QStringList{"q1", "q2", "q3", "q4", fifth, sixth}));

    f.ImageClick(5);
    now.clear();
    for (int k = 1; k <= 6; ++k)
        now << f.Setup.Slot(k).Question;
    QCOMPARE(now, expected);
}

void TestSlotTexts::switchesLoadTextsWithoutSideEffects()
{
    TForm1& f = *m_form;
    for (int k = 1; k <= 6; ++k) {
        typeQuestion(k, QStringLiteral("вопрос %1").arg(k));
        typeAnswer(k, QStringLiteral("ответ %1").arg(k));
    }
    const Snapshot before = snapshot();
    for (int k : {3, 1, 6, 6, 2, 5, 4, 6}) {
        f.ImageClick(k);
        QCOMPARE(f.Edit2->text(), QStringLiteral("вопрос %1").arg(k));
        QCOMPARE(f.Memo7->toPlainText(), QStringLiteral("ответ %1").arg(k));
    }
    Snapshot after = snapshot();
    QCOMPARE(after.questions, before.questions);
    QCOMPARE(after.answers, before.answers);
    QCOMPARE(after.copies, before.copies);
    QVERIFY(m_dialogs.log.isEmpty());
}

void TestSlotTexts::newAnsweredYes()
{
    TForm1& f = *m_form;
    f.CheckBox1->setChecked(true);
    typeQuestion(4, QStringLiteral("общий"));
    for (int k : {1, 4}) {
        typeAnswer(k, QStringLiteral("ответ\n%1").arg(k));
        const auto found = f.FileListBox1->findItems(QStringLiteral("p.jpg"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        f.FileListBox1->setCurrentItem(nullptr);
        f.FileListBox1->setCurrentItem(found.first());
        QVERIFY(f.Setup.Slot(k).Chosen);
    }
    TypeText(f.Edit1, QStringLiteral("Викторина"));
    f.Setup.FirstGeneration = false;
    const QString currentFile = f.Setup.CurrentFile;
    const QImage placeholder = TForm1::Placeholder();
    QVERIFY(f.Image4->Picture() != placeholder && f.Image1->Picture() != placeholder);

    m_dialogs.yesNoAnswers.enqueue(true);
    QTest::mouseClick(f.Button6, Qt::LeftButton);
    QCOMPARE(m_dialogs.log, QStringList{QStringLiteral(
                                "YesNo:  Внимание! | Вы хотите создавать новую викторину?  ")});

    QVERIFY(f.Setup.FirstGeneration);
    QCOMPARE(f.Setup.CurrentSlot, 1);
    QCOMPARE(f.Label4->text(), QStringLiteral("N1"));
    for (int k = 1; k <= 6; ++k) {
        const TQuizSlot& slot = f.Setup.Slot(k);
        QVERIFY(!slot.Chosen && slot.PicturePath.isEmpty());
        QVERIFY(slot.Question.isEmpty() && slot.Answer.isEmpty());
        QVERIFY(copy(k)->toPlainText().isEmpty());
    }
    for (int k = 2; k <= 7; ++k)
        QCOMPARE(f.PictureBox(k)->Picture(), placeholder);
    QVERIFY(Framed(f.Image1->Picture()));
    QCOMPARE(f.CleanThumb, placeholder);
    QVERIFY(f.Edit1->text().isEmpty() && f.Edit2->text().isEmpty());
    QVERIFY(f.Memo7->toPlainText().isEmpty());
    QVERIFY(f.CheckBox1->isChecked());
    QCOMPARE(f.Setup.CurrentFile, currentFile);

    // The frame goes with the next switch, and the box still sends a question to every slot.
    f.ImageClick(3);
    QCOMPARE(f.Image1->Picture(), placeholder);
    QVERIFY(Framed(f.Image3->Picture()));
    TypeText(f.Edit2, QStringLiteral("новый"));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(f.Setup.Slot(k).Question, QStringLiteral("новый"));
}

void TestSlotTexts::newAnsweredNo()
{
    TForm1& f = *m_form;
    typeQuestion(4, QStringLiteral("вопрос"));
    typeAnswer(4, QStringLiteral("ответ"));
    f.FileListBox1->setCurrentItem(
        f.FileListBox1->findItems(QStringLiteral("p.jpg"), Qt::MatchExactly).value(0));
    QVERIFY(f.Setup.Slot(4).Chosen);
    TypeText(f.Edit1, QStringLiteral("Название"));
    f.Setup.FirstGeneration = false;
    const Snapshot before = snapshot();

    QTest::mouseClick(f.Button6, Qt::LeftButton); // the empty script answers No
    QCOMPARE(m_dialogs.log.size(), 1);
    QVERIFY(snapshot() == before);
    QCOMPARE(f.Label4->text(), QStringLiteral("N4"));
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
    TForm1& f = *m_form;
    const QString path = f.Setup.ProgramFolder + QStringLiteral("/instr.chm");
    if (present)
        QVERIFY(WriteFile(path, QByteArray("ITSF")));
    const Snapshot before = snapshot();

    QTest::mouseClick(f.Button3, Qt::LeftButton);
    if (present) {
        QCOMPARE(m_shell.opened, QStringList{path});
        QVERIFY(m_dialogs.log.isEmpty());
    } else {
        QVERIFY(m_shell.opened.isEmpty());
        QCOMPARE(m_dialogs.log,
                 QStringList{
                     QStringLiteral(
                         "Message: Файл инструкции instr.chm - недоступен! Обращайьесь на сайт: ") +
                     SiteHost()});
        QVERIFY(!SiteHost().isEmpty());
    }
    QVERIFY(snapshot() == before);
}

void TestSlotTexts::infoShowsAboutWindow()
{
    TForm1& f = *m_form;
    TAboutBox about;
    TForm2 info(f.Setup.ProgramFolder);
    f.SetAboutBox(&about);
    f.SetInfoWindow(&info);
    QSignalSpy infoShown(&info, &QDialog::finished);

    QWidget* seen = nullptr;
    QTimer::singleShot(0, this, [&] {
        seen = QApplication::activeModalWidget();
        if (seen)
            seen->close();
    });
    QTest::mouseClick(f.Button2, Qt::LeftButton);
    QCOMPARE(seen, static_cast<QWidget*>(&about));
    QVERIFY(!about.isVisible());
    QCOMPARE(infoShown.count(), 0);
    QVERIFY(m_dialogs.log.isEmpty());
}

QTEST_MAIN(TestSlotTexts)
#include "tst_slottexts.moc"
