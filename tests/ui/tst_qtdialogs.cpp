// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/texts.h"
#include "ui/qtdialogs.h"
#include "ui/qtshell.h"
#include "ui/standardtextstranslator.h"
#include "ui/texts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <functional>
#include <memory>

// The real dialogs, answered by a timer that inspects the box while it is up.
class TestQtDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QCoreApplication::installTranslator(&m_translator); }
    void plainBoxes_data();
    void plainBoxes();
    void confirm_data();
    void confirm();
    void yesNo();
    void input_data();
    void input();
    void chooseFolder();
    void openDocument_data();
    void openDocument();
    void textMenusInRussian();
    void openDocumentDoesNotWait_data();
    void openDocumentDoesNotWait();

private:
    StandardTextsTranslator m_translator;
    // Runs `inspect` on the modal dialog once it is shown; fails the test if none comes up within
    // half a minute, long enough for any machine.
    void whenShown(std::function<void(QWidget*)> inspect)
    {
        m_inspected = false;
        QTimer::singleShot(0, this, [this, inspect] { poll(inspect, 3000); });
    }
    void poll(std::function<void(QWidget*)> inspect, int triesLeft)
    {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog && dialog->isVisible()) {
            m_inspected = true;
            inspect(dialog);
            // A failed check leaves the dialog up; close it so the test fails instead of hanging.
            if (dialog->isVisible())
                dialog->close();
        } else if (triesLeft > 0) {
            QTimer::singleShot(10, this,
                               [this, inspect, triesLeft] { poll(inspect, triesLeft - 1); });
        }
    }
    static bool centred(const QWidget* w)
    {
        const QPoint delta =
            w->frameGeometry().center() - w->screen()->availableGeometry().center();
        return qAbs(delta.x()) <= 1 && qAbs(delta.y()) <= 1;
    }
    static QAbstractButton* button(QWidget* dialog, const QString& text)
    {
        for (auto* b : dialog->findChildren<QAbstractButton*>())
            if (b->text().remove(QLatin1Char('&')) == text)
                return b;
        return nullptr;
    }

    bool m_inspected = false;
    QtDialogs m_dialogs;
};

void TestQtDialogs::plainBoxes_data()
{
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("message, long text") << false << CoreText::FolderWarning;
    QTest::newRow("message with markup") << false << QStringLiteral("Путь: /p//<b>Квиз/start.htm");
    QTest::newRow("error with markup") << true << QStringLiteral("<i>JPEG error #42</i>.");
}

void TestQtDialogs::plainBoxes()
{
    QFETCH(bool, error);
    QFETCH(QString, text);
    whenShown([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), applicationTitle());
        QCOMPARE(box->icon(), error ? QMessageBox::Critical : QMessageBox::NoIcon);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->text(), text);
        QCOMPARE(box->buttons().size(), 1);
        QVERIFY(button(box, QStringLiteral("OK")));
        QVERIFY2(centred(box), qPrintable(QStringLiteral("box at %1,%2")
                                              .arg(box->frameGeometry().center().x())
                                              .arg(box->frameGeometry().center().y())));
        button(box, QStringLiteral("OK"))->click();
    });
    if (error)
        m_dialogs.error(text);
    else
        m_dialogs.message(text);
    QVERIFY(m_inspected);
}

void TestQtDialogs::confirm_data()
{
    QTest::addColumn<QString>("answer"); // a button's text, or "Escape"
    QTest::addColumn<bool>("result");
    QTest::newRow("OK") << "OK" << true;
    QTest::newRow("Cancel") << "Cancel" << false;
    QTest::newRow("Escape") << "Escape" << false;
    QTest::newRow("Enter takes the default") << "Enter" << true;
}

void TestQtDialogs::confirm()
{
    QFETCH(QString, answer);
    QFETCH(bool, result);
    whenShown([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("Confirm"));
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->text(), CoreText::ViewQuestion);
        QVERIFY(button(box, QStringLiteral("OK")) && button(box, QStringLiteral("Cancel")));
        QVERIFY(centred(box));
        if (answer == QLatin1String("Escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else if (answer == QLatin1String("Enter"))
            QTest::keyClick(box, Qt::Key_Return);
        else
            button(box, answer)->click();
    });
    QCOMPARE(m_dialogs.confirm(CoreText::ViewQuestion), result);
    QVERIFY(m_inspected);
}

