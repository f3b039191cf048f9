#include "core/quirvelerror.h"
#include "core/quizfolder.h"
#include "fakes.h"
#include "foldersnapshot.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString DeleteFailed = QStringLiteral("Ошибка при удалении файла");
const QString CopyFailed = QStringLiteral("Ошибка при копировании");
const QString DecorFailed = QStringLiteral("Ошибка при копировании дополнений");

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

// A shell that writes half the file, or throws, for one chosen source, or throws for a rename.
class BrokenShell : public RecordingShell
{
public:
    QString halfWay, throwing, throwingRename; // the last: a rename to a path ending so
    bool copyIntoFolder(const QString& source, const QString& folder) override
    {
        if (source == throwing)
            throw QuirvelError(QStringLiteral("Устройство не готово"));
        if (source != halfWay)
            return RecordingShell::copyIntoFolder(source, folder);
        copies << source;
        writeFile(folder + QLatin1Char('/') + QFileInfo(source).fileName(),
                  readBytes(source).left(50));
        return false;
    }
    bool renameFile(const QString& from, const QString& to) override
    {
        if (!throwingRename.isEmpty() && to.endsWith(throwingRename))
            throw QuirvelError(QStringLiteral("Устройство не готово"));
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
        order.entries = {3, 1, 2, 6, 4, 5};
    }

    void copyReplacesWithoutAsking()
    {
        QVERIFY(writeFile(pathOf("a/Ёлка.JPG"), "new"));
        QVERIFY(writeFile(pathOf("b/Ёлка.JPG"), QByteArray(300, 'x')));
        QVERIFY(QFile::setPermissions(pathOf("a/Ёлка.JPG"), QFile::ReadOwner)); // read-only source
        QVERIFY(QFile::setPermissions(pathOf("b/Ёлка.JPG"), QFile::ReadOwner)); // and target
        QVERIFY(copyIntoFolder(pathOf("a//Ёлка.JPG"), pathOf("b/")));
        QCOMPARE(readBytes(pathOf("b/Ёлка.JPG")), QByteArray("new"));
        // The copy stays replaceable in place by later generations.
        QVERIFY(QFileInfo(pathOf("b/Ёлка.JPG")).permissions() & QFile::WriteOwner);
        QCOMPARE(QDir(pathOf("b")).entryList(QDir::Files | QDir::Hidden), QStringList{"Ёлка.JPG"});
        // A file copied onto itself keeps its content.
        QVERIFY(copyIntoFolder(pathOf("b/./Ёлка.JPG"), pathOf("b//")));
        QCOMPARE(readBytes(pathOf("b/Ёлка.JPG")), QByteArray("new"));
    }

