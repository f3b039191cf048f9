#include "core/quizfolder.h"
#include "core/startpage.h"
#include "dropfiles.h"
#include "fakes.h"
#include "findchild.h"
#include "testjpeg.h"
#include "ui/filelistbox.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

const QColor Reds[] = {QColor(200, 40, 40),  QColor(40, 200, 40),  QColor(40, 40, 200),
                       QColor(200, 200, 40), QColor(40, 200, 200), QColor(200, 40, 200)};
const QString Question = QStringLiteral(" Внимание! ") + QLatin1Char('|') +
                         QStringLiteral(" Вы хотите создавать новую викторину?  ");

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestReopen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void oneDroppedFile_data();
    void oneDroppedFile();
    void severalDroppedFiles_data();
    void severalDroppedFiles();
    void roundTrip_data();
    void roundTrip();
    void refusedFolderChangesNothing_data();
    void refusedFolderChangesNothing();
    void missingPictures();
    void compositionQuestion_data();
    void compositionQuestion();

private:
    QString picture(const QString& name) const { return m_pictures.filePath(name); }
    QWidget* widget(MainWindow& form, const QString& name);
    // A quiz written by the program's own code into the program folder.
    QString makeQuiz(const QString& name);
    std::unique_ptr<MainWindow> newWindow();

    QTemporaryDir m_program;
    QTemporaryDir m_pictures;
    QTemporaryDir m_elsewhere;
    const QStringList m_names{"p1.jpg", "p2.JPG", "p3.jpg", "p4.jpg", "p5.Jpg", "p6.jpg"};
    QImage m_placeholder;
    ScriptedDialogs m_dialogs;
    RecordingShell m_shell;
    CountingPauser m_pauser;
    Services m_services{m_dialogs, m_shell, m_pauser};
    std::unique_ptr<MainWindow> m_form;
};

void TestReopen::initTestCase()
{
    QVERIFY(m_program.isValid() && m_pictures.isValid() && m_elsewhere.isValid());
    for (const QString& name : DecorationNames)
        QVERIFY(
            QFile::copy(QStringLiteral(QUIRVEL_DECOR_DIR "/") + name, m_program.filePath(name)));
    for (int i = 0; i < 6; ++i)
        QVERIFY(writeFile(picture(m_names[i]),
                          encodeJpeg(quadrants(64 + 16 * i, 48, Reds[i], Reds[(i + 1) % 6],
                                               Reds[(i + 2) % 6], Reds[(i + 3) % 6]))));
    QVERIFY(writeFile(picture("bad.jpg"), QByteArray("no picture")));
    QVERIFY(writeFile(picture("notes.txt"), QByteArray("text")));
    QVERIFY(QDir(m_pictures.path()).mkdir("dir.jpg"));
    QVERIFY(QDir::setCurrent(m_pictures.path()));
    m_placeholder = MainWindow::placeholder();
}

void TestReopen::init()
{
    m_dialogs = ScriptedDialogs();
    m_form = newWindow();
}

void TestReopen::cleanup()
{
    m_form.reset();
}

std::unique_ptr<MainWindow> TestReopen::newWindow()
{
    auto form = std::make_unique<MainWindow>(m_services, m_program.path());
    form->show();
    return form;
}

QWidget* TestReopen::widget(MainWindow& form, const QString& name)
{
    if (name == QLatin1String("window"))
        return &form;
    if (name == QLatin1String("answerEdit"))
        return child<QPlainTextEdit>(form, name)->viewport();
    return child<QWidget>(form, name);
}

QString TestReopen::makeQuiz(const QString& name)
{
    QuizSetup setup;
    setup.initialise(m_program.path());
    setup.folderName = name;
    setup.title = QStringLiteral("Викторина ") + name;
    for (int k = 1; k <= 6; ++k) {
        setup.slot(k).picturePath = picture(m_names[k - 1]);
        setup.slot(k).question = QStringLiteral("Вопрос %1").arg(k);
        setup.slot(k).answer = QStringLiteral("Ответ %1").arg(k);
    }
    if (!QDir().mkpath(setup.quizFolder()))
        return QString();
    writeQuizPage(setup, AnswerOrder{}, m_shell, m_dialogs);
    return QDir::cleanPath(setup.quizFolder());
}

void TestReopen::oneDroppedFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("slot");
    QTest::newRow("on a thumbnail") << "thumbnail3" << 3;
    QTest::newRow("on the window") << "window" << 2;
    QTest::newRow("on the title field") << "titleEdit" << 2;
    QTest::newRow("on the answer field") << "answerEdit" << 2;
}

