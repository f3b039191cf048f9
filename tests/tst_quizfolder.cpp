#include "app/errors.h"
#include "fakes.h"
#include "generation/quizfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QString DeleteFailed = QStringLiteral("Ошибка при удалении файла");
const QString CopyFailed = QStringLiteral("Ошибка при копировании");
const QString DecorationFailed = QStringLiteral("Ошибка при копировании дополнений");

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

// Distinct bytes for every source, with a zero byte so that no text handling slips through.
QByteArray PictureBytes(const QString& name)
{
    return QByteArray("\xff\xd8\x00 ", 4) + name.toUtf8() + QByteArray(300, char(name.size()));
}

// Copies into the folder the first half of the file, then reports failure.
class HalfWayShell : public RecordingShell
{
public:
    QString brokenSource;
    bool ShellCopy(const QString& source, const QString& folder) override
    {
        if (source != brokenSource)
            return RecordingShell::ShellCopy(source, folder);
        copies << source + QStringLiteral(" -> ") + folder;
        const QByteArray bytes = ReadFile(source);
        QFile part(folder + QLatin1Char('/') + QFileInfo(source).fileName());
        if (part.open(QIODevice::WriteOnly))
            part.write(bytes.left(bytes.size() / 2));
        return false;
    }
};

class ThrowingShell : public RecordingShell
{
public:
    QString badSource;
    bool ShellCopy(const QString& source, const QString& folder) override
    {
        if (source == badSource)
            throw QuirvelError(QStringLiteral("Устройство не готово"));
        return RecordingShell::ShellCopy(source, folder);
    }
};

} // namespace

class TestQuizFolder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void placement_data();
    void placement();
    void regenerationReplacesAndLeavesOtherFiles();
    void failures_data();
    void failures();
    void shellThrowingLeavesFolderUntouched();
    void quizFolderCannotBeWritten_data();
    void quizFolderCannotBeWritten();
    void decorations_data();
    void decorations();
    void suppliedDecorationsFitThePage();

private:
    // "quiz/name" is a file in the quiz folder (reached through the doubled separator),
    // anything else lies below the test's own folder.
    QString SourcePath(const QString& spec) const;
    void ChooseSources(const QStringList& specs);
    QStringList QuizEntries() const;

    std::unique_ptr<QTemporaryDir> m_root;
    TQuizSetup m_setup;
    AnswerOrder m_order;
};

void TestQuizFolder::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_setup = TQuizSetup();
    m_setup.Initialise(m_root->path() + QStringLiteral("/program"));
    m_setup.Title = QStringLiteral("Что где растёт");
    m_setup.FolderName = QStringLiteral("Викторина 1");
    QVERIFY(QDir().mkpath(m_setup.QuizFolder()));
    m_order.Entries = {3, 1, 2, 6, 4, 5};
    m_order.Text = QStringLiteral("3, 1, 2, 6, 4, 5");
}

QString TestQuizFolder::SourcePath(const QString& spec) const
{
    if (spec.startsWith(QStringLiteral("quiz/")))
        return m_setup.QuizFolder() + QLatin1Char('/') + spec.mid(5);
    return m_root->path() + QLatin1Char('/') + spec;
}

void TestQuizFolder::ChooseSources(const QStringList& specs)
{
    for (int k = 1; k <= 6; ++k) {
        const QString path = SourcePath(specs[k - 1]);
        if (!QFileInfo::exists(path))
            WriteFile(path, PictureBytes(specs[k - 1]));
        m_setup.SelectSlot(k);
        m_setup.SetPicture(path);
    }
}