void TestQtDialogs::yesNo()
{
    for (const bool yes : {true, false}) {
        whenShown([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), CoreText::WarningCaption);
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QCOMPARE(box->buttons().size(), 2);
            button(box, yes ? QStringLiteral("Yes") : QStringLiteral("No"))->click();
        });
        QCOMPARE(m_dialogs.yesNo(CoreText::WarningCaption, QStringLiteral(" Новая?  ")), yes);
        QVERIFY(m_inspected);
    }
}

void TestQtDialogs::input_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("typed");  // empty: keep the preset
    QTest::addColumn<QString>("answer"); // the button pressed, or "close"
    QTest::addColumn<QString>("result"); // null: nothing comes back
    QTest::newRow("OK keeps the preset") << "Звери"
                                         << ""
                                         << "OK"
                                         << "Звери";
    QTest::newRow("typing replaces the selected preset") << "Звери"
                                                         << "Ptitsy"
                                                         << "OK"
                                                         << "Ptitsy";
    QTest::newRow("Cancel gives nothing") << "Звери"
                                          << "Ptitsy"
                                          << "Cancel" << QString();
    QTest::newRow("closing gives nothing") << "Звери"
                                           << ""
                                           << "close" << QString();
    QTest::newRow("at most 255 characters")
        << "" << QString(300, QLatin1Char('z')) << "OK" << QString(255, QLatin1Char('z'));
}

void TestQtDialogs::input()
{
    QFETCH(QString, preset);
    QFETCH(QString, typed);
    QFETCH(QString, answer);
    QFETCH(QString, result);
    whenShown([&](QWidget* w) {
        QCOMPARE(w->windowTitle(), CoreText::FolderCaption);
        auto* edit = w->findChild<QLineEdit*>();
        QVERIFY(edit);
        QCOMPARE(edit->text(), preset);
        QCOMPARE(edit->selectedText(), preset);
        QVERIFY(centred(w));
        if (!typed.isEmpty())
            QTest::keyClicks(edit, typed);
        if (answer == "close")
            w->close();
        else
            button(w, answer)->click();
    });
    QCOMPARE(m_dialogs.input(CoreText::FolderCaption, QStringLiteral("Имя папки"), preset),
             result.isNull() ? std::nullopt : std::optional(result));
    QVERIFY(m_inspected);
}

void TestQtDialogs::chooseFolder()
{
    QTemporaryDir start;
    QVERIFY(QDir(start.path()).mkdir(QStringLiteral("quiz")));
    for (const bool ok : {true, false}) {
        whenShown([&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), UiText::OpenCaption);
            QCOMPARE(dialog->directory().absolutePath(), start.path());
            QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
            for (const auto label :
                 {QFileDialog::LookIn, QFileDialog::FileName, QFileDialog::FileType,
                  QFileDialog::Accept, QFileDialog::Reject})
                QVERIFY2(!dialog->labelText(label).contains(QRegularExpression("[A-Za-z]")),
                         qPrintable(dialog->labelText(label)));
            dialog->setDirectory(start.filePath(QStringLiteral("quiz")));
            button(dialog, ok ? QStringLiteral("Выбрать") : QStringLiteral("Отмена"))->click();
        });
        const std::optional<QString> folder =
            m_dialogs.chooseFolder(UiText::OpenCaption, start.path());
        QVERIFY(m_inspected);
        QCOMPARE(folder, ok ? std::optional(start.filePath(QStringLiteral("quiz"))) : std::nullopt);
    }
}

void TestQtDialogs::openDocument_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("openerExit");
    QTest::addColumn<bool>("opened");
    QTest::newRow("a program opens it") << true << 0 << true;
    QTest::newRow("no program for this kind of file") << true << 3 << false;
    QTest::newRow("the opener fails") << true << 4 << false;
    QTest::newRow("missing file, opener not asked") << false << 0 << false;
}

