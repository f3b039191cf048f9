// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/draftstore.h"
#include "core/quizfolder.h"
#include "core/texts.h"
#include "fakes.h"
#include "findchild.h"
#include "testfiles.h"
#include "testjpeg.h"
#include "ui/mainwindow.h"
#include "ui/picturebox.h"
#include "ui/slotstrip.h"
#include "ui/texts.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

// Work the quiz folder does not hold is never dropped without a question, and survives a crash;
// only a window that holds its quiz folder exports it.
class TestExitAndDrafts : public QObject
{
    Q_OBJECT

    QTemporaryDir m_program, m_pictures;
    FakeServices m_fakes;
    int m_quizzes = 0;
    const QString ExitQuestion = CoreText::WarningCaption + '|' + UiText::ExitQuestion + " [No]";

    std::unique_ptr<MainWindow> newWindow()
    {
        auto window = std::make_unique<MainWindow>(m_fakes.services, m_program.path());
        window->show();
        return window;
    }
    void compose(MainWindow& window)
    {
        for (int k = 1; k <= 6; ++k) {
            window.chooseSlot(k);
            window.choosePicture(m_pictures.filePath(QString("p%1.jpg").arg(k)));
            child<QLineEdit>(window, "questionEdit")->setText(QString("Вопрос %1").arg(k));
            child<QPlainTextEdit>(window, "answerEdit")->setPlainText(QString("Ответ\n%1").arg(k));
        }
        child<QLineEdit>(window, "titleEdit")->setText("Звери <b>&");
    }
    QString generate(MainWindow& window)
    {
        const QString name = QString("quiz%1").arg(++m_quizzes);
        m_fakes.dialogs.inputAnswers << name;
        window.generateQuiz();
        return name;
    }
    static QStringList work(const MainWindow& window)
    {
        QStringList texts{child<QLineEdit>(window, "titleEdit")->text()};
        for (int k = 1; k <= 6; ++k)
            texts << window.setup().slot(k).picturePath << window.setup().slot(k).question
                  << window.setup().slot(k).answer;
        return texts;
    }

private slots:
    void initTestCase()
    {
        for (const QString& name : DecorationNames)
            QVERIFY(QFile::copy(QUIRVEL_DECOR_DIR "/" + name, m_program.filePath(name)));
        for (int k = 1; k <= 6; ++k)
            QVERIFY(writeFile(m_pictures.filePath(QString("p%1.jpg").arg(k)),
                              encodeJpeg(quadrants(40 + 8 * k, 30, Qt::red, Qt::blue, Qt::green,
                                                   QColor(40 * k, 0, 0)))));
    }
    void init()
    {
        m_fakes.dialogs = ScriptedDialogs();
        QVERIFY(QDir(m_program.filePath("drafts")).removeRecursively());
    }

    void exit_data()
    {
        QTest::addColumn<QString>("before"); // compose, generate, reopen, edit, in this order
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("asked");
        QTest::newRow("empty window") << "" << false << false;
        QTest::newRow("composed, No keeps all") << "compose" << false << true;
        QTest::newRow("composed, Yes ends") << "compose" << true << true;
        QTest::newRow("freshly generated") << "compose generate" << false << false;
        QTest::newRow("generated, then edited") << "compose generate edit" << false << true;
        QTest::newRow("freshly reopened") << "reopen" << false << false;
    }
    void exit()
    {
        QFETCH(QString, before);
        QFETCH(bool, yes);
        QFETCH(bool, asked);
        auto window = newWindow(), maker = newWindow();
        if (before.contains("compose"))
            compose(*window);
        if (before.contains("generate"))
            generate(*window);
        if (before.contains("reopen")) {
            compose(*maker);
            m_fakes.dialogs.folderAnswers << m_program.filePath(generate(*maker));
            window->openQuiz();
        }
        QCOMPARE(window->holdsItsFolder(), before.contains("generate") || before == "reopen");
        if (before.contains("edit"))
            child<QLineEdit>(*window, "questionEdit")->insert("?");
        QTRY_COMPARE(QFile::exists(window->drafts()->draftPath()), asked);
        const QStringList composed = work(*window);
        m_fakes.dialogs.log.clear();
        m_fakes.dialogs.yesNoAnswers << yes;

        QTest::mouseClick(child<QPushButton>(*window, "exitButton"), Qt::LeftButton);
        QCOMPARE(m_fakes.dialogs.log,
                 asked ? QStringList{"YesNo: " + ExitQuestion} : QStringList());
        QCOMPARE(window->isVisible(), asked && !yes);
        QCOMPARE(work(*window), composed);
        QCOMPARE(QFile::exists(window->drafts()->draftPath()), asked && !yes);
    }