void TestReopen::oneDroppedFile()
{
    QFETCH(QString, target);
    QFETCH(int, slot);
    MainWindow& f = *m_form;
    f.chooseSlot(2);
    QVERIFY(dropFiles(widget(f, target), {picture("p2.JPG")}));
    QCOMPARE(f.setup().currentSlot, slot);
    QCOMPARE(f.setup().slot(slot).picturePath, picture("p2.JPG"));
    QVERIFY(f.setup().slot(slot).chosen && f.setup().currentFile == picture("p2.JPG"));
    QVERIFY(child<QLineEdit>(f, "titleEdit")->text().isEmpty() && m_dialogs.log.isEmpty());
    QVERIFY(child<QPlainTextEdit>(f, "answerEdit")->toPlainText().isEmpty());

    // The same as clicking the slot and picking the file in the list.
    auto picked = newWindow();
    picked->chooseSlot(slot);
    auto* list = child<FileListBox>(*picked, "fileList");
    list->setCurrentItem(list->findItems("p2.JPG", Qt::MatchExactly).value(0));
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(child<PictureBox>(f, numbered("thumbnail", k))->picture(),
                 child<PictureBox>(*picked, numbered("thumbnail", k))->picture());
    QCOMPARE(child<PictureBox>(f, "preview")->picture(),
             child<PictureBox>(*picked, "preview")->picture());
    QCOMPARE(f.cleanThumbnail(), picked->cleanThumbnail());
}

void TestReopen::severalDroppedFiles_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QStringList>("filled"); // picture of slots 1..6 afterwards
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("errors");
    const QString skipped =
        QStringLiteral("Берутся только картинки с расширением .jpg или .JPG. Не взяты:\n");
    QTest::newRow("from slot 3 to the last")
        << "thumbnail3" << QStringList{"p1.jpg",  "notes.txt", "dir.jpg", "p2.JPG",
                                       "bad.jpg", "p3.jpg",    "p4.jpg",  "p5.Jpg"}
        << QStringList{"", "", "p1.jpg", "p2.JPG", "", "p3.jpg"} << 6
        << skipped + "notes.txt\ndir.jpg\np5.Jpg" << 1;
    QTest::newRow("last one undecodable")
        << "thumbnail5" << QStringList{"p1.jpg", "bad.jpg"}
        << QStringList{"", "", "", "", "p1.jpg", ""} << 5 << "" << 1;
    QTest::newRow("nothing usable")
        << "window" << QStringList{"notes.txt", "dir.jpg"} << QStringList{"", "", "", "", "", ""}
        << 1 << skipped + "notes.txt\ndir.jpg" << 0;
}

