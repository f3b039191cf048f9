#include "app/filecopy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}
} // namespace

class TestFileCopy : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void replacesWithoutAsking_data();
    void replacesWithoutAsking();
    void copyOfReadOnlySourceCanBeReplacedLater();
    void failures_data();
    void failures();
    void fileOntoItselfKeepsItsContent();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_src, m_dst;
};

void TestFileCopy::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_src = m_dir->path() + QStringLiteral("/from");
    m_dst = m_dir->path() + QStringLiteral("/to");
    QVERIFY(QDir().mkpath(m_src));
    QVERIFY(QDir().mkpath(m_dst));
}

void TestFileCopy::replacesWithoutAsking_data()
{
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<bool>("targetReadOnly");
    QTest::newRow("new file") << false << false;
    QTest::newRow("replaces a longer file") << true << false;
    QTest::newRow("replaces a read-only file") << true << true;
}

void TestFileCopy::replacesWithoutAsking()
{
    QFETCH(bool, targetExists);
    QFETCH(bool, targetReadOnly);
    const QByteArray picture("\xff\xd8 new picture \x00\x01", 18);
    WriteFile(m_src + QStringLiteral("/Ёлка.JPG"), picture);
    const QString target = m_dst + QStringLiteral("/Ёлка.JPG");
    if (targetExists) {
        WriteFile(target, QByteArray(200, 'x'));
        if (targetReadOnly)
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup));
    }
    // The doubled separator of the program's paths must be accepted.
    QVERIFY(CopyIntoFolder(m_src + QStringLiteral("//Ёлка.JPG"), m_dst + QLatin1Char('/')));
    QCOMPARE(ReadFile(target), picture);
    QCOMPARE(QDir(m_dst).entryList(QDir::Files | QDir::Hidden), QStringList{"Ёлка.JPG"});
}

void TestFileCopy::copyOfReadOnlySourceCanBeReplacedLater()
{
    const QString source = m_src + QStringLiteral("/a.jpg");
    WriteFile(source, "first");
    QVERIFY(QFile::setPermissions(source, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(CopyIntoFolder(source, m_dst));
    QVERIFY(QFileInfo(m_dst + QStringLiteral("/a.jpg")).permissions() & QFile::WriteOwner);
    QVERIFY(QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner));
    WriteFile(source, "second");
    QVERIFY(CopyIntoFolder(source, m_dst));
    QCOMPARE(ReadFile(m_dst + QStringLiteral("/a.jpg")), QByteArray("second"));
}

void TestFileCopy::failures_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("targetIsFolder");
    QTest::newRow("missing source") << "from/none.jpg"
                                    << "to" << false;
    QTest::newRow("source is a folder") << "from"
                                        << "to" << false;
    QTest::newRow("empty source") << ""
                                  << "to" << false;
    QTest::newRow("missing folder") << "from/a.jpg"
                                    << "none" << false;
    QTest::newRow("folder is a file") << "from/a.jpg"
                                      << "from/a.jpg" << false;
    QTest::newRow("a folder holds the name") << "from/a.jpg"
                                             << "to" << true;
}

void TestFileCopy::failures()
{
    QFETCH(QString, source);
    QFETCH(QString, folder);
    QFETCH(bool, targetIsFolder);
    WriteFile(m_src + QStringLiteral("/a.jpg"), "picture");
    WriteFile(m_dst + QStringLiteral("/keep.txt"), "other");
    if (targetIsFolder)
        QVERIFY(QDir().mkpath(m_dst + QStringLiteral("/a.jpg/inner")));
    const QString base = m_dir->path() + QLatin1Char('/');
    QVERIFY(!CopyIntoFolder(source.isEmpty() ? source : base + source, base + folder));
    // Nothing half-done: no staging file, the source and other files untouched.
    QStringList expected{"keep.txt"};
    if (targetIsFolder)
        expected.prepend("a.jpg");
    QCOMPARE(QDir(m_dst).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             expected);
    QCOMPARE(ReadFile(m_src + QStringLiteral("/a.jpg")), QByteArray("picture"));
}

void TestFileCopy::fileOntoItselfKeepsItsContent()
{
    const QString file = m_dst + QStringLiteral("/1.jpg");
    WriteFile(file, "the only copy");
    QVERIFY(CopyIntoFolder(file, m_dst));
    QVERIFY(CopyIntoFolder(m_dst + QStringLiteral("/./1.jpg"), m_dst + QStringLiteral("//")));
    QCOMPARE(ReadFile(file), QByteArray("the only copy"));
    QCOMPARE(QDir(m_dst).entryList(QDir::Files | QDir::Hidden), QStringList{"1.jpg"});
}

QTEST_GUILESS_MAIN(TestFileCopy)
#include "tst_filecopy.moc"