    void crashedWindowsDraftOffered_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("breakage"); // of picture 5 after the crash
        QTest::newRow("Yes restores all") << true << "";
        QTest::newRow("Yes, one picture gone") << true << "gone";
        QTest::newRow("Yes, one picture changed") << true << "changed";
        QTest::newRow("Yes, changed, draft of an earlier version") << true << "changed, earlier";
        QTest::newRow("No deletes it") << false << "";
    }
    void crashedWindowsDraftOffered()
    {
        QFETCH(bool, yes);
        QFETCH(QString, breakage);
        auto first = newWindow();
        compose(*first);
        first->chooseSlot(4);
        QFile file(first->drafts()->draftPath());
        QTRY_VERIFY(file.exists());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray json = file.readAll();
        QStringList composed = work(*first);
        first.reset();
        const QString gone = m_pictures.filePath("gone.jpg"), p5 = m_pictures.filePath("p5.jpg");
        if (breakage == "gone")
            json.replace(p5.toUtf8(), gone.toUtf8());
        if (breakage.startsWith("changed"))
            QVERIFY(setModified(p5, 3));
        QuizDraft draft = *QuizDraft::fromJson(json);
        if (breakage.endsWith("earlier"))
            draft.pictureFiles = {};
        // Written by a process that then dies: its lock is stale.
        const QString folder = m_program.filePath("drafts");
        const pid_t writer = fork();
        if (writer == 0)
            _exit(DraftStore(folder, 999999).save(draft) ? 1 : 0);
        int status = 0;
        QCOMPARE(waitpid(writer, &status, 0), writer);
        QCOMPARE(WEXITSTATUS(status), 0);

        auto second = newWindow();
        m_fakes.dialogs.yesNoAnswers << yes;
        second->offerDraft();
        QCOMPARE(m_fakes.dialogs.log.first(),
                 "YesNo: " + CoreText::WarningCaption + '|' + CoreText::RestoreOne);
        QVERIFY(!QFile::exists(folder + "/draft-999999.json"));
        const bool lost = breakage == "gone" || breakage == "changed";
        if (lost)
            composed[13] = QString();
        QCOMPARE(work(*second), yes ? composed : QStringList(19, QString()));
        QCOMPARE(second->setup().currentSlot, yes ? 4 : 1);
        QCOMPARE(child<PictureBox>(*second, "thumbnail5")->picture() == SlotStrip::placeholder(),
                 !yes || lost);
        QCOMPARE(m_fakes.dialogs.messages(),
                 lost ? QStringList{"Этих картинок нет, они не читаются или изменились, их ячейки "
                                    "остались пустыми:\nКартинка 5 (" +
                                    (breakage == "gone" ? gone : p5) + ")"}
                      : QStringList());
    }

    void exports_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("proposed"); // after the quiz folder's name
        QTest::addColumn<QByteArray>("start"); // of the written file; empty: nothing written
        QTest::newRow("one file") << "exportPageAction"
                                  << ".htm|Страница викторины (*.htm)"
                                  << QByteArray(" <html lang=\"ru\">");
        QTest::newRow("SCORM") << "exportScormAction"
                               << ".zip|Пакет SCORM (*.zip)" << QByteArray("PK");
        QTest::newRow("sheet") << "printSheetAction"
                               << ".pdf|Документ PDF (*.pdf)" << QByteArray("%PDF");
        QTest::newRow("picture gone") << "exportPageAction"
                                      << ".htm|Страница викторины (*.htm)" << QByteArray();
    }
    void exports()
    {
        QFETCH(QString, action);
        QFETCH(QString, proposed);
        QFETCH(QByteArray, start);
        auto window = newWindow();
        auto* exportAction = child<QAction>(*window, action);
        auto rightClick = [&] {
            QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5},
                                    window->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(window.get(), &event);
            QVERIFY(child<QMenu>(*window, "contextMenu")->isVisible());
            child<QMenu>(*window, "contextMenu")->hide();
        };
        rightClick();
        QVERIFY(!exportAction->isEnabled());
        QCOMPARE(exportAction->toolTip(), UiText::NoFolderTip);
        const QString greyed = exportAction->text();
        compose(*window);
        const QString name = generate(*window);
        QCOMPARE(window->toolTip(), UiText::ExportsTip);
        if (start.isEmpty())
            QVERIFY(QFile::remove(m_program.filePath(name + "/3.jpg")));
        rightClick();
        QVERIFY(exportAction->isEnabled());
        QCOMPARE(greyed, exportAction->text() + UiText::NoFolderSuffix);
        const QString file = m_program.filePath(name + proposed.section('|', 0, 0));
        QVERIFY(writeFile(file, "old"));
        m_fakes.dialogs.log.clear();
        m_fakes.dialogs.saveAnswers << file << file;
        m_fakes.dialogs.yesNoAnswers << false << true;
        exportAction->trigger(); // No keeps the file
        exportAction->trigger();
        QVERIFY(m_fakes.dialogs.log.first().endsWith("|" + m_program.filePath(name) + proposed));
        QCOMPARE(m_fakes.dialogs.log.at(1), "YesNo:  Внимание! |Файл «" + name + proposed.left(4) +
                                                "» уже есть. Заменить? [No]");
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().startsWith(start.isEmpty() ? "old" : start));
        QCOMPARE(m_fakes.dialogs.errors().join("").contains("Картинка 3 (3.jpg)"), start.isEmpty());
        QCOMPARE(child<QLabel>(*window, "statusLabel")->text() ==
                     "Сохранено: " + QFileInfo(file).fileName(),
                 !start.isEmpty());
    }
};

QTEST_MAIN(TestExitAndDrafts)
#include "tst_exitanddrafts.moc"
