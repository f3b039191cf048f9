// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/generationcommand.h"
#include "core/quizfolder.h"
#include "dropfiles.h"
#include "fakes.h"
#include "findchild.h"
#include "foldersnapshot.h"
#include "testjpeg.h"
#include "ui/filelistbox.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"
#include "ui/slotstrip.h"
#include "ui/textfields.h"
#include "ui/texts.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// Slot k's thumbnail; k = 0: the preview.
QImage shown(const MainWindow& window, int k)
{
    return child<PictureBox>(window, k ? numbered("thumbnail", k) : QStringLiteral("preview"))
        ->picture();
}

} // namespace

class TestReopen : public QObject
{
    Q_OBJECT

    QTemporaryDir m_program, m_pictures, m_elsewhere;
    FakeServices m_fakes;

    QString pic(const QString& name) const { return m_pictures.filePath(name); }
    std::unique_ptr<MainWindow> newWindow()
    {
        auto window = std::make_unique<MainWindow>(m_fakes.services, m_program.path());
        window->show();
        return window;
    }

private slots:
    void initTestCase()
    {
        for (const QString& name : DecorationNames)
            QVERIFY(QFile::copy(QUIRVEL_DECOR_DIR "/" + name, m_program.filePath(name)));
        const QColor c[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};
        const QStringList names{"p1.jpg", "p2.JPG", "p3.jpg", "p4.jpg", "p5.Jpg", "p6.jpg"};
        for (int i = 0; i < 6; ++i)
            QVERIFY(writeFile(pic(names[i]), encodeJpeg(quadrants(64 + 16 * i, 48, c[i], c[5 - i],
                                                                  c[(i + 2) % 6], c[i / 2]))));
        QVERIFY(writeFile(pic("bad.jpg"), "no picture") && writeFile(pic("notes.txt"), "text"));
        const QByteArray whole =
            encodeJpeg(quadrants(160, 120, Qt::red, Qt::red, Qt::red, Qt::red));
        QVERIFY(writeFile(pic("cut.jpg"), whole.left(whole.indexOf("\xFF\xDA") + 20)));
        QVERIFY(QDir(m_pictures.path()).mkdir("dir.jpg") && QDir::setCurrent(m_pictures.path()));
    }
    void init() { m_fakes.dialogs = ScriptedDialogs(); }

    void drop_data()
    {
        QTest::addColumn<QString>("target"); // slot 2 is current before the drop
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<QString>("filled"); // what slots 1..6 hold afterwards
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("skipped"); // the message; bad.jpg is a failed choice
        QTest::addColumn<bool>("shift");      // the file manager offers a move first
        // Any name is taken; a folder is not.
        const QString skip = UiText::Skipped + '\n';
        // clang-format off
        QTest::newRow("one on the answer field")
            << "answerEdit" << "p2.JPG" << "- p2.JPG - - - -" << 2 << "" << false;
        QTest::newRow("several, from slot 3 to the last") << "thumbnail3"
            << "p1.jpg dir.jpg p2.JPG bad.jpg p3.jpg p4.jpg p5.Jpg"
            << "- - p1.jpg p2.JPG - p3.jpg" << 6 << skip + "dir.jpg" << false;
        QTest::newRow("several on the window, last one undecodable")
            << "window" << "p1.jpg bad.jpg" << "- p1.jpg - - - -" << 2 << "" << false;
        QTest::newRow("one with Shift held, still a copy")
            << "thumbnail4" << "p6.jpg" << "- - - p6.jpg - -" << 4 << "" << true;
        // clang-format on
    }
    // A drop must leave the window just as picked each file in the list for its slot does.
    void drop()
    {
        QFETCH(QString, target);
        QFETCH(QString, dropped);
        QFETCH(QString, filled);
        QFETCH(int, current);
        QFETCH(QString, skipped);
        QFETCH(bool, shift);
        auto window = newWindow(), picked = newWindow();
        window->chooseSlot(2);
        QWidget* on = target == "window"       ? window.get()
                      : target == "answerEdit" ? child<QPlainTextEdit>(*window, target)->viewport()
                                               : child<QWidget>(*window, target);
        QStringList paths;
        for (const QString& name : dropped.split(' '))
            paths << pic(name);
        QVERIFY(dropFiles(on, paths, shift ? Qt::ShiftModifier : Qt::NoModifier));

        auto* list = child<FileListBox>(*picked, "fileList");
        for (int k = 1; k <= 6; ++k) {
            const QString name = filled.split(' ')[k - 1];
            QCOMPARE(window->setup().slot(k).picturePath, name == "-" ? "" : pic(name));
            if (name != "-") {
                picked->chooseSlot(k);
                list->setCurrentItem(list->findItems(name, Qt::MatchExactly).value(0));
            }
        }
        picked->chooseSlot(current);
        QCOMPARE(window->setup().currentSlot, current);
        for (int k = 0; k <= 6; ++k)
            QCOMPARE(shown(*window, k), shown(*picked, k));
        QVERIFY(child<QPlainTextEdit>(*window, "answerEdit")->toPlainText().isEmpty());
        QCOMPARE(m_fakes.dialogs.messages().join("|"), skipped);
        QCOMPARE(m_fakes.dialogs.errors().size(), int(dropped.contains("bad.jpg")));
    }