QStringList TestQuizFolder::QuizEntries() const
{
    return QDir(m_setup.QuizFolder())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void TestQuizFolder::placement_data()
{
    QTest::addColumn<QStringList>("sources");
    QTest::newRow("plain names") << QStringList{"p/sun.jpg",  "p/house.jpg", "p/tree.jpg",
                                                "p/fish.jpg", "p/car.jpg",   "p/flower.jpg"};
    QTest::newRow("slot 1 file is named 1.jpg")
        << QStringList{"p/1.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"};
    QTest::newRow("slot 2 file is named 1.jpg")
        << QStringList{"p/a.jpg", "other/1.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"};
    QTest::newRow("files named after later slots")
        << QStringList{"p/6.jpg", "p/5.jpg", "p/4.jpg", "q/3.jpg", "q/2.jpg", "q/1.jpg"};
    QTest::newRow("same name from different folders")
        << QStringList{"a/x.jpg", "b/x.jpg", "c/x.jpg", "d/x.jpg", "e/x.jpg", "f/x.jpg"};
    QTest::newRow("one file for two slots")
        << QStringList{"p/a.jpg", "p/b.jpg", "p/a.jpg", "p/d.jpg", "p/e.jpg", "p/a.jpg"};
    QTest::newRow("upper-case extension")
        << QStringList{"p/A.JPG", "p/b.JPG", "p/c.jpg", "p/d.Jpg", "p/e.jpg", "p/f.jpg"};
    QTest::newRow("swapped numbered files of the quiz folder")
        << QStringList{"quiz/2.jpg", "quiz/1.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"};
    QTest::newRow("rotated numbered files and own file") << QStringList{
        "quiz/2.jpg", "quiz/3.jpg", "quiz/1.jpg", "quiz/4.jpg", "quiz/6.jpg", "quiz/5.jpg"};
}

void TestQuizFolder::placement()
{
    QFETCH(QStringList, sources);
    ChooseSources(sources);
    QList<QByteArray> expected;
    for (const QString& spec : sources)
        expected << ReadFile(SourcePath(spec));

    RecordingShell shell;
    ScriptedDialogs dialogs;
    WriteQuizPage(m_setup, m_order, shell, dialogs);

    QCOMPARE(dialogs.log, QStringList());
    QCOMPARE(shell.copies.size(), 6);
    for (int k = 1; k <= 6; ++k)
        QVERIFY2(ReadFile(m_setup.QuizFolder() + QStringLiteral("/%1.jpg").arg(k)) ==
                     expected[k - 1],
                 qPrintable(QStringLiteral("slot %1").arg(k)));
    QCOMPARE(QuizEntries(),
             (QStringList{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg", "start.htm"}));
    // Sources outside the quiz folder are read, never moved.
    for (const QString& spec : sources)
        if (!spec.startsWith(QStringLiteral("quiz/")))
            QCOMPARE(ReadFile(SourcePath(spec)), PictureBytes(spec));
}

void TestQuizFolder::regenerationReplacesAndLeavesOtherFiles()
{
    ChooseSources({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
    RecordingShell shell;
    ScriptedDialogs dialogs;
    WriteQuizPage(m_setup, m_order, shell, dialogs);
    WriteFile(m_setup.QuizFolder() + QStringLiteral("/заметки.txt"), "notes");
    WriteFile(m_setup.QuizFolder() + QStringLiteral("/old/7.jpg"), "kept");
    WriteFile(m_setup.QuizFolder() + QStringLiteral("/7.jpg"), "kept too");

    WriteFile(SourcePath("new/b.jpg"), "new picture for slot 2");
    m_setup.SelectSlot(2);
    m_setup.SetPicture(SourcePath("new/b.jpg"));
    WriteQuizPage(m_setup, m_order, shell, dialogs);

    QCOMPARE(dialogs.log, QStringList());
    QCOMPARE(shell.copies.size(), 12);
    QCOMPARE(ReadFile(m_setup.QuizFolder() + QStringLiteral("/2.jpg")),
             QByteArray("new picture for slot 2"));
    QCOMPARE(ReadFile(m_setup.QuizFolder() + QStringLiteral("/5.jpg")), PictureBytes("p/e.jpg"));
    QCOMPARE(ReadFile(m_setup.QuizFolder() + QStringLiteral("/заметки.txt")), QByteArray("notes"));
    QCOMPARE(ReadFile(m_setup.QuizFolder() + QStringLiteral("/old/7.jpg")), QByteArray("kept"));
    QCOMPARE(QuizEntries(), (QStringList{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg",
                                         "7.jpg", "old", "start.htm", "заметки.txt"}));
}

void TestQuizFolder::failures_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("numberedFileLeft");
    QTest::newRow("missing source") << "missing" << 3 << QStringList{CopyFailed} << false;
    QTest::newRow("source is a folder") << "folder" << 1 << QStringList{CopyFailed} << false;
    QTest::newRow("shell refuses") << "refused" << 6 << QStringList{CopyFailed} << false;
    QTest::newRow("copy breaks half-way") << "half" << 4 << QStringList{CopyFailed} << false;
    QTest::newRow("numbered name held by a folder")
        << "blocked" << 2 << QStringList{DeleteFailed} << true;
    QTest::newRow("blocked and missing")
        << "blocked+missing" << 5 << QStringList{DeleteFailed, CopyFailed} << true;
}

void TestQuizFolder::failures()
{
    QFETCH(QString, how);
    QFETCH(int, slot);
    QFETCH(QStringList, messages);
    QFETCH(bool, numberedFileLeft);
    ChooseSources({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
    const QString target = m_setup.QuizFolder() + QStringLiteral("/%1.jpg").arg(slot);
    WriteFile(target, "picture of an earlier quiz");

    HalfWayShell shell;
    const QString source = m_setup.Slot(slot).PicturePath;
    if (how.contains(QStringLiteral("missing")))
        QVERIFY(QFile::remove(source));
    if (how == QStringLiteral("folder")) {
        QVERIFY(QFile::remove(source));
        QVERIFY(QDir().mkpath(source));
    }
    if (how == QStringLiteral("refused"))
        shell.failingSources << source;
    if (how == QStringLiteral("half"))
        shell.brokenSource = source;
    if (how.startsWith(QStringLiteral("blocked"))) {
        QVERIFY(QFile::remove(target));
        WriteFile(target + QStringLiteral("/inside.txt"), "x");
    }

    ScriptedDialogs dialogs;
    WriteQuizPage(m_setup, m_order, shell, dialogs);

    QCOMPARE(dialogs.messages(), messages);
    QCOMPARE(dialogs.log.size(), messages.size());
    // The failing slot has no numbered picture (a folder in the way stays), the rest go on.
    QCOMPARE(QFileInfo(target).isFile(), false);
    QCOMPARE(QFileInfo::exists(target), numberedFileLeft);
    QCOMPARE(shell.copies.size(), 6);
    for (int k = 1; k <= 6; ++k)
        if (k != slot)
            QCOMPARE(ReadFile(m_setup.QuizFolder() + QStringLiteral("/%1.jpg").arg(k)),
                     ReadFile(m_setup.Slot(k).PicturePath));
    QVERIFY(QFileInfo(m_setup.QuizFolder() + QStringLiteral("/start.htm")).size() > 0);
    for (const QString& entry : QuizEntries())
        QVERIFY2(!entry.startsWith(QLatin1Char('.')), qPrintable(entry));
}

void TestQuizFolder::shellThrowingLeavesFolderUntouched()
{
    ChooseSources({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
    WriteFile(m_setup.QuizFolder() + QStringLiteral("/1.jpg"), "earlier");
    ThrowingShell shell;
    shell.badSource = m_setup.Slot(4).PicturePath;
    ScriptedDialogs dialogs;
    QVERIFY_THROWS_EXCEPTION(QuirvelError, WriteQuizPage(m_setup, m_order, shell, dialogs));
    QCOMPARE(QuizEntries(), QStringList{"1.jpg"});
    QCOMPARE(ReadFile(m_setup.QuizFolder() + QStringLiteral("/1.jpg")), QByteArray("earlier"));
}

void TestQuizFolder::quizFolderCannotBeWritten_data()
{
    QTest::addColumn<bool>("fileInTheWay");
    QTest::newRow("folder missing") << false;
    QTest::newRow("a file holds the folder's name") << true;
}

void TestQuizFolder::quizFolderCannotBeWritten()
{
    QFETCH(bool, fileInTheWay);
    ChooseSources({"p/a.jpg", "p/b.jpg", "p/c.jpg", "p/d.jpg", "p/e.jpg", "p/f.jpg"});
    QVERIFY(QDir(m_setup.QuizFolder()).removeRecursively());
    if (fileInTheWay)
        WriteFile(m_setup.QuizFolder(), "not a folder");

    RecordingShell shell;
    ScriptedDialogs dialogs;
    QVERIFY_THROWS_EXCEPTION(QuirvelError, WriteQuizPage(m_setup, m_order, shell, dialogs));
    QCOMPARE(dialogs.messages(), QStringList(6, CopyFailed));
    CopyDecorations(m_setup, shell, dialogs);
    QCOMPARE(dialogs.messages().mid(6), QStringList(8, DecorationFailed));
    QCOMPARE(QFileInfo(m_setup.QuizFolder()).isFile(), fileInTheWay);
    if (fileInTheWay)
        QCOMPARE(ReadFile(m_setup.QuizFolder()), QByteArray("not a folder"));
}

void TestQuizFolder::decorations_data()
{
    QTest::addColumn<QStringList>("missing");
    QTest::newRow("all supplied") << QStringList();
    QTest::newRow("two missing") << QStringList{"33.gif", "fong.gif"};
    QTest::newRow("all missing") << DecorationNames;
}

void TestQuizFolder::decorations()
{
    QFETCH(QStringList, missing);
    for (const QString& name : DecorationNames)
        if (!missing.contains(name))
            WriteFile(m_setup.ProgramFolder + name, PictureBytes(name));
    WriteFile(m_setup.QuizFolder() + QStringLiteral("/22.gif"), "an older icon");

    RecordingShell shell;
    ScriptedDialogs dialogs;
    CopyDecorations(m_setup, shell, dialogs);

    QCOMPARE(dialogs.log,
             QStringList(missing.size(), QStringLiteral("Message: ") + DecorationFailed));
    QStringList expectedCopies;
    for (const QString& name : DecorationNames)
        expectedCopies << m_setup.ProgramFolder + QLatin1Char('/') + name + QStringLiteral(" -> ") +
                              m_setup.QuizFolder();
    QCOMPARE(shell.copies, expectedCopies);
    for (const QString& name : DecorationNames) {
        const QString copy = m_setup.QuizFolder() + QLatin1Char('/') + name;
        if (!missing.contains(name))
            QCOMPARE(ReadFile(copy), PictureBytes(name));
        else if (name != QStringLiteral("22.gif"))
            QVERIFY(!QFileInfo::exists(copy));
    }
}

void TestQuizFolder::suppliedDecorationsFitThePage()
{
    // The page shows the icons at 40 x 30 and the separator at 760 x 5.
    for (const QString& name : DecorationNames) {
        const QByteArray gif = ReadFile(QStringLiteral(QUIRVEL_DECOR_DIR "/") + name);
        QVERIFY2(gif.startsWith("GIF89a") || gif.startsWith("GIF87a"), qPrintable(name));
        const auto word = [&](int at) {
            return int(uchar(gif[at])) | int(uchar(gif[at + 1])) << 8;
        };
        const QSize size(word(6), word(8));
        if (name == QStringLiteral("line1.gif"))
            QCOMPARE(size, QSize(760, 5));
        else if (name == QStringLiteral("fong.gif"))
            QVERIFY(size.width() >= 16 && size.height() >= 16);
        else
            QCOMPARE(size, QSize(40, 30));
    }
}

QTEST_GUILESS_MAIN(TestQuizFolder)
#include "tst_quizfolder.moc"