// A stand-in for the desktop's opener, first on PATH, that logs what it was asked to open (and
// its process id), waits until `release` exists when told to, and ends with the given code.
struct FakeOpener {
    QTemporaryDir bin;
    QString log = bin.filePath(QStringLiteral("asked"));
    QString release = bin.filePath(QStringLiteral("release"));
    QByteArray path = qgetenv("PATH");
    FakeOpener(int exitCode, bool waits)
    {
        QFile opener(bin.filePath(QStringLiteral("xdg-open")));
        opener.open(QIODevice::WriteOnly);
        opener.write(
            QStringLiteral("#!/bin/sh\necho $$ > '%1.pid'\nprintf '%s' \"$1\" > '%1'\n"
                           "%3\nexit %2\n")
                .arg(log)
                .arg(exitCode)
                .arg(waits ? QStringLiteral("while [ ! -e '%1' ]; do sleep 0.05; done").arg(release)
                           : QString())
                .toUtf8());
        opener.close();
        opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    }
    ~FakeOpener() { qputenv("PATH", path); }
    void letGo() { QFile(release).open(QIODevice::WriteOnly); }
    pid_t pid() const
    {
        QFile f(log + QStringLiteral(".pid"));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt() : 0;
    }
};

void TestQtDialogs::openDocument()
{
    QFETCH(bool, exists);
    QFETCH(int, openerExit);
    QFETCH(bool, opened);
    FakeOpener opener(openerExit, false);
    QTemporaryDir folder;
    const QString document = folder.filePath(QStringLiteral("инструкция.chm"));
    if (exists) {
        QFile f(document);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // A long answer window: a busy machine cannot turn the opener's failure into a success.
    QtShell shell(60000);
    QSignalSpy answered(&shell, &QtShell::openerAnswered);
    int failures = 0;
    shell.openDocument(document, [&failures] { ++failures; });
    if (exists)
        QVERIFY(answered.wait(60000));
    QCOMPARE(failures, opened ? 0 : 1);
    QFile asked(opener.log);
    if (exists) {
        QVERIFY(asked.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(asked.readAll()), document);
    } else {
        QVERIFY(!asked.exists());
    }
}

void TestQtDialogs::textMenusInRussian()
{
    QLineEdit line(QStringLiteral("текст"));
    QPlainTextEdit box(QStringLiteral("текст"));
    for (QMenu* menu : {line.createStandardContextMenu(), box.createStandardContextMenu()}) {
        QVERIFY(menu->actions().size() >= 6);
        for (const QAction* action : menu->actions()) {
            const QString text = action->text().section(QLatin1Char('\t'), 0, 0);
            QVERIFY2(!text.contains(QRegularExpression("[A-Za-z]")), qPrintable(text));
        }
        delete menu;
    }
}

// Opening returns while the opener still runs (else this would hang); a failure within the answer
// window is reported, a later one is not, and an opener still running outlives the shell.
void TestQtDialogs::openDocumentDoesNotWait_data()
{
    QTest::addColumn<int>("answerMs");
    QTest::addColumn<bool>("reported");
    QTest::newRow("fails within the answer window") << 60000 << true;
    QTest::newRow("fails after it") << 1 << false;
}

void TestQtDialogs::openDocumentDoesNotWait()
{
    QFETCH(int, answerMs);
    QFETCH(bool, reported);
    FakeOpener opener(4, true);
    QTemporaryDir folder;
    const QString document = folder.filePath(QStringLiteral("start.htm"));
    QFile(document).open(QIODevice::WriteOnly);
    int failures = 0;
    auto shell = std::make_unique<QtShell>(answerMs);
    shell->openDocument(document, [&failures] { ++failures; });
    QTRY_VERIFY_WITH_TIMEOUT(opener.pid() > 0, 60000);
    const pid_t pid = opener.pid();
    if (reported) {
        opener.letGo();
        QTRY_COMPARE_WITH_TIMEOUT(failures, 1, 60000);
        return;
    }
    QTest::qWait(200); // past the answer window
    shell.reset();
    QCOMPARE(::kill(pid, 0), 0); // still running
    opener.letGo();
    QTRY_VERIFY_WITH_TIMEOUT(::kill(pid, 0) != 0, 60000); // ended, and reaped
    QCoreApplication::processEvents();
    QCOMPARE(failures, 0);
}

QTEST_MAIN(TestQtDialogs)
#include "tst_qtdialogs.moc"