void TestReopen::severalDroppedFiles()
{
    QFETCH(QString, target);
    QFETCH(QStringList, dropped);
    QFETCH(QStringList, filled);
    QFETCH(int, current);
    QFETCH(QString, message);
    QFETCH(int, errors);
    MainWindow& f = *m_form;
    QStringList paths;
    for (const QString& name : dropped)
        paths << picture(name);
    QVERIFY(dropFiles(widget(f, target), paths));
    for (int k = 1; k <= 6; ++k) {
        const QString expected = filled[k - 1].isEmpty() ? QString() : picture(filled[k - 1]);
        QCOMPARE(f.setup().slot(k).picturePath, expected);
        QCOMPARE(f.setup().slot(k).chosen, !expected.isEmpty());
        if (k != current)
            QCOMPARE(child<PictureBox>(f, numbered("thumbnail", k))->picture() == m_placeholder,
                     expected.isEmpty());
    }
    QCOMPARE(f.setup().currentSlot, current);
    QCOMPARE(child<QLabel>(f, "slotNumberLabel")->text(), QStringLiteral("N%1").arg(current));
    QCOMPARE(m_dialogs.messages(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(m_dialogs.errors().size(), errors);
}

void TestReopen::roundTrip_data()
{
    QTest::addColumn<bool>("inPlace");
    QTest::newRow("among the program's quizzes, by its page") << true;
    QTest::newRow("copied elsewhere, by its folder") << false;
}

void TestReopen::roundTrip()
{
    QFETCH(bool, inPlace);
    MainWindow& f = *m_form;
    const QString name = inPlace ? QStringLiteral("quizA") : QStringLiteral("quizB");
    QStringList names;
    for (const char* n : {"p6.jpg", "p4.jpg", "p3.jpg", "p2.JPG", "p1.jpg", "p3.jpg"})
        names << picture(n);
    QVERIFY(dropFiles(child<PictureBox>(f, "thumbnail1"), names));
    const QStringList questions{"&#1040; как есть", "Второй", "", "Четвёртый ✓", "Пятый", "6"};
    const QStringList answers{"Один", "две\nстроки", "три", "&amp;", "пять ✓", "шесть"};
    for (int k = 1; k <= 6; ++k) {
        f.chooseSlot(k);
        child<QLineEdit>(f, "questionEdit")->setText(questions[k - 1]);
        child<QPlainTextEdit>(f, "answerEdit")->setPlainText(answers[k - 1]);
    }
    child<QLineEdit>(f, "titleEdit")->setText(QStringLiteral("Моя ✓ викторина"));
    AnswerOrder order;
    order.entries = {4, 1, 6, 2, 5, 3};
    order.text = QStringLiteral("4, 1, 6, 2, 5, 3");
    f.generation().setShuffle([order] { return order; });
    m_dialogs.inputAnswers.enqueue(name);
    f.generateQuiz();
    const QString quiz = m_program.filePath(name);
    const QByteArray page = contents(quiz + "/start.htm");
    QVERIFY(QFileInfo(quiz + "/start.htm").isFile() && m_dialogs.errors().isEmpty());

    f.chooseSlot(1);
    QList<QImage> thumbs;
    for (int k = 1; k <= 6; ++k)
        thumbs << child<PictureBox>(f, numbered("thumbnail", k))->picture();
    const QImage preview = child<PictureBox>(f, "preview")->picture();
    f.chooseSlot(4);
    QString from = quiz + "/start.htm";
    if (!inPlace) {
        from = m_elsewhere.filePath(name);
        QVERIFY(QDir().mkpath(from));
        for (const QString& name : QDir(quiz).entryList(QDir::Files))
            QVERIFY(QFile::copy(quiz + "/" + name, from + "/" + name));
    }

    // A fresh window, then the same one over its own composition, one-for-all ticked.
    for (int round = 0; round < 2; ++round) {
        auto fresh = newWindow();
        MainWindow& w = round == 0 ? *fresh : f;
        child<QCheckBox>(w, "oneForAllCheck")->setChecked(true);
        m_dialogs.log.clear();
        if (round == 1)
            m_dialogs.yesNoAnswers.enqueue(true);
        m_dialogs.folderAnswers.enqueue(from);
        w.openQuiz();
        QCOMPARE(m_dialogs.log.value(0), QStringLiteral("ChooseFolder: Открыть викторину|") +
                                             m_program.path() + QLatin1Char('/'));
        QCOMPARE(m_dialogs.log.mid(1),
                 round == 0 ? QStringList() : QStringList{"YesNo: " + Question});
        QVERIFY(w.setup().currentSlot == 1 && w.setup().firstGeneration == !inPlace);
        QCOMPARE(child<QLineEdit>(w, "titleEdit")->text(), QStringLiteral("Моя ✓ викторина"));
        for (int k = 1; k <= 6; ++k) {
            QCOMPARE(w.setup().slot(k).question, questions[k - 1]);
            QCOMPARE(w.setup().slot(k).answer, QString(answers[k - 1]).replace("\n", "\r\n"));
            QCOMPARE(MainWindow::storedText(child<QPlainTextEdit>(w, numbered("answerCopy", k))),
                     w.setup().slot(k).answer);
            QCOMPARE(child<PictureBox>(w, numbered("thumbnail", k))->picture(), thumbs[k - 1]);
        }
        QCOMPARE(child<PictureBox>(w, "preview")->picture(), preview);
    }

    // Generated again with the same order: the same bytes, in place or in a new folder.
    m_dialogs.log.clear();
    m_dialogs.inputAnswers.enqueue(name + "2");
    f.generateQuiz();
    const QString target = inPlace ? quiz : m_program.filePath(name + "2");
    QCOMPARE(m_dialogs.log.filter("Input: ").size(), inPlace ? 0 : 1);
    QCOMPARE(contents(target + "/start.htm"), page);
    for (int k = 1; k <= 6; ++k)
        QCOMPARE(contents(target + QStringLiteral("/%1.jpg").arg(k)), contents(names[k - 1]));
    // Only the folder-name warning that comes with the question.
    QVERIFY(m_dialogs.errors().isEmpty());
    QCOMPARE(m_dialogs.messages().size(), inPlace ? 0 : 1);
}

void TestReopen::refusedFolderChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("page"); // written over start.htm; empty: no page at all
    QTest::addColumn<QString>("error");
    QTest::newRow("no page") << "nopage" << QByteArray() << "нет страницы викторины start.htm";
    QTest::newRow("another page") << "foreign" << QByteArray("<html><body>Hi</body></html>\r\n")
                                  << "не является страницей викторины";
    QTest::newRow("other picture names")
        << "png" << QByteArray("png") << "не является страницей викторины";
}

void TestReopen::refusedFolderChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, page);
    QFETCH(QString, error);
    const QString quiz = makeQuiz(name);
    QVERIFY(!quiz.isEmpty());
    const QString pagePath = quiz + "/start.htm";
    if (page.isEmpty()) {
        QVERIFY(QFile::remove(pagePath));
    } else if (page == "png") {
        QuizSetup setup;
        for (int k = 1; k <= 6; ++k)
            setup.slot(k).extension = k == 3 ? QStringLiteral("png") : QStringLiteral("jpg");
        writeStartPage(setup, AnswerOrder{}, quiz);
    } else {
        QVERIFY(writeFile(pagePath, page));
    }
    MainWindow& f = *m_form;
    QVERIFY(dropFiles(child<PictureBox>(f, "thumbnail2"), {picture("p1.jpg")}));
    child<QLineEdit>(f, "titleEdit")->setText(QStringLiteral("моя"));
    const QImage thumb = child<PictureBox>(f, "thumbnail2")->picture();

    f.reopenQuiz(quiz);
    QCOMPARE(m_dialogs.log.size(), 1);
    QVERIFY2(m_dialogs.errors().value(0).contains(error), qPrintable(m_dialogs.log.value(0)));
    QCOMPARE(child<QLineEdit>(f, "titleEdit")->text(), QStringLiteral("моя"));
    QVERIFY(f.setup().currentSlot == 2 && f.setup().slot(2).picturePath == picture("p1.jpg"));
    QCOMPARE(child<PictureBox>(f, "thumbnail2")->picture(), thumb);
    QVERIFY(f.setup().slot(1).question.isEmpty() && f.setup().firstGeneration);
}

