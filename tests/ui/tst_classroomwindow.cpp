// SPDX-License-Identifier: GPL-3.0-or-later
#include "classquiz.h"
#include "classroom/resultsjournal.h"
#include "fakes.h"
#include "ui/classroomwindow.h"
#include "ui/mainwindow.h"
#include "ui/quizmenu.h"

#include <QAccessible>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

#include <sys/mount.h>

// A join or a result reaches the table once its line is synced, which a loaded disk can hold up.
constexpr int Synced = 30000;

class TestClassroomWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_quiz = m_dir.filePath("quiz");
    QString m_program = m_dir.filePath("program");
    ScriptedDialogs m_dialogs;
    Classroom::Options m_local{QHostAddress(QHostAddress::LocalHost), 0, {}};
    QNetworkAccessManager m_network;

    // A pupil as the page does it: a join, then a check with the first three answers right.
    void post(const ClassroomWindow& window, const QByteArray& name)
    {
        QNetworkRequest request(window.selectedUrl() + "join");
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        QNetworkReply* joined = m_network.post(request, "{\"name\":\"" + name + "\"}");
        QTRY_VERIFY_WITH_TIMEOUT(joined->isFinished(), Synced);
        const QByteArray token =
            QJsonDocument::fromJson(joined->readAll())["token"].toString().toLatin1();
        request.setUrl(window.selectedUrl() + "result");
        m_network.post(request,
                       "{\"token\":\"" + token + "\",\"answers\":[3,1,2,1,1,1],\"seq\":1}");
    }

    static QString cell(QTreeView* table, int row, int column)
    {
        return table->model()->index(row, column).data().toString();
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("data")));
        QVERIFY(writeClassQuiz(m_quiz) && QDir().mkpath(m_program));
        for (const QString& name : DecorationNames)
            QVERIFY(QFile::copy(QUIRVEL_DECOR_DIR "/" + name, m_program + "/" + name));
    }
    // Results posted as a pupil's page posts them fill the table; the keyboard reaches every
    // control, each by a name of its own, with Tab going round past the rows; closing asks while
    // results are unsaved, and the saved spreadsheet keeps a formula-like name as text.
    void tableShowsResults()
    {
        ClassroomWindow window(m_dialogs);
        QVERIFY(window.start(m_quiz, QUIRVEL_DECOR_DIR, m_local));
        for (const char* pupil : {"Юля", "=Петя"})
            post(window, pupil);
        auto* table = window.findChild<QTreeView*>("results");
        QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 2, Synced);
        QTRY_COMPARE_WITH_TIMEOUT(cell(table, 1, ClassroomTable::Tries), "1", Synced);
        table->sortByColumn(ClassroomTable::Name, Qt::AscendingOrder);
        QCOMPARE(cell(table, 0, ClassroomTable::Name) + cell(table, 0, ClassroomTable::Best),
                 "=Петя3 из 6");
        window.show();
        const QStringList order{"Адрес для учеников", "Результаты учеников", "Новый урок",
                                "Сохранить результаты…", "Остановить"};
        QStringList tabbed;
        window.findChild<QWidget*>("addresses")->setFocus();
        for (int i = 0; i <= order.size(); ++i) {
            QWidget* focus = window.focusWidget();
            tabbed << QAccessible::queryAccessibleInterface(focus)->text(QAccessible::Name);
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(tabbed, order + order.mid(0, 1));
        for (QLabel* label : window.findChildren<QLabel*>())
            QCOMPARE(label->buddy() != nullptr, label->text().contains('&'));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        m_dialogs.log.clear();
        QTest::keyClick(window.focusWidget(), Qt::Key_Escape);
        QVERIFY(window.isVisible());
        QCOMPARE(m_dialogs.log.size(), 1);
        QVERIFY(m_dialogs.log[0].contains("Результаты не сохранены"));
        m_dialogs.saveAnswers << m_dir.filePath("class.csv");
        window.findChild<QPushButton*>("saveResults")->click();
        QFile csv(m_dir.filePath("class.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly) && csv.readAll().contains("\n'=Петя;3;1;"));
        QVERIFY(window.close());
        QVERIFY(!window.isRunning());
    }
    // Started without a network address, the window says so; once one appears (Wi-Fi that
    // connects later) it shows it, and the QR code on the screen reads back as that address.
    void qrCodeDecodes()
    {
        QList<ClassroomAddresses::Address> found;
        ClassroomWindow window(m_dialogs, nullptr, [&] { return found; });
        QVERIFY(window.start(m_quiz, QUIRVEL_DECOR_DIR, {QHostAddress::AnyIPv4, 0, {}}));
        auto* advice = window.findChild<QLabel*>("advice");
        QVERIFY(advice->text().startsWith("У компьютера нет сетевого адреса"));
        found << ClassroomAddresses::Address{QHostAddress(QHostAddress::LocalHost), "lo", {}};
        QTRY_VERIFY_WITH_TIMEOUT(!window.selectedUrl().isEmpty(), 20000);
        QVERIFY(advice->text().startsWith("Ученики открывают этот адрес"));
        const QString shot = m_dir.filePath("window.png");
        QVERIFY(window.grab().save(shot));
        QProcess zbar;
        zbar.start("zbarimg", {"--raw", "-q", shot});
        QVERIFY(zbar.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(), window.selectedUrl());
    }
    // The window closed and opened again the same day goes on with the lesson, its code and
    // table, without a question; "Новый урок", after one, starts a lesson of its own beside it.
    void lessonGoesOnUntilANewOne()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("same-day")));
        QString code;
        for (const QString round : {"first", "again", "new"}) {
            ClassroomWindow window(m_dialogs);
            m_dialogs.log.clear();
            QVERIFY(window.start(m_quiz, QUIRVEL_DECOR_DIR, m_local));
            QCOMPARE(m_dialogs.log, QStringList());
            auto* table = window.findChild<QTreeView*>("results");
            if (round == "new") {
                m_dialogs.yesNoAnswers << true;
                window.findChild<QPushButton*>("newLesson")->click();
            }
            QCOMPARE(window.classroom()->code() == code, round == "again");
            code = window.classroom()->code();
            QCOMPARE(table->model()->rowCount(), round == "again" ? 1 : 0);
            // Another Оля to the table, numbered after the first.
            post(window, "Оля");
            const int rows = round == "again" ? 2 : 1;
            QTRY_COMPARE_WITH_TIMEOUT(cell(table, rows - 1, ClassroomTable::Tries), "1", Synced);
            QCOMPARE(cell(table, rows - 1, 0), round == "again" ? "Оля (2)" : "Оля");
            QCOMPARE(window.classroom()->journalPath().endsWith("-2.jsonl"), round == "new");
            m_dialogs.yesNoAnswers.clear();
            m_dialogs.yesNoAnswers << true; // close without saving
            QVERIFY(window.close());
        }
    }
    // A new lesson whose results file cannot be made says so, as the first lesson does.
    void newLessonFileRefused()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("refused")));
        ClassroomWindow window(m_dialogs);
        QVERIFY(window.start(m_quiz, QUIRVEL_DECOR_DIR, m_local));
        const QString next = ResultsJournal::pathFor(m_quiz, QDate::currentDate(), 2);
        QVERIFY(QFile::link(m_dir.filePath("no-such-folder/file"), next));
        m_dialogs.log.clear();
        m_dialogs.yesNoAnswers << true;
        window.findChild<QPushButton*>("newLesson")->click();
        QCOMPARE(m_dialogs.log.size(), 2);
        QVERIFY2(
            m_dialogs.log[1].startsWith("Error: Не удаётся записать результаты в файл «" + next),
            qPrintable(m_dialogs.log[1]));
        m_dialogs.yesNoAnswers.clear();
    }
    // Rows come in join order, so the selection stays on its pupil as others arrive, sorted or
    // not; a removed pupil's row goes.
    void selectionStaysOnThePupil()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("selection")));
        ClassroomWindow window(m_dialogs);
        QVERIFY(window.start(m_quiz, QUIRVEL_DECOR_DIR, m_local));
        window.show();
        auto* table = window.findChild<QTreeView*>("results");
        post(window, "Маша");
        QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 1, Synced);
        table->setCurrentIndex(table->model()->index(0, 0));
        table->sortByColumn(ClassroomTable::Name, Qt::DescendingOrder);
        for (const char* name : {"Лена", "Яна"})
            post(window, name);
        QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 3, Synced);
        const QModelIndexList selected = table->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected[0].data().toString(), "Маша");
        QCOMPARE(cell(table, 0, 0) + cell(table, 2, 0), "ЯнаЛена");
        m_dialogs.yesNoAnswers << true;
        window.findChild<QAction*>("removePupil")->trigger();
        QCOMPARE(table->model()->rowCount(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(window.findChild<QLabel*>("counts")->text(),
                                  "Подключились: 2 · Отправили: 2", Synced);
        m_dialogs.yesNoAnswers.clear();
        m_dialogs.yesNoAnswers << true;
        QVERIFY(window.close());
    }
    // A disk that fills up during the class: the window says so at once, and the table, which the
    // spreadsheet is saved from, still holds every result.
    void fullDiskKeepsResults()
    {
        const QByteArray disk = QFile::encodeName(m_dir.filePath("small"));
        QVERIFY(QDir().mkpath(disk));
        if (::mount("tmpfs", disk.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("a small file system cannot be mounted here");
        auto unmount = qScopeGuard([&] { ::umount2(disk.constData(), MNT_DETACH); });
        qputenv("XDG_DATA_HOME", disk);
        ClassroomWindow window(m_dialogs);
        QVERIFY(window.start(m_quiz, QUIRVEL_DECOR_DIR, m_local));
        // The lesson's first line leaves room in its block; spaces up to its end take it up.
        QFile journal(window.classroom()->journalPath());
        QVERIFY(journal.open(QIODevice::Append));
        QVERIFY(journal.write(QByteArray(4095 - journal.size() % 4096, ' ') + "\n") > 0);
        journal.close();
        QFile filler(disk + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'f')) > 0 && filler.flush()) {
        }
        m_dialogs.log.clear();
        post(window, "Ира");
        QTRY_COMPARE_WITH_TIMEOUT(
            cell(window.findChild<QTreeView*>("results"), 0, ClassroomTable::Tries), "1", Synced);
        QCOMPARE(m_dialogs.log.size(), 1);
        QVERIFY(m_dialogs.log[0].startsWith("Error: Не удаётся записать результаты в файл") &&
                m_dialogs.log[0].contains(": на диске нет места."));
        m_dialogs.yesNoAnswers << true; // close without saving
        QVERIFY(window.close());
    }
    // The help's class page names what the window shows in the window's own words.
    void helpUsesTheWindowsWords()
    {
        QFile help(QUIRVEL_HELP_DIR "/classroom.htm");
        QVERIFY(help.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(help.readAll()).simplified();
        ClassroomWindow window(m_dialogs);
        QStringList words{"играет", "отправил", "свернул страницу", "нет связи",
                          "Подключились: N · Отправили: M"};
        for (auto* button : window.findChildren<QPushButton*>())
            words << button->text().remove('&');
        for (auto* action : window.findChild<QTreeView*>("results")->actions())
            words << action->text();
        const ClassroomTable table;
        for (int column = 0; column < ClassroomTable::Columns; ++column)
            words << table.headerData(column, Qt::Horizontal).toString();
        for (const QString& word : words)
            QVERIFY2(page.contains(word), qPrintable(word));
    }
    // Closing the main window while a class runs asks first: No keeps both, Yes ends both.
    void closingMainWindowAsks()
    {
        for (const bool stop : {false, true}) {
            FakeServices fakes;
            MainWindow main(fakes.services, m_program);
            main.show();
            main.reopenQuiz(m_quiz);
            auto* menu = main.findChild<QuizMenu*>();
            menu->setClassroomOptions(m_local);
            menu->playInClass();
            fakes.dialogs.log.clear();
            fakes.dialogs.yesNoAnswers << stop;
            QCOMPARE(main.close(), stop);
            QCOMPARE(fakes.dialogs.log,
                     {"YesNo:  Внимание! |Идёт викторина в классе. Остановить её и выйти? [No]"});
            QCOMPARE(main.isVisible(), !stop);
            QCOMPARE(menu->classRunning(), !stop);
        }
    }
};

QTEST_MAIN(TestClassroomWindow)
#include "tst_classroomwindow.moc"
