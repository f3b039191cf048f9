// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/errorreason.h"
#include "core/generationcommand.h"
#include "core/quirvelerror.h"
#include "core/quizfolder.h"
#include "core/quizrecovery.h"
#include "core/texts.h"
#include "fakes.h"
#include "foldersnapshot.h"
#include "testfiles.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

namespace
{
const QString& DeleteFailed = CoreText::DeleteFailed;
const QString& CopyFailed = CoreText::CopyFailed;
const QString& DecorFailed = CoreText::DecorationFailed;

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
// Distinct bytes per name, with a zero byte so that no text handling slips through.
QByteArray bytesOf(const QString& name)
{
    return QByteArray("\xff\xd8\0", 3) + name.toUtf8() + QByteArray(200, char(name.size()));
}

// A shell that writes half the file, or throws, for one chosen source, or throws once for a rename.
class BrokenShell : public RecordingShell
{
public:
    QString halfWay, throwing, throwingRename; // the last: a rename to a path ending so
    QString fillingAt;                         // a rename to this path first fills the disk
    std::function<void()> whilePlacing;        // runs at the first rename into the quiz folder
    std::error_code copyToNewFile(const QString& source, const QString& target) override
    {
        if (source == throwing)
            throw QuirvelError(QStringLiteral("Устройство не готово"));
        if (source != halfWay)
            return RecordingShell::copyToNewFile(source, target);
        copies << source;
        writeFile(target, readBytes(source).left(50));
        return std::make_error_code(std::errc::io_error);
    }
    std::error_code renameFile(const QString& from, const QString& to) override
    {
        QFile filler(QFileInfo(from).path() + "/../filler");
        if (to == fillingAt && filler.open(QIODevice::WriteOnly))
            while (filler.write(QByteArray(4096, 'f')) > 0 && filler.flush()) {
            }
        if (whilePlacing && !to.contains("/.quirvel-"))
            std::exchange(whilePlacing, nullptr)();
        if (!throwingRename.isEmpty() && to.endsWith(throwingRename)) {
            throwingRename.clear();
            throw QuirvelError(QStringLiteral("Устройство не готово"));
        }
        return RecordingShell::renameFile(from, to);
    }
};
} // namespace

