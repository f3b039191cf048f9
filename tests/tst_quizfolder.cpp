#include "core/quirvelerror.h"
#include "fakes.h"
#include "core/quizfolder.h"

#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString DeleteFailed = QStringLiteral("Ошибка при удалении файла");
const QString CopyFailed = QStringLiteral("Ошибка при копировании");
const QString DecorFailed = QStringLiteral("Ошибка при копировании дополнений");

void Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size(), qPrintable(path));
}
QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
// Distinct bytes per name, with a zero byte so that no text handling slips through.
QByteArray Bytes(const QString& name)
{
    return QByteArray("\xff\xd8\0", 3) + name.toUtf8() + QByteArray(200, char(name.size()));
}

// A shell that writes half the file, or throws, for one chosen source.
class BrokenShell : public RecordingShell
{
public:
    QString halfWay, throwing;
    bool ShellCopy(const QString& source, const QString& folder) override
    {
        if (source == throwing)
            throw QuirvelError(QStringLiteral("Устройство не готово"));
        if (source != halfWay)
            return RecordingShell::ShellCopy(source, folder);
        copies << source;
        Write(folder + QLatin1Char('/') + QFileInfo(source).fileName(), Read(source).left(50));
        return false;
    }
};
} // namespace

class TestQuizFolder : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> root;
    TQuizSetup setup;
    AnswerOrder order;
    QString Quiz(const QString& name = {}) const { return setup.QuizFolder() + '/' + name; }
    // "quiz/x" lies in the quiz folder (reached through the doubled separator), others below root.
    QString Path(const QString& where) const
    {
        return where.startsWith("quiz/") ? Quiz(where.mid(5)) : root->path() + '/' + where;
    }
    void Choose(const QStringList& places)
    {
        for (int k = 1; k <= 6; ++k) {
            if (!QFileInfo::exists(Path(places[k - 1])))
                Write(Path(places[k - 1]), Bytes(places[k - 1]));
            setup.Slot(k).PicturePath = Path(places[k - 1]);
        }
    }
    QStringList Entries() const
    {
        return QDir(Quiz()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void init()
    {
        root = std::make_unique<QTemporaryDir>();
        setup.Initialise(root->path() + "/program");
        setup.FolderName = QStringLiteral("Викторина 1");
        QVERIFY(QDir().mkpath(Quiz()));
        order.Entries = {3, 1, 2, 6, 4, 5};
    }

    void copyReplacesWithoutAsking()
    {
        Write(Path("a/Ёлка.JPG"), "new");
        Write(Path("b/Ёлка.JPG"), QByteArray(300, 'x'));
        QVERIFY(QFile::setPermissions(Path("a/Ёлка.JPG"), QFile::ReadOwner)); // read-only source
        QVERIFY(QFile::setPermissions(Path("b/Ёлка.JPG"), QFile::ReadOwner)); // and target
        QVERIFY(CopyIntoFolder(Path("a//Ёлка.JPG"), Path("b/")));
        QCOMPARE(Read(Path("b/Ёлка.JPG")), QByteArray("new"));
        // The copy stays replaceable in place by later generations.
        QVERIFY(QFileInfo(Path("b/Ёлка.JPG")).permissions() & QFile::WriteOwner);
        QCOMPARE(QDir(Path("b")).entryList(QDir::Files | QDir::Hidden), QStringList{"Ёлка.JPG"});
        // A file copied onto itself keeps its content.
        QVERIFY(CopyIntoFolder(Path("b/./Ёлка.JPG"), Path("b//")));
        QCOMPARE(Read(Path("b/Ёлка.JPG")), QByteArray("new"));
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
        Write(Path("a/x.jpg"), "picture");
        Write(Path("b/keep.txt"), "other");
        Write(Path("c/x.jpg/inner"), "");
        QVERIFY(!CopyIntoFolder(Path(source), Path(folder)));
        QCOMPARE(QDir(Path("b")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"keep.txt"});
        QCOMPARE(Read(Path("a/x.jpg")), QByteArray("picture"));
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
            Write(Quiz(QString::number(k) + ".jpg"), Bytes("earlier " + QString::number(k)));
        Write(Quiz("заметки.txt"), "notes");
        Write(Quiz("old/7.jpg"), "kept");
        Choose(sources);
        QList<QByteArray> expected;
        for (const QString& where : sources)
            expected << Read(Path(where));

        RecordingShell shell;
        ScriptedDialogs dialogs;
        WriteQuizPage(setup, order, shell, dialogs);

        QCOMPARE(dialogs.log, QStringList());
        QCOMPARE(shell.copies.size(), 6);
        for (int k = 1; k <= 6; ++k)
            QVERIFY2(Read(Quiz(QString::number(k) + ".jpg")) == expected[k - 1],
                     QByteArray::number(k));
        QCOMPARE(Entries(), (QStringList{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg",
                                         "old", "start.htm", "заметки.txt"}));
        QCOMPARE(Read(Quiz("old/7.jpg")), QByteArray("kept"));
        for (const QString& where : sources) // sources elsewhere are read, never moved
            QVERIFY(where.startsWith("quiz/") || Read(Path(where)) == Bytes(where));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("missing source") << "missing" << 3 << QStringList{CopyFailed};
        QTest::newRow("source is a folder") << "folder" << 1 << QStringList{CopyFailed};
        QTest::newRow("shell refuses") << "refused" << 6 << QStringList{CopyFailed};
        QTest::newRow("copy breaks half-way") << "half" << 4 << QStringList{CopyFailed};
        QTest::newRow("numbered name held by a folder")
            << "blocked" << 2 << QStringList{DeleteFailed};
        QTest::newRow("held and missing")
            << "blocked missing" << 5 << QStringList{DeleteFailed, CopyFailed};
    }
    void failures()
    {
        QFETCH(QString, how);
        QFETCH(int, slot);
        QFETCH(QStringList, messages);
        Choose({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
        const QString source = setup.Slot(slot).PicturePath;
        const QString target = Quiz(QString::number(slot) + ".jpg");
        Write(target + (how.contains("blocked") ? "/inside" : ""), "earlier picture");
        BrokenShell shell;
        if (how.contains("missing") || how == "folder")
            QVERIFY(QFile::remove(source) && (how != "folder" || QDir().mkpath(source)));
        if (how == "refused")
            shell.failingSources << source;
        if (how == "half")
            shell.halfWay = source;

        ScriptedDialogs dialogs;
        WriteQuizPage(setup, order, shell, dialogs);

        QCOMPARE(dialogs.log.size(), messages.size());
        QCOMPARE(dialogs.messages(), messages);
        QCOMPARE(shell.copies.size(), 6);
        // No numbered picture for the failing slot (a folder in the way stays); the rest go on.
        QVERIFY(!QFileInfo(target).isFile());
        QCOMPARE(QFileInfo(target).isDir(), how.contains("blocked"));
        for (int k = 1; k <= 6; ++k)
            QVERIFY(k == slot ||
                    Read(Quiz(QString::number(k) + ".jpg")) == Read(setup.Slot(k).PicturePath));
        QVERIFY(QFileInfo(Quiz("start.htm")).size() > 0);
        QCOMPARE(Entries().filter(QRegularExpression("^\\.")), QStringList());
    }

    void exceptionLeavesFolderUntouched()
    {
        Choose({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
        Write(Quiz("1.jpg"), "earlier");
        BrokenShell shell;
        shell.throwing = setup.Slot(4).PicturePath;
        ScriptedDialogs dialogs;
        QVERIFY_THROWS_EXCEPTION(QuirvelError, WriteQuizPage(setup, order, shell, dialogs));
        QCOMPARE(Entries(), QStringList{"1.jpg"});
        QCOMPARE(Read(Quiz("1.jpg")), QByteArray("earlier"));
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
        Choose({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
        QVERIFY(QDir(Quiz()).removeRecursively());
        if (fileInTheWay)
            Write(setup.QuizFolder(), "not a folder");
        RecordingShell shell;
        ScriptedDialogs dialogs;
        QVERIFY_THROWS_EXCEPTION(QuirvelError, WriteQuizPage(setup, order, shell, dialogs));
        CopyDecorations(setup, shell, dialogs);
        QCOMPARE(dialogs.messages(), QStringList(6, CopyFailed) + QStringList(8, DecorFailed));
        QCOMPARE(Read(setup.QuizFolder()), QByteArray(fileInTheWay ? "not a folder" : "<missing>"));
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
        QStringList expectedCopies;
        for (const QString& name : DecorationNames) {
            if (!missing.contains(name))
                Write(setup.ProgramFolder + name, Bytes(name));
            expectedCopies << setup.ProgramFolder + '/' + name + " -> " + setup.QuizFolder();
        }
        Write(Quiz("11.gif"), "an older icon");
        RecordingShell shell;
        ScriptedDialogs dialogs;
        CopyDecorations(setup, shell, dialogs);
        QCOMPARE(dialogs.log, QStringList(missing.size(), "Message: " + DecorFailed));
        QCOMPARE(shell.copies, expectedCopies);
        for (const QString& name : DecorationNames)
            QCOMPARE(Read(Quiz(name)), !missing.contains(name) ? Bytes(name)
                                       : name == "11.gif"      ? QByteArray("an older icon")
                                                               : "<missing>");
    }

    void suppliedDecorationsFitThePage()
    {
        for (const QString& name : DecorationNames) {
            const QByteArray gif = Read(QStringLiteral(QUIRVEL_DECOR_DIR "/") + name);
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