void TestReopen::missingPictures()
{
    const QString quiz = makeQuiz("holes");
    QVERIFY(QFile::remove(quiz + "/3.jpg"));
    QVERIFY(writeFile(quiz + "/5.jpg", QByteArray("broken")));
    QVERIFY(QFile::remove(quiz + "/6.jpg") && QDir(quiz).mkdir("6.jpg"));
    MainWindow& f = *m_form;
    // Dropped as its folder, it comes back whole but for the three pictures.
    QVERIFY(dropFiles(&f, {quiz}));
    QCOMPARE(m_dialogs.log,
             QStringList{"Message: Картинки нет или она не читается, ячейки остались пустыми: "
                         "3, 5, 6"});
    for (int k = 1; k <= 6; ++k) {
        const bool empty = k >= 5 || k == 3;
        QCOMPARE(f.setup().slot(k).chosen, !empty);
        QCOMPARE(f.setup().slot(k).picturePath.isEmpty(), empty);
        QCOMPARE(f.setup().slot(k).question, QStringLiteral("Вопрос %1").arg(k));
        if (k > 1)
            QCOMPARE(child<PictureBox>(f, numbered("thumbnail", k))->picture() == m_placeholder,
                     empty);
    }
    // It lies among the program's quizzes: the next generation rewrites it in place.
    QVERIFY(!f.setup().firstGeneration && f.setup().folderName == QStringLiteral("holes"));
}

void TestReopen::compositionQuestion_data()
{
    QTest::addColumn<QString>("composed");
    QTest::newRow("title") << "title";
    QTest::newRow("question") << "question";
    QTest::newRow("picture") << "picture";
}

void TestReopen::compositionQuestion()
{
    QFETCH(QString, composed);
    const QString quiz = makeQuiz("kept");
    MainWindow& f = *m_form;
    if (composed == "title")
        child<QLineEdit>(f, "titleEdit")->setText(QStringLiteral(" "));
    else if (composed == "question")
        child<QLineEdit>(f, "questionEdit")->setText(QStringLiteral("?"));
    else
        QVERIFY(dropFiles(&f, {picture("p4.jpg")}));
    const QImage thumb = child<PictureBox>(f, "thumbnail1")->picture();
    m_dialogs.log.clear();

    // Ctrl+O, then No: nothing changes.
    m_dialogs.folderAnswers.enqueue(quiz);
    QApplication::setActiveWindow(&f);
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QTest::keyClick(&f, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_dialogs.log.mid(1), QStringList{"YesNo: " + Question});
    QVERIFY(f.setup().slot(2).question.isEmpty() && f.setup().firstGeneration);
    QCOMPARE(child<PictureBox>(f, "thumbnail1")->picture(), thumb);

    // Cancelled in the folder dialog: not even the question.
    m_dialogs.log.clear();
    QTest::keyClick(&f, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_dialogs.log.size(), 1);
}

QTEST_MAIN(TestReopen)
#include "tst_reopen.moc"