    // A picture cut short is shown as far as it goes and named once: one box for a drop, none
    // on a slot switch, one when picked in the list.
    void partialPicturesNamed()
    {
        auto window = newWindow();
        QVERIFY(dropFiles(window.get(), {pic("cut.jpg"), pic("p1.jpg"), pic("cut.jpg")}));
        const QString named = "Картинка %1 (cut.jpg) повреждена: показана не полностью";
        QCOMPARE(m_fakes.dialogs.messages(), {named.arg(1) + "\n" + named.arg(3)});
        window->chooseSlot(1);
        window->chooseSlot(3);
        window->chooseSlot(4);
        auto* list = child<FileListBox>(*window, "fileList");
        list->setCurrentItem(list->findItems("cut.jpg", Qt::MatchExactly).value(0));
        QCOMPARE(m_fakes.dialogs.log, QStringList({"Message: " + named.arg(1) + "\n" + named.arg(3),
                                                   "Message: " + named.arg(4)}));
        QVERIFY(window->setup().slot(4).chosen);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("copiedTo"); // where the quiz folder is copied and dropped from
        QTest::addColumn<bool>("edited");      // its page changed elsewhere after the reopen
        QTest::newRow("among the program's quizzes, its page dropped") << "" << false;
        QTest::newRow("edited elsewhere, replaced on Yes") << "" << true;
        QTest::newRow("copied elsewhere, its folder dropped") << m_elsewhere.path() << false;
        QTest::newRow("below the quizzes folder") << m_program.filePath("старые") << false;
        QTest::newRow("beside the quizzes folder") << m_program.path() + "-old" << false;
    }
    // Compose, generate, reopen in a fresh window with one-for-all ticked, generate again with
    // the same order: the same bytes, in place or in a new folder.
    void roundTrip()
    {
        QFETCH(QString, copiedTo);
        QFETCH(bool, edited);
        const bool inPlace = copiedTo.isEmpty();
        const QString name = "quiz_" + QString(QTest::currentDataTag()).section(' ', 0, 0);
        const auto cleanup = qScopeGuard([&] {
            if (copiedTo.endsWith("-old"))
                QDir(copiedTo).removeRecursively();
        });
        auto window = newWindow();
        QVERIFY(dropFiles(child<PictureBox>(*window, "thumbnail1"),
                          {pic("p6.jpg"), pic("p4.jpg"), pic("p3.jpg"), pic("p2.JPG"),
                           pic("p1.jpg"), pic("p3.jpg")}));
        const QStringList questions{"&#1040; как есть", "Второй", "", "Четвёртый ✓", "5", "6"};
        const QStringList answers{"Один", "две\nстроки", "три", "&amp;", "пять ✓", "шесть"};
        for (int k = 1; k <= 6; ++k) {
            window->chooseSlot(k);
            child<QLineEdit>(*window, "questionEdit")->setText(questions[k - 1]);
            child<QPlainTextEdit>(*window, "answerEdit")->setPlainText(answers[k - 1]);
        }
        child<QLineEdit>(*window, "titleEdit")->setText("Моя ✓ викторина");
        const AnswerOrder order{{4, 1, 6, 2, 5, 3}, "4, 1, 6, 2, 5, 3"};
        window->generation().setShuffle([order] { return order; });
        m_fakes.dialogs.inputAnswers.enqueue(name);
        window->generateQuiz();
        window->chooseSlot(1);
        const QString quiz = m_program.filePath(name);
        const auto generated = folderSnapshot(quiz);
        QVERIFY(generated.contains("/start.htm") && m_fakes.dialogs.errors().isEmpty());
        QString from = quiz + "/start.htm";
        if (!inPlace) {
            QVERIFY(QDir().mkpath(from = copiedTo + "/" + name));
            for (const QString& file : QDir(quiz).entryList(QDir::Files))
                QVERIFY(QFile::copy(quiz + "/" + file, from + "/" + file));
        }

        auto reopened = newWindow();
        child<QCheckBox>(*reopened, "oneForAllCheck")->setChecked(true);
        m_fakes.dialogs.log.clear();
        QVERIFY(dropFiles(reopened.get(), {from}));
        QCOMPARE(m_fakes.dialogs.log, QStringList());
        QVERIFY(reopened->setup().currentSlot == 1 &&
                reopened->setup().firstGeneration == !inPlace);
        for (int k = 1; k <= 6; ++k) {
            QCOMPARE(reopened->setup().slot(k).question, questions[k - 1]);
            QCOMPARE(storedText(child<QPlainTextEdit>(*reopened, numbered("answerCopy", k))),
                     QString(answers[k - 1]).replace("\n", "\r\n"));
        }
        for (int k = 0; k <= 6; ++k)
            QCOMPARE(shown(*reopened, k), shown(*window, k));

        if (edited) {
            QFile page(from);
            QVERIFY(page.open(QIODevice::Append) && page.write("<!-- elsewhere -->") > 0);
            m_fakes.dialogs.yesNoAnswers.enqueue(true);
        }
        reopened->generation().setShuffle([order] { return order; });
        m_fakes.dialogs.inputAnswers.enqueue(name + "2");
        reopened->generateQuiz();
        // In place: no name question and its warning, only "view it?" at the end, and before it
        // the question whether to replace a page changed since.
        QCOMPARE(m_fakes.dialogs.log.size(), inPlace ? 1 + edited : 3);
        QCOMPARE(m_fakes.dialogs.log.first().contains("изменило другое окно"), edited);
        const auto again = folderSnapshot(inPlace ? quiz : m_program.filePath(name + "2"));
        QCOMPARE(again.value("/start.htm"), generated.value("/start.htm"));
        QCOMPARE(again, generated);
    }

