// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/programplaces.h"
#include "core/quizfolder.h"
#include "respectingpermissions.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

class TestProgramPlaces : public QObject
{
    Q_OBJECT
private slots:
    // Folders are relative to a temporary root; "" as the supplied folder: the executable's own.
    void resolve_data()
    {
        QTest::addColumn<QStringList>("decorated");
        QTest::addColumn<QString>("executable");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("supplied");
        QTest::addColumn<bool>("inDocuments");
        // clang-format off
        QTest::newRow("build tree") << QStringList{"build"} << "build" << true << "" << false;
        QTest::newRow("unpacked copy beside a share folder")
            << QStringList{"copy", "share/quirvel"} << "copy" << true << "" << false;
        QTest::newRow("installed")
            << QStringList{"usr/share/quirvel"} << "usr/bin" << true << "usr/share/quirvel/" << true;
        QTest::newRow("read-only unpacked copy")
            << QStringList{"copy"} << "copy" << false << "" << true;
        QTest::newRow("nothing supplied anywhere")
            << QStringList{} << "bin" << true << "" << false;
        // clang-format on
    }
    void resolve()
    {
        QFETCH(QStringList, decorated);
        QFETCH(QString, executable);
        QFETCH(bool, writable);
        QFETCH(QString, supplied);
        QFETCH(bool, inDocuments);
        if (!writable && writesIntoReadOnlyFolders()) {
            const QString failure = rerunRespectingPermissions();
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            return;
        }
        QTemporaryDir dir;
        const QString root = QDir(dir.path()).canonicalPath() + "/", exe = root + executable;
        for (const QString& folder : decorated)
            for (const QString& name : DecorationNames)
                QVERIFY(QDir().mkpath(root + folder) &&
                        QFile(root + folder + "/" + name).open(QIODevice::WriteOnly));
        QVERIFY(QDir().mkpath(exe));
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        QVERIFY(writable || QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner));

        const ProgramPlaces places = resolveProgramPlaces(exe, root + "home/Документы");
        QCOMPARE(places.suppliedFolder, supplied.isEmpty() ? exe + "/" : root + supplied);
        QCOMPARE(places.quizzesFolder, inDocuments ? root + "home/Документы/QUIRVEL/" : exe + "/");
        QCOMPARE(places.quizzesInDocuments, inDocuments);
        QVERIFY(!QFileInfo::exists(root + "home")); // made only with a quiz's own folder
    }
};

QTEST_GUILESS_MAIN(TestProgramPlaces)
#include "tst_programplaces.moc"
