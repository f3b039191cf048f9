// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/buildinfo.h"
#include "core/instructions.h"
#include "fakes.h"
#include "findchild.h"
#include "ui/aboutdialog.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void textsAndFonts();
    void logo();
    void closes_data();
    void closes();
    void instructions_data();
    void instructions();
    void suppliedHelpFile();
};

void TestAbout::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("sizedToText"); // the text decides the size, at least where it grows
    QTest::newRow("logo") << "logo" << QRect(16, 16, 41, 41) << false;
    QTest::newRow("titleLabel") << "titleLabel" << QRect(88, 16, 145, 22) << true;
    QTest::newRow("versionLabel") << "versionLabel" << QRect(88, 48, 69, 16) << true;
    QTest::newRow("descriptionLabel") << "descriptionLabel" << QRect(88, 88, 233, 57) << true;
    QTest::newRow("rule") << "rule" << QRect(16, 160, 353, 1) << false;
    QTest::newRow("okButton") << "okButton" << QRect(272, 192, 97, 25) << false;
}

void TestAbout::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(bool, sizedToText);
    AboutDialog about;
    auto* widget = about.findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget(), &about);
    if (sizedToText) {
        auto* label = qobject_cast<QLabel*>(widget);
        QVERIFY(label);
        QCOMPARE(widget->pos(), geometry.topLeft());
        if (label->wordWrap()) {
            // Wrapped text keeps its width and may only grow downwards, never under the rule.
            QCOMPARE(widget->width(), geometry.width());
            QVERIFY(widget->height() >= geometry.height());
            QVERIFY(widget->height() >= label->heightForWidth(widget->width()));
            QVERIFY(widget->geometry().bottom() < child<QFrame>(about, "rule")->y());
        } else {
            QVERIFY(widget->width() >= label->fontMetrics().horizontalAdvance(label->text()));
        }
    } else {
        QCOMPARE(widget->geometry(), geometry);
    }
    QVERIFY(about.rect().contains(widget->geometry()));
    QCOMPARE(about.pos(), QPoint(323, 193));
    QVERIFY(about.isHidden());
}

void TestAbout::textsAndFonts()
{
    AboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(about.font().pixelSize(), 11);
    QCOMPARE(child<QLabel>(about, "titleLabel")->text(), QStringLiteral("Тест - викторина"));
    QCOMPARE(child<QLabel>(about, "titleLabel")->font().family(), QStringLiteral("Arial"));
    QCOMPARE(child<QLabel>(about, "titleLabel")->font().pixelSize(), 19);
    QCOMPARE(child<QLabel>(about, "versionLabel")->text(), QStringLiteral("Version  1.1"));
    QCOMPARE(child<QLabel>(about, "versionLabel")->font().pixelSize(), 13);
    QCOMPARE(child<QLabel>(about, "descriptionLabel")->text(),
             QStringLiteral("    Программа для досуга и обучения. Генерирует WEB-страничку "
                            "тест-викторину , в которой  нужно выбрать соответствие картинки и "
                            "описания к ней. "));
    QCOMPARE(child<QLabel>(about, "descriptionLabel")->font().pixelSize(), 11);
    QVERIFY(child<QLabel>(about, "descriptionLabel")->wordWrap());
    QVERIFY(child<QLabel>(about, "descriptionLabel")->alignment() & Qt::AlignHCenter);
    QCOMPARE(child<QPushButton>(about, "okButton")->text(), QStringLiteral("Ok"));
    QCOMPARE(child<QFrame>(about, "rule")->frameShape(), QFrame::HLine);
}