    void overComposition_data()
    {
        QTest::addColumn<QString>("composed"); // the field given a blank; "": a picture in slot 3
        QTest::addColumn<QString>("page");     // "holes": 3, 5, 6 spoilt
        QTest::addColumn<int>("answer");       // to the question: 0 No, 1 Yes; -1: Cancel before
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<QString>("last"); // what the last dialog says
        const QString question = "YesNo: " + UiText::OpenCaption + '|' + UiText::OpenQuestion;
        // clang-format off
        QTest::newRow("title, No") << "titleEdit" << "" << 0 << false << 2 << question;
        QTest::newRow("question, No") << "questionEdit" << "" << 0 << false << 2 << question;
        QTest::newRow("answer, No") << "answerEdit" << "" << 0 << false << 2 << question;
        QTest::newRow("picture, Yes, three pictures unusable") << "" << "holes" << 1 << true << 3
            << "Message: Картинки нет или она не читается, ячейки остались пустыми: 3, 5, 6";
        QTest::newRow("Cancel") << "" << "" << -1 << false << 1
            << "ChooseFolder: " + UiText::OpenCaption + "|" + m_program.path() + "/";
        // clang-format on
    }
    // Ctrl+O over a composition: only Yes replaces what the window holds.
    void overComposition()
    {
        QFETCH(QString, composed);
        QFETCH(QString, page);
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        QFETCH(int, dialogs);
        QFETCH(QString, last);
        QuizSetup setup; // a quiz written by the program's own code among its quizzes
        setup.initialise(m_program.path());
        setup.folderName = QTest::currentDataTag();
        for (int k = 1; k <= 6; ++k) {
            setup.slot(k).picturePath = pic(k % 2 ? "p1.jpg" : "p2.JPG");
            setup.slot(k).question = QStringLiteral("Вопрос %1").arg(k);
        }
        const QString quiz = QDir::cleanPath(setup.quizFolder());
        QVERIFY(QDir().mkpath(quiz) &&
                placeQuiz(setup, AnswerOrder{}, m_fakes.shell, m_fakes.dialogs));
        if (page == "holes") {
            QVERIFY(QFile::remove(quiz + "/3.jpg") && writeFile(quiz + "/5.jpg", "broken"));
            QVERIFY(QFile::remove(quiz + "/6.jpg") && QDir(quiz).mkdir("6.jpg"));
        }
        auto window = newWindow();
        if (composed.isEmpty())
            QVERIFY(dropFiles(child<PictureBox>(*window, "thumbnail3"), {pic("p4.jpg")}));
        else
            child<QWidget>(*window, composed)
                ->setProperty(composed == "answerEdit" ? "plainText" : "text", " ");
        const QImage before = shown(*window, 3);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        m_fakes.dialogs.log.clear();
        if (answer >= 0)
            m_fakes.dialogs.folderAnswers.enqueue(quiz);
        m_fakes.dialogs.yesNoAnswers.enqueue(answer == 1);
        QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(m_fakes.dialogs.log.size(), dialogs);
        QVERIFY2(m_fakes.dialogs.log.last().contains(last), qPrintable(m_fakes.dialogs.log.last()));
        QCOMPARE(window->setup().slot(2).question == "Вопрос 2", replaced);
        QCOMPARE(window->setup().firstGeneration, !replaced);
        QCOMPARE(shown(*window, 3), replaced ? SlotStrip::placeholder() : before);
    }
};

QTEST_MAIN(TestReopen)
#include "tst_reopen.moc"
