#include "core/programplaces.h"
#include "core/quizfolder.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

class TestProgramPlaces : public QObject
{
    Q_OBJECT
private slots:
    void resolve_data();
    void resolve();
};

// Folders are relative to a temporary root; "" as the expected supplied folder means the
// executable's own.
void TestProgramPlaces::resolve_data()
{
    QTest::addColumn<QStringList>("decorated");
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QString>("link"); // "name>target": a symbolic link made first
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("supplied");
    QTest::addColumn<bool>("inDocuments");
    QTest::newRow("build tree") << QStringList{"build/program"} << "build/program"
                                << "" << true << "" << false;
    QTest::newRow("unpacked copy beside a share folder")
        << QStringList{"copy", "share/quirvel"} << "copy"
        << "" << true << "" << false;
    QTest::newRow("installed") << QStringList{"usr/share/quirvel"} << "usr/bin"
                               << "" << true << "usr/share/quirvel/" << true;
    QTest::newRow("DESTDIR reached through a link")
        << QStringList{"stage/opt/q/share/quirvel"} << "via/bin"
        << "via>stage/opt/q" << true << "stage/opt/q/share/quirvel/" << true;
    QTest::newRow("read-only unpacked copy") << QStringList{"copy"} << "copy"
                                             << "" << false << "" << true;
    QTest::newRow("nothing supplied anywhere") << QStringList{} << "bin"
                                               << "" << true << "" << false;
}

void TestProgramPlaces::resolve()
{
    QFETCH(QStringList, decorated);
    QFETCH(QString, executable);
    QFETCH(QString, link);
    QFETCH(bool, writable);
    QFETCH(QString, supplied);
    QFETCH(bool, inDocuments);
    if (!writable && geteuid() == 0)
        QSKIP("root writes into read-only folders");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = QDir(dir.path()).canonicalPath() + QLatin1Char('/');
    for (const QString& folder : decorated) {
        QVERIFY(QDir().mkpath(root + folder));
        for (const QString& name : DecorationNames) {
            QFile file(root + folder + QLatin1Char('/') + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    if (!link.isEmpty()) {
        const QStringList parts = link.split(QLatin1Char('>'));
        QVERIFY(QDir().mkpath(root + parts[1]));
        QVERIFY(QFile::link(root + parts[1], root + parts[0]));
    }
    QVERIFY(QDir().mkpath(root + executable));
    const QString exe = root + executable;
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (!writable)
        QVERIFY(QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner));

    const ProgramPlaces places = resolveProgramPlaces(exe, root + QStringLiteral("home/Документы"));
    QCOMPARE(places.suppliedFolder, supplied.isEmpty() ? exe + QLatin1Char('/') : root + supplied);
    QCOMPARE(places.quizzesFolder, inDocuments ? root + QStringLiteral("home/Документы/QUIRVEL/")
                                               : exe + QLatin1Char('/'));
    QCOMPARE(places.quizzesInDocuments, inDocuments);
    QVERIFY(!QFileInfo::exists(root + QStringLiteral("home")));
}

QTEST_GUILESS_MAIN(TestProgramPlaces)
#include "tst_programplaces.moc"