class TestQuizFolder : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> root;
    QuizSetup setup;
    AnswerOrder order;
    QString quizPath(const QString& name = {}) const { return setup.quizFolder() + '/' + name; }
    // "quiz/x" lies in the quiz folder (reached through the doubled separator), others below root.
    QString pathOf(const QString& where) const
    {
        return where.startsWith("quiz/") ? quizPath(where.mid(5)) : root->path() + '/' + where;
    }
    void choose(const QStringList& places)
    {
        for (int k = 1; k <= 6; ++k) {
            if (!QFileInfo::exists(pathOf(places[k - 1])))
                QVERIFY(writeFile(pathOf(places[k - 1]), bytesOf(places[k - 1])));
            setup.slot(k).picturePath = pathOf(places[k - 1]);
        }
    }
    QStringList entries() const
    {
        return QDir(quizPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        setup.initialise(root->path() + "/program");
        setup.folderName = QStringLiteral("Викторина 1");
        QVERIFY(QDir().mkpath(quizPath()));
        for (const QString& name : DecorationNames)
            QVERIFY(writeFile(setup.suppliedFolder + name, bytesOf(name)));
        order.entries = {3, 1, 2, 6, 4, 5};
    }

    // Every reason errorReason words; one it does not know is named by its number.
    void errorReasons_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        const QString full = "на диске нет места", denied = "нет прав на запись";
        const QString gone = "файл или папка не найдены", io = "ошибка чтения или записи диска";
        const auto row = [](int error, const QString& reason) {
            QTest::addRow("%s", error ? strerrorname_np(error) : "errno unset") << error << reason;
        };
        row(ENOSPC, full), row(EDQUOT, full), row(EACCES, denied), row(EPERM, denied);
        row(EROFS, "диск только для чтения"), row(ENAMETOOLONG, "слишком длинное имя");
        row(ENOENT, gone), row(ENOTDIR, gone), row(EEXIST, "такое имя уже есть");
        row(EIO, io), row(0, io), row(EISDIR, "системная ошибка 21");
    }
    void errorReasons()
    {
        QFETCH(int, error);
        QFETCH(QString, reason);
        errno = error;
        QCOMPARE(errorReason(lastSystemError()), reason);
    }

    // However the kernel is asked to copy, and across file systems through the buffer, the copy
    // holds the source's bytes, even of a file whose size says 0. A read-only source gives a copy
    // that later generations can replace, and no more open than the source.
    void copiedByEveryPath_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("within one file system") << "a/big.jpg";
        QTest::newRow("across file systems") << "/dev/shm";
        QTest::newRow("from /proc") << "/proc/version";
    }
    void copiedByEveryPath()
    {
        QFETCH(QString, source);
        QVERIFY(writeFile(pathOf("a/big.jpg"), QByteArray::number(1234567).repeated(300000)));
        QVERIFY(QFile::setPermissions(pathOf("a/big.jpg"), QFile::ReadOwner));
        QTemporaryDir other("/dev/shm/quirvel-XXXXXX");
        const QString from = source.startsWith("/proc") ? source : pathOf("a/big.jpg");
        const QString into = source == "/dev/shm" ? other.path() : pathOf("a/copy");
        QVERIFY(QDir().mkpath(into) &&
                !copyToNewFile(from, into + '/' + QFileInfo(from).fileName()));
        const QString copy = into + '/' + QFileInfo(from).fileName();
        QCOMPARE(readBytes(copy), readBytes(from));
        if (from.endsWith("big.jpg"))
            QCOMPARE(QFile::permissions(copy),
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }

    // Nothing is left at the target, and a file already there, even the source itself, is kept.
    void copyFailures_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::newRow("missing source") << "a/none.jpg"
                                        << "b/x.jpg";
        QTest::newRow("source is a folder") << "a"
                                            << "b/x.jpg";
        QTest::newRow("missing folder") << "a/x.jpg"
                                        << "none/x.jpg";
        QTest::newRow("folder is a file") << "a/x.jpg"
                                          << "b/keep.txt/x.jpg";
        QTest::newRow("a folder holds the name") << "a/x.jpg"
                                                 << "c/x.jpg";
        QTest::newRow("a file holds the name") << "a/x.jpg"
                                               << "b/keep.txt";
        QTest::newRow("onto itself") << "a/x.jpg"
                                     << "a//x.jpg";
    }
    void copyFailures()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QVERIFY(writeFile(pathOf("a/x.jpg"), "picture"));
        QVERIFY(writeFile(pathOf("b/keep.txt"), "other"));
        QVERIFY(writeFile(pathOf("c/x.jpg/inner"), ""));
        QVERIFY(bool(copyToNewFile(pathOf(source), pathOf(target))));
        QCOMPARE(
            QDir(pathOf("b")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"keep.txt"});
        QCOMPARE(readBytes(pathOf("b/keep.txt")), QByteArray("other"));
        QCOMPARE(readBytes(pathOf("a/x.jpg")), QByteArray("picture"));
    }

    void placement_data()
    {
        QTest::addColumn<QStringList>("sources");
        QTest::newRow("plain names") << QStringList{"p/sun.jpg",  "p/house.jpg", "p/tree.jpg",
                                                    "p/fish.jpg", "p/car.jpg",   "p/flower.jpg"};
        QTest::newRow("slot 1 file named 1.jpg, slot 2 file named 1.jpg elsewhere")
            << QStringList{"p/1.jpg", "q/1.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"};
        QTest::newRow("named after later slots")
            << QStringList{"p/6.jpg", "p/5.jpg", "p/4.jpg", "q/3.jpg", "q/2.jpg", "q/1.jpg"};
        QTest::newRow("same name from different folders")
            << QStringList{"a/x.jpg", "b/x.jpg", "c/x.jpg", "d/x.jpg", "e/x.jpg", "f/x.jpg"};
        QTest::newRow("one file for two slots")
            << QStringList{"p/a.jpg", "p/b.jpg", "p/a.jpg", "p/d.jpg", "p/e.jpg", "p/a.jpg"};
        QTest::newRow("upper-case extension")
            << QStringList{"p/A.JPG", "p/b.JPG", "p/c.jpg", "p/d.Jpg", "p/e.jpg", "p/f.jpg"};
        QTest::newRow("swapped numbered files of the quiz folder")
            << QStringList{"quiz/2.jpg", "quiz/1.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"};
        QTest::newRow("rotated numbered files, own file kept") << QStringList{
            "quiz/2.jpg", "quiz/3.jpg", "quiz/1.jpg", "quiz/4.jpg", "quiz/6.jpg", "quiz/5.jpg"};
    }
    void placement()
    {
        QFETCH(QStringList, sources);
        // An earlier generation left every numbered file and the user added some of his own.
        for (int k = 1; k <= 6; ++k)
            QVERIFY(writeFile(quizPath(QString::number(k) + ".jpg"),
                              bytesOf("earlier " + QString::number(k))));
        QVERIFY(writeFile(quizPath("заметки.txt"), "notes"));
        QVERIFY(writeFile(quizPath("old/7.jpg"), "kept"));
        choose(sources);
        QList<QByteArray> expected;
        for (const QString& where : sources)
            expected << readBytes(pathOf(where));

        RecordingShell shell;
        ScriptedDialogs dialogs;
        QVERIFY(placeQuiz(setup, order, shell, dialogs));

        QCOMPARE(dialogs.log, QStringList());
        QCOMPARE(shell.copies.size(), 6 + DecorationNames.size());
        for (int k = 1; k <= 6; ++k)
            QVERIFY2(readBytes(quizPath(QString::number(k) + ".jpg")) == expected[k - 1],
                     QByteArray::number(k));
        QStringList files = QStringList{"1.jpg", "2.jpg", "3.jpg",     "4.jpg",      "5.jpg",
                                        "6.jpg", "old",   "start.htm", "заметки.txt"} +
                            DecorationNames;
        files.sort();
        QCOMPARE(entries(), files);
        QCOMPARE(readBytes(quizPath("old/7.jpg")), QByteArray("kept"));
        for (const QString& where : sources) // sources elsewhere are read, never moved
            QVERIFY(where.startsWith("quiz/") || readBytes(pathOf(where)) == bytesOf(where));
    }

    // No place a photo was taken leaves with the quiz folder (the Exif GPS zeroed in place, an XMP
    // packet holding GPS dropped); the picture data, orientation, maker and model stay, and a
    // photo without GPS is copied byte for byte.
    void locationLeftOut_data()
    {
        QTest::addColumn<QStringList>("tags"); // exiftool's assignments
        const QStringList exif = {"-GPSLatitude=55.75", "-GPSLatitudeRef=N", "-GPSLongitude=37.61",
                                  "-GPSLongitudeRef=E"};
        const QStringList xmp = {"-XMP-exif:GPSLatitude=55.75 N", "-XMP-exif:GPSLongitude=37.61 E"};
        QTest::newRow("GPS in Exif") << exif;
        QTest::newRow("GPS in XMP") << xmp;
        QTest::newRow("GPS in both") << exif + xmp;
        QTest::newRow("no GPS") << QStringList();
    }
    void locationLeftOut()
    {
        QFETCH(QStringList, tags);
        const QString photo = pathOf("a/photo.jpg");
        QVERIFY(QDir().mkpath(pathOf("a")) && QFile::copy(QUIRVEL_SAMPLES_DIR "/sun.jpg", photo));
        const auto exiftool = [](const QStringList& arguments) {
            QProcess tool;
            tool.start("exiftool", arguments);
            return tool.waitForFinished(30000) && tool.exitCode() == 0
                       ? QString::fromUtf8(tool.readAllStandardOutput())
                       : QString("<failed>");
        };
        QCOMPARE(exiftool(QStringList{"-q", "-overwrite_original", "-Orientation#=6", "-Make=Phone",
                                      "-Model=X1", "-XMP-dc:Title=Заяц"} +
                          tags + QStringList{photo}),
                 "");
        choose({"a/photo.jpg", "b/2.jpg", "b/3.jpg", "b/4.jpg", "b/5.jpg", "b/6.jpg"});
        RecordingShell shell;
        ScriptedDialogs dialogs;
        QVERIFY(placeQuiz(setup, order, shell, dialogs));
        const QByteArray source = readBytes(photo), copy = readBytes(quizPath("1.jpg"));
        QCOMPARE(copy == source, tags.isEmpty());
        QCOMPARE(copy.mid(copy.indexOf("\xFF\xDA")), source.mid(source.indexOf("\xFF\xDA")));
        // The file's own path is left out: a temporary folder may well be named "…-GPSxyz".
        const QString left = exiftool({"-a", "-G1", "-n", "-s", "--System:all", quizPath("1.jpg")});
        QVERIFY2(!left.contains("GPS") && left.contains(QRegularExpression("Orientation *: 6\n")) &&
                     left.contains(QRegularExpression("Make *: Phone\n")) &&
                     left.contains(QRegularExpression("Model *: X1\n")),
                 qPrintable(left));
    }

    void renameAndRemove()
    {
        QVERIFY(writeFile(pathOf("a/new"), "new"));
        QVERIFY(writeFile(pathOf("a/old"), "old"));
        QVERIFY(QDir().mkpath(pathOf("a/folder")));
        QVERIFY(!renameFile(pathOf("a/new"), pathOf("a/old")));
        QCOMPARE(readBytes(pathOf("a/old")), QByteArray("new"));
        const auto isDir = std::make_error_code(std::errc::is_a_directory);
        QCOMPARE(renameFile(pathOf("a/folder"), pathOf("a/moved")), isDir); // a folder never moves
        QCOMPARE(renameFile(pathOf("a/old"), pathOf("a/folder")), isDir);   // nor gets replaced
        QVERIFY(removeFile(pathOf("a/folder")) && QFileInfo(pathOf("a/folder")).isDir());
        QVERIFY(!removeFile(pathOf("a/old")) && !QFileInfo::exists(pathOf("a/old")));
        QCOMPARE(removeFile(pathOf("a/old")),
                 std::make_error_code(std::errc::no_such_file_or_directory));
    }

    // A regeneration (or a first generation) broken in the disk or in the seam at one slot.
    // Patterns match the shell's lines ("copy src -> target", "rename a -> b", "remove p");
    // <quiz> stands for the quiz folder.
    void failures_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<bool>("first");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("placed");
        const QString none;
        const auto copy = [](const QString& what) { return QStringList{CopyFailed + "\n" + what}; };
        const auto del = [](const QString& what) {
            return QStringList{DeleteFailed + "\n" + what};
        };
        const QString noSpace = QStringLiteral(": на диске нет места");
        QTest::newRow("missing source")
            << "missing" << 3 << none << false
            << copy("Картинка 3 (c.jpg): файл или папка не найдены") << false;
        QTest::newRow("source is a folder")
            << "folder" << 1 << none << false << copy("Картинка 1 (a.jpg): системная ошибка 21")
            << false;
        QTest::newRow("shell refuses")
            << "refused" << 6 << none << false << copy("Картинка 6 (f.jpg)" + noSpace) << false;
        QTest::newRow("copy breaks half-way")
            << "half" << 4 << none << false
            << copy("Картинка 4 (d.jpg): ошибка чтения или записи диска") << false;
        QTest::newRow("copy of slot 5") << "" << 0 << "^copy .*/p/e\\.jpg " << false
                                        << copy("Картинка 5 (e.jpg)" + noSpace) << false;
        QTest::newRow("numbered name held by a folder")
            << "blocked" << 2 << none << false << del("2.jpg: системная ошибка 21") << false;
        QTest::newRow("held and missing")
            << "blocked missing" << 5 << none << false
            << copy("Картинка 5 (e.jpg): файл или папка не найдены") << false;
        QTest::newRow("1.jpg not put in place") << "" << 0 << "^rename .* -> <quiz>/1\\.jpg$"
                                                << false << del("1.jpg" + noSpace) << false;
        QTest::newRow("old 4.jpg not moved aside")
            << "" << 0 << "^rename <quiz>/4\\.jpg -> " << false << del("4.jpg" + noSpace) << false;
        QTest::newRow("start.htm not put in place")
            << "" << 0 << " -> <quiz>/start\\.htm$" << false << del("start.htm" + noSpace) << false;
        QTest::newRow("first generation, 5.jpg not put in place")
            << "" << 0 << " -> <quiz>/5\\.jpg$" << true << del("5.jpg" + noSpace) << false;
        QTest::newRow("new 3.jpg not synced") << "" << 0 << "^sync .*/new/3\\.jpg$" << false
                                              << copy("Картинка 3 (c.jpg)" + noSpace) << false;
        QTest::newRow("staging not synced before the commit")
            << "" << 0 << "^sync .*/\\.quirvel-\\w+$" << false << del("Папка <quiz>" + noSpace)
            << false;
        QTest::newRow("quiz folder not synced after the placements")
            << "second" << 0 << "^sync <quiz>$" << false << del("Папка <quiz>" + noSpace) << false;
        // The undo must not need space: a marker written then would not fit.
        QTest::newRow("3.jpg not put in place on a full disk")
            << "full disk" << 0 << "^rename .* -> <quiz>/3\\.jpg$" << false
            << del("3.jpg" + noSpace) << false;
        QTest::newRow("old 2.jpg not deleted once all is in place")
            << "" << 0 << "^remove .*/2\\.jpg$" << false << del("Папка <quiz>" + noSpace) << true;
    }
    void failures()
    {
        QFETCH(QString, how);
        QFETCH(int, slot);
        QFETCH(QString, failing);
        QFETCH(bool, first);
        QFETCH(QStringList, messages);
        QFETCH(bool, placed);
        const QByteArray disk = QFile::encodeName(quizPath());
        if (how == "full disk" && ::mount("tmpfs", disk.constData(), "tmpfs", 0, "size=1m") != 0)
            QSKIP("a small file system cannot be mounted here");
        auto unmount = qScopeGuard([&] { ::umount2(disk.constData(), MNT_DETACH); });
        choose({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
        if (!first) {
            for (const QString name :
                 {"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg", "start.htm", "заметки.txt"})
                if (name != QString::number(slot) + ".jpg" || !how.contains("blocked"))
                    QVERIFY(writeFile(quizPath(name), bytesOf("earlier " + name)));
        }
        BrokenShell shell;
        shell.failing = failing.replace("<quiz>", QRegularExpression::escape(setup.quizFolder()));
        shell.failingMatch = how == "second" ? 2 : 1;
        shell.fillingAt = how == "full disk" ? quizPath("3.jpg") : QString();
        if (slot > 0) {
            const QString source = setup.slot(slot).picturePath;
            if (how.contains("blocked"))
                QVERIFY(writeFile(quizPath(QString::number(slot) + ".jpg/inside"), "the user's"));
            if (how.contains("missing") || how == "folder")
                QVERIFY(QFile::remove(source) && (how != "folder" || QDir().mkpath(source)));
            if (how == "refused")
                shell.failingSources << source;
            if (how == "half")
                shell.halfWay = source;
        }
        const auto before = folderSnapshot(quizPath());

        ScriptedDialogs dialogs;
        QCOMPARE(placeQuiz(setup, order, shell, dialogs), placed);

        QCOMPARE(dialogs.messages(), messages.replaceInStrings("<quiz>", setup.quizFolder()));
        QCOMPARE(dialogs.log.size(), messages.size());
        // The rollback marker lasts through a power cut before anything moves back by it.
        static const QRegularExpression rollback("^rename (.*)/commit -> \\1/rollback$");
        for (qsizetype i = 0; i < shell.fileChanges.size(); ++i)
            if (const auto m = rollback.match(shell.fileChanges[i]); m.hasMatch())
                QCOMPARE(shell.fileChanges.value(i + 1), "sync " + m.captured(1));
        // A full disk ends the pictures at the slot it names; a source's own failure does not.
        const auto full = QRegularExpression("^" + CopyFailed + "\nКартинка (\\d) .*нет места$")
                              .match(messages.first());
        const int tried = full.hasMatch() ? full.captured(1).toInt() : 6;
        QCOMPARE(shell.copies.size(), messages.first().startsWith(CopyFailed + "\n") ? tried : 14);
        if (!placed) {
            QCOMPARE(folderSnapshot(quizPath()), before);
            return;
        }
        // What could not be removed waits for the next recovery.
        recoverQuizFolder(quizPath(), shell);
        for (int k = 1; k <= 6; ++k)
            QVERIFY(readBytes(quizPath(QString::number(k) + ".jpg")) ==
                    readBytes(setup.slot(k).picturePath));
        QVERIFY(readBytes(quizPath("start.htm")).startsWith(" <html>"));
        QCOMPARE(entries().filter(QRegularExpression("^\\.")), QStringList());
    }

    // A missing decoration before the throw is still reported.
    void exceptionLeavesFolderUntouched_data()
    {
        QTest::addColumn<bool>("whileReplacing");
        QTest::addColumn<bool>("decorationMissing");
        QTest::newRow("while copying slot 4") << false << false;
        QTest::newRow("while replacing 3.jpg") << true << false;
        QTest::newRow("while copying a decoration after a missing one") << false << true;
    }
    void exceptionLeavesFolderUntouched()
    {
        QFETCH(bool, whileReplacing);
        QFETCH(bool, decorationMissing);
        choose({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
        for (const QString name : {"1.jpg", "2.jpg", "3.jpg", "start.htm"})
            QVERIFY(writeFile(quizPath(name), bytesOf("earlier " + name)));
        const auto before = folderSnapshot(quizPath());
        BrokenShell shell;
        (whileReplacing ? shell.throwingRename : shell.throwing) =
            whileReplacing ? "Викторина 1/3.jpg" : setup.slot(4).picturePath;
        if (decorationMissing) {
            QVERIFY(QFile::remove(setup.suppliedFolder + DecorationNames[0]));
            shell.throwing = setup.suppliedFolder + '/' + DecorationNames[1];
        }
        ScriptedDialogs dialogs;
        QVERIFY_THROWS_EXCEPTION(QuirvelError, (void)placeQuiz(setup, order, shell, dialogs));
        QCOMPARE(dialogs.log.size(), decorationMissing ? 1 : 0);
        QVERIFY(!decorationMissing || dialogs.log[0].contains(DecorationNames[0]));
        QCOMPARE(folderSnapshot(quizPath()), before);
        const QRegularExpression intoQuiz(" -> " + QRegularExpression::escape(setup.quizFolder()) +
                                          "/[^/]+$");
        QCOMPARE(shell.fileChanges.filter(intoQuiz).isEmpty(), !whileReplacing);
    }

    // A second writer, started while the first places its quiz, is kept out, and the folder ends
    // whole with the first one's quiz.
    void secondWriterKeptOut()
    {
        choose({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
        QuizSetup second = setup;
        second.slot(1).picturePath = setup.slot(2).picturePath;
        BrokenShell shell;
        ScriptedDialogs dialogs;
        shell.whilePlacing = [&] {
            QVERIFY_THROWS_EXCEPTION(QuirvelError, (void)placeQuiz(second, order, shell, dialogs));
        };
        QVERIFY(placeQuiz(setup, order, shell, dialogs) && !shell.whilePlacing);
        for (int k = 1; k <= 6; ++k)
            QCOMPARE(readBytes(quizPath(QString::number(k) + ".jpg")),
                     readBytes(setup.slot(k).picturePath));
        QCOMPARE(dialogs.log, QStringList());
    }

    void quizFolderCannotBeWritten_data()
    {
        QTest::addColumn<bool>("fileInTheWay");
        QTest::newRow("folder missing") << false;
        QTest::newRow("a file holds the folder's name") << true;
    }
    void quizFolderCannotBeWritten()
    {
        QFETCH(bool, fileInTheWay);
        choose({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
        QVERIFY(QDir(quizPath()).removeRecursively());
        if (fileInTheWay)
            QVERIFY(writeFile(setup.quizFolder(), "not a folder"));
        RecordingShell shell;
        ScriptedDialogs dialogs;
        QVERIFY(!placeQuiz(setup, order, shell, dialogs));
        QStringList boxes;
        for (const QString name : {"a", "b", "c", "d", "e", "f"})
            boxes << CopyFailed +
                         QStringLiteral("\nКартинка %1 (%2.jpg): файл или папка не найдены")
                             .arg(boxes.size() + 1)
                             .arg(name);
        QCOMPARE(dialogs.messages(), boxes);
        QCOMPARE(readBytes(setup.quizFolder()),
                 QByteArray(fileInTheWay ? "not a folder" : "<missing>"));
    }

    // A decoration missing from the supplied files is named and skipped, the quiz keeping its old
    // copy; the first one that cannot be staged ends the placement with the previous quiz whole.
    void decorations_data()
    {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<QString>("failing");
        QTest::newRow("all supplied") << QStringList() << "";
        QTest::newRow("two missing") << QStringList{"33.gif", "fong.gif"} << "";
        QTest::newRow("all missing") << DecorationNames << "";
        QTest::newRow("22.gif cannot be staged") << QStringList() << "22.gif";
    }
    void decorations()
    {
        QFETCH(QStringList, missing);
        QFETCH(QString, failing);
        // Supplied apart from the quizzes, as once installed.
        setup.suppliedFolder = root->path() + "/share/quirvel/";
        QVERIFY(QDir().mkpath(setup.suppliedFolder));
        QStringList expectedCopies;
        for (const QString& name : DecorationNames) {
            if (!missing.contains(name))
                QVERIFY(writeFile(setup.suppliedFolder + name, bytesOf(name)));
            if (!missing.contains(name) &&
                (failing.isEmpty() ||
                 DecorationNames.indexOf(name) <= DecorationNames.indexOf(failing)))
                expectedCopies << setup.suppliedFolder + '/' + name;
        }
        choose({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
        QVERIFY(writeFile(quizPath("11.gif"), "an older icon"));
        const auto before = folderSnapshot(quizPath());
        RecordingShell shell;
        shell.failing = failing.isEmpty() ? QString() : "^copy .*/" + failing;
        ScriptedDialogs dialogs;
        QCOMPARE(placeQuiz(setup, order, shell, dialogs), failing.isEmpty());
        QStringList boxes;
        for (const QString& name : missing)
            boxes << DecorFailed + "\n" + name + ": файл или папка не найдены";
        if (!failing.isEmpty())
            boxes << DecorFailed + "\n" + failing + ": на диске нет места";
        QCOMPARE(dialogs.messages(), boxes);
        QCOMPARE(shell.copies.filter(".gif").replaceInStrings(QRegularExpression(" -> .*"), ""),
                 expectedCopies);
        if (!failing.isEmpty()) {
            QCOMPARE(folderSnapshot(quizPath()), before);
            return;
        }
        for (const QString& name : DecorationNames)
            QCOMPARE(readBytes(quizPath(name)), !missing.contains(name) ? bytesOf(name)
                                                : name == "11.gif" ? QByteArray("an older icon")
                                                                   : "<missing>");
    }

    // What an interrupted run left, as "path=bytes" entries of the quiz folder (a trailing "/" is
    // a folder), and what the recovery makes of it.
    void recovery_data()
    {
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("problem");
        const QStringList oldQuiz{"1.jpg=old1", "2.jpg=old2", "start.htm=old page"};
        const QStringList unmarked{".quirvel-aB12cD/1/a.jpg=new1", ".quirvel-aB12cD/2/b.jpg=new2",
                                   ".quirvel-aB12cD/start.htm=new page"};
        const QStringList newQuiz{"1.jpg=new1", "2.jpg=new2", "start.htm=new page"};
        QTest::newRow("today's version, renames begun")
            << QStringList{"1.jpg=new1",
                           ".quirvel-aB12cD/kept/1.jpg=old1",
                           "2.jpg=old2",
                           "start.htm=old page",
                           ".quirvel-aB12cD/2/b.jpg=new2",
                           ".quirvel-aB12cD/start.htm=new page",
                           ".quirvel-aB12cD/1/"}
            << newQuiz << "";
        QTest::newRow("today's version, before the renames") << oldQuiz + unmarked << oldQuiz << "";
        QTest::newRow("a killed copy")
            << oldQuiz + QStringList{".quirvel-copy-Xy12Zz=half"} << oldQuiz << "";
        QTest::newRow("killed during a rollback")
            << QStringList{"1.jpg=new1",
                           ".quirvel-q/kept/1.jpg=old1",
                           "2.jpg=new2",
                           ".quirvel-q/kept/2.jpg=old2",
                           ".quirvel-q/new/start.htm=new page",
                           "start.htm=old page",
                           ".quirvel-q/commit=1.jpg\n2.jpg\nstart.htm\n",
                           ".quirvel-q/rollback=\n"}
            << oldQuiz << "";
        QTest::newRow("a folder holds the page's name")
            << QStringList{"start.htm/inner=x", ".quirvel-q/new/start.htm=new page",
                           ".quirvel-q/commit=start.htm\n"}
            << QStringList{"start.htm/inner=x", ".quirvel-q/new/start.htm=new page",
                           ".quirvel-q/commit=start.htm\n", ".quirvel-q/kept/"}
            << "системная ошибка 21";
        QTest::newRow("another window writes it")
            << oldQuiz + unmarked << oldQuiz + unmarked << "locked";
    }
    void recovery()
    {
        QFETCH(QStringList, left);
        QFETCH(QStringList, after);
        QFETCH(QString, problem);
        const auto make = [this](const QStringList& entries) {
            for (const QString& entry : entries) {
                const QString path = quizPath(entry.section('=', 0, 0));
                if (path.endsWith('/'))
                    QDir().mkpath(path);
                else
                    writeFile(path, entry.section('=', 1).toUtf8());
            }
        };
        make(left);
        QLockFile lock(QuizFolderLock::path(setup.quizFolder()));
        if (problem == "locked")
            QVERIFY(lock.tryLock(0));
        RecordingShell shell;
        // Every quiz folder of the quizzes folder, as at start-up.
        const QStringList texts = recoverQuizFolders(root->path() + "/program", shell);
        QCOMPARE(texts, problem.isEmpty() || problem == "locked"
                            ? QStringList()
                            : QStringList{CoreText::RecoveryFailed + "\nПапка " + root->path() +
                                          "/program/Викторина 1: " + problem});
        const QString expected = root->path() + "/expected";
        setup.folderName = "../expected";
        make(after);
        QCOMPARE(folderSnapshot(root->path() + "/program/Викторина 1"), folderSnapshot(expected));
    }

    void suppliedDecorationsFitThePage()
    {
        for (const QString& name : DecorationNames) {
            const QByteArray gif = readBytes(QStringLiteral(QUIRVEL_DECOR_DIR "/") + name);
            QVERIFY2(gif.startsWith("GIF8"), qPrintable(name));
            const QSize size(uchar(gif[6]) | uchar(gif[7]) << 8, uchar(gif[8]) | uchar(gif[9])
                                                                                     << 8);
            // The page shows the icons at 40 x 30 and the separator at 760 x 5.
            if (name != "fong.gif")
                QCOMPARE(size, name == "line1.gif" ? QSize(760, 5) : QSize(40, 30));
        }
    }
};

QTEST_GUILESS_MAIN(TestQuizFolder)
#include "tst_quizfolder.moc"