void TestAbout::logo()
{
    // The same picture is the program's window icon, so it must be reachable by its path.
    const QImage icon(QStringLiteral(":/about/icon.png"));
    QCOMPARE(icon.size(), QSize(32, 32));
    QVERIFY(icon.colorCount() > 0 && icon.colorCount() <= 16);
    const QRgb red = qRgb(255, 0, 0);
    for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        QCOMPARE(icon.pixel(corner), red);
    const QColor centre = icon.pixelColor(16, 20);
    QVERIFY(centre.green() >= 128 && centre.red() == 0 && centre.blue() == 0);

    AboutDialog about;
    const QImage shown = child<QLabel>(about, "logo")->pixmap().toImage();
    QCOMPARE(shown.size(), QSize(41, 41));
    QCOMPARE(shown.pixel(0, 0), red);
    QCOMPARE(shown.pixel(40, 40), red);
    QCOMPARE(shown.pixelColor(20, 26), centre);
}

void TestAbout::closes_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("Ok") << true;
    QTest::newRow("close box") << false;
}

void TestAbout::closes()
{
    QFETCH(bool, byButton);
    AboutDialog about;
    bool wasShown = false;
    bool gaveUp = false;
    QTimer::singleShot(0, &about, [&] {
        wasShown = about.isVisible() && about.isModal();
        if (byButton)
            QTest::mouseClick(child<QPushButton>(about, "okButton"), Qt::LeftButton);
        else
            about.close();
    });
    // Only reached if closing failed; the modal loop must not hang the test then. Generous, so a
    // slow machine never trips it.
    QTimer::singleShot(30000, &about, [&] {
        gaveUp = true;
        about.done(QDialog::Rejected);
    });
    about.exec();
    QVERIFY(wasShown);
    QVERIFY(!gaveUp);
    QVERIFY(about.isHidden());
}

void TestAbout::instructions_data()
{
    QTest::addColumn<QString>("present"); // "file", "folder" or "" for nothing at that path
    QTest::addColumn<bool>("shellOpens");
    QTest::addColumn<bool>("opened");
    QTest::newRow("missing") << "" << true << false;
    QTest::newRow("present") << "file" << true << true;
    QTest::newRow("shell refuses") << "file" << false << false;
    QTest::newRow("a folder of that name") << "folder" << true << false;
}

void TestAbout::instructions()
{
    QFETCH(QString, present);
    QFETCH(bool, shellOpens);
    QFETCH(bool, opened);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString programFolder = dir.path() + QLatin1Char('/');
    const QString path = dir.path() + QStringLiteral("//instr.chm");
    if (present == QLatin1String("file")) {
        QFile file(dir.filePath(QStringLiteral("instr.chm")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("ITSF");
    } else if (present == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("instr.chm")));
    }

    ScriptedDialogs dialogs;
    RecordingShell shell;
    shell.openResult = shellOpens;
    openInstructions(programFolder, shell, dialogs);

    QVERIFY(shell.copies.isEmpty());
    // A file that is not there never reaches the shell, whatever the shell would say.
    QCOMPARE(shell.opened, present == QLatin1String("file") ? QStringList{path} : QStringList{});
    if (opened) {
        QVERIFY(dialogs.log.isEmpty());
    } else {
        QVERIFY(!siteHost().isEmpty());
        QCOMPARE(dialogs.log,
                 QStringList{QStringLiteral("Message: Файл инструкции instr.chm - недоступен! "
                                            "Обращайьесь на сайт: ") +
                             siteHost()});
    }
}

void TestAbout::suppliedHelpFile()
{
    // The build lays out the program folder; the button must find a real compiled help file there.
    const QString programFolder = QStringLiteral(QUIRVEL_PROGRAM_DIR "/");
    QFile file(programFolder + QStringLiteral("instr.chm"));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray header = file.read(0x18);
    QCOMPARE(header.left(4), QByteArray("ITSF"));
    QCOMPARE(qFromLittleEndian<quint32>(header.constData() + 4), 3u);        // format version
    QCOMPARE(qFromLittleEndian<quint32>(header.constData() + 0x14), 0x419u); // Russian
    QVERIFY(file.size() > 4096);

    ScriptedDialogs dialogs;
    RecordingShell shell;
    openInstructions(programFolder, shell, dialogs);
    QCOMPARE(shell.opened, QStringList{programFolder + QStringLiteral("/instr.chm")});
    QVERIFY(dialogs.log.isEmpty());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