    void copyFailures_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("folder");
        QTest::newRow("missing source") << "a/none.jpg"
                                        << "b";
        QTest::newRow("source is a folder") << "a"
                                            << "b";
        QTest::newRow("missing folder") << "a/x.jpg"
                                        << "none";
        QTest::newRow("folder is a file") << "a/x.jpg"
                                          << "b/keep.txt";
        QTest::newRow("a folder holds the name") << "a/x.jpg"
                                                 << "c";
    }
    void copyFailures()
    {
        QFETCH(QString, source);
        QFETCH(QString, folder);
        QVERIFY(writeFile(pathOf("a/x.jpg"), "picture"));
        QVERIFY(writeFile(pathOf("b/keep.txt"), "other"));
        QVERIFY(writeFile(pathOf("c/x.jpg/inner"), ""));
        QVERIFY(!copyIntoFolder(pathOf(source), pathOf(folder)));
        QCOMPARE(
            QDir(pathOf("b")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"keep.txt"});
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
        QVERIFY(writeQuizPage(setup, order, shell, dialogs));

        QCOMPARE(dialogs.log, QStringList());
        QCOMPARE(shell.copies.size(), 6);
        for (int k = 1; k <= 6; ++k)
            QVERIFY2(readBytes(quizPath(QString::number(k) + ".jpg")) == expected[k - 1],
                     QByteArray::number(k));
        QCOMPARE(entries(), (QStringList{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg",
                                         "old", "start.htm", "заметки.txt"}));
        QCOMPARE(readBytes(quizPath("old/7.jpg")), QByteArray("kept"));
        for (const QString& where : sources) // sources elsewhere are read, never moved
            QVERIFY(where.startsWith("quiz/") || readBytes(pathOf(where)) == bytesOf(where));
    }

    void renameAndRemove()
    {
        QVERIFY(writeFile(pathOf("a/new"), "new"));
        QVERIFY(writeFile(pathOf("a/old"), "old"));
        QVERIFY(QDir().mkpath(pathOf("a/folder")));
        QVERIFY(renameFile(pathOf("a/new"), pathOf("a/old")));
        QCOMPARE(readBytes(pathOf("a/old")), QByteArray("new"));
        QVERIFY(!renameFile(pathOf("a/folder"), pathOf("a/moved"))); // a folder never moves
        QVERIFY(!renameFile(pathOf("a/old"), pathOf("a/folder")));   // nor gets replaced
        QVERIFY(!removeFile(pathOf("a/folder")) && QFileInfo(pathOf("a/folder")).isDir());
        QVERIFY(removeFile(pathOf("a/old")) && !QFileInfo::exists(pathOf("a/old")));
    }

    // A regeneration (or a first generation) broken in the disk or in the seam at one slot.
    // Patterns match the shell's lines ("copy src -> folder", "rename a -> b", "remove p");
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
        QTest::newRow("missing source")
            << "missing" << 3 << none << false << QStringList{CopyFailed} << false;
        QTest::newRow("source is a folder")
            << "folder" << 1 << none << false << QStringList{CopyFailed} << false;
        QTest::newRow("shell refuses")
            << "refused" << 6 << none << false << QStringList{CopyFailed} << false;
        QTest::newRow("copy breaks half-way")
            << "half" << 4 << none << false << QStringList{CopyFailed} << false;
        QTest::newRow("copy of slot 5")
            << "" << 0 << "^copy .*/p/e\\.jpg " << false << QStringList{CopyFailed} << false;
        QTest::newRow("numbered name held by a folder")
            << "blocked" << 2 << none << false << QStringList{DeleteFailed} << false;
        QTest::newRow("held and missing")
            << "blocked missing" << 5 << none << false << QStringList{CopyFailed} << false;
        QTest::newRow("1.jpg not put in place") << "" << 0 << "^rename .* -> <quiz>/1\\.jpg$"
                                                << false << QStringList{DeleteFailed} << false;
        QTest::newRow("old 4.jpg not moved aside") << "" << 0 << "^rename <quiz>/4\\.jpg -> "
                                                   << false << QStringList{DeleteFailed} << false;
        QTest::newRow("start.htm not put in place")
            << "" << 0 << " -> <quiz>/start\\.htm$" << false << QStringList{DeleteFailed} << false;
        QTest::newRow("first generation, 5.jpg not put in place")
            << "" << 0 << " -> <quiz>/5\\.jpg$" << true << QStringList{DeleteFailed} << false;
        QTest::newRow("old 2.jpg not deleted once all is in place")
            << "" << 0 << "^remove .*/2\\.jpg$" << false << QStringList{DeleteFailed} << true;
    }
    void failures()
    {
        QFETCH(QString, how);
        QFETCH(int, slot);
        QFETCH(QString, failing);
        QFETCH(bool, first);
        QFETCH(QStringList, messages);
        QFETCH(bool, placed);
        choose({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
        if (!first) {
            for (const QString name :
                 {"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg", "start.htm", "заметки.txt"})
                if (name != QString::number(slot) + ".jpg" || !how.contains("blocked"))
                    QVERIFY(writeFile(quizPath(name), bytesOf("earlier " + name)));
        }
        BrokenShell shell;
        shell.failing = failing.replace("<quiz>", QRegularExpression::escape(setup.quizFolder()));
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
        QCOMPARE(writeQuizPage(setup, order, shell, dialogs), placed);

        QCOMPARE(dialogs.messages(), messages);
        QCOMPARE(dialogs.log.size(), messages.size());
        QCOMPARE(shell.copies.size(), 6);
        if (!placed) {
            QCOMPARE(folderSnapshot(quizPath()), before);
            return;
        }
        for (int k = 1; k <= 6; ++k)
            QVERIFY(readBytes(quizPath(QString::number(k) + ".jpg")) ==
                    readBytes(setup.slot(k).picturePath));
        QVERIFY(readBytes(quizPath("start.htm")).startsWith(" <html>"));
        QCOMPARE(entries().filter(QRegularExpression("^\\.")), QStringList());
    }

    void exceptionLeavesFolderUntouched_data()
    {
        QTest::addColumn<bool>("whileReplacing");
        QTest::newRow("while copying slot 4") << false;
        QTest::newRow("while replacing 3.jpg") << true;
    }
    void exceptionLeavesFolderUntouched()
    {
        QFETCH(bool, whileReplacing);
        choose({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
        for (const QString name : {"1.jpg", "2.jpg", "3.jpg", "start.htm"})
            QVERIFY(writeFile(quizPath(name), bytesOf("earlier " + name)));
        const auto before = folderSnapshot(quizPath());
        BrokenShell shell;
        (whileReplacing ? shell.throwingRename : shell.throwing) =
            whileReplacing ? "/3.jpg" : setup.slot(4).picturePath;
        ScriptedDialogs dialogs;
        QVERIFY_THROWS_EXCEPTION(QuirvelError, (void)writeQuizPage(setup, order, shell, dialogs));
        QCOMPARE(folderSnapshot(quizPath()), before);
        QCOMPARE(shell.fileChanges.isEmpty(), !whileReplacing);
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
        QVERIFY(!writeQuizPage(setup, order, shell, dialogs));
        copyDecorations(setup, shell, dialogs);
        QCOMPARE(dialogs.messages(), QStringList(6, CopyFailed) + QStringList(8, DecorFailed));
        QCOMPARE(readBytes(setup.quizFolder()),
                 QByteArray(fileInTheWay ? "not a folder" : "<missing>"));
    }

    void decorations_data()
    {
        QTest::addColumn<QStringList>("missing");
        QTest::newRow("all supplied") << QStringList();
        QTest::newRow("two missing") << QStringList{"33.gif", "fong.gif"};
        QTest::newRow("all missing") << DecorationNames;
    }
    void decorations()
    {
        QFETCH(QStringList, missing);
        // Supplied apart from the quizzes, as once installed.
        setup.suppliedFolder = root->path() + "/share/quirvel/";
        QVERIFY(QDir().mkpath(setup.suppliedFolder));
        QStringList expectedCopies;
        for (const QString& name : DecorationNames) {
            if (!missing.contains(name))
                QVERIFY(writeFile(setup.suppliedFolder + name, bytesOf(name)));
            expectedCopies << setup.suppliedFolder + '/' + name + " -> " + setup.quizFolder();
        }
        QVERIFY(writeFile(quizPath("11.gif"), "an older icon"));
        RecordingShell shell;
        ScriptedDialogs dialogs;
        copyDecorations(setup, shell, dialogs);
        QCOMPARE(dialogs.log, QStringList(missing.size(), "Message: " + DecorFailed));
        QCOMPARE(shell.copies, expectedCopies);
        for (const QString& name : DecorationNames)
            QCOMPARE(readBytes(quizPath(name)), !missing.contains(name) ? bytesOf(name)
                                                : name == "11.gif" ? QByteArray("an older icon")
                                                                   : "<missing>");
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
