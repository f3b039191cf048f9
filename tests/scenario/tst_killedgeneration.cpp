// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizfolder.h"
#include "core/quizrecovery.h"
#include "fakes.h"
#include "foldersnapshot.h"
#include "testfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// A generation killed after any of its file operations, and the recovery after it, leave the quiz
// folder holding the old quiz or the new one, byte for byte, and nothing hidden.
class TestKilledGeneration : public QObject
{
    Q_OBJECT
    QTemporaryDir m_root;
    QString m_program = m_root.path() + QStringLiteral("/program");
    QString m_quiz = m_program + QStringLiteral("/Звери");

    // Runs the helper; its exit code, and what it printed.
    int generate(const QString& pictures, int killAt, QByteArray* out = nullptr,
                 const QStringList& failing = {})
    {
        QProcess helper;
        helper.start(QStringLiteral(QUIRVEL_KILLING_GENERATION),
                     QStringList{m_program, QStringLiteral("Звери"), m_root.path() + '/' + pictures,
                                 QString::number(killAt)} +
                         failing);
        if (!helper.waitForFinished(60000))
            return -1;
        if (out)
            *out = helper.readAllStandardOutput();
        return helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -1;
    }
    void restore(const QMap<QString, QByteArray>& snapshot)
    {
        QVERIFY(QDir(m_quiz).removeRecursively() && QDir().mkpath(m_quiz));
        for (auto it = snapshot.cbegin(); it != snapshot.cend(); ++it)
            QVERIFY(writeFile(m_quiz + it.key(), it.value()));
    }

    QMap<QString, QByteArray> m_old, m_fresh;

private slots:
    void initTestCase()
    {
        for (const QString& name : DecorationNames)
            QVERIFY(writeFile(m_program + '/' + name, "decoration " + name.toUtf8()));
        for (int k = 1; k <= 6; ++k) {
            QVERIFY(writeFile(m_root.filePath(QString("old/%1.jpg").arg(k)),
                              QByteArray(3000, 'a' + k)));
            QVERIFY(writeFile(m_root.filePath(QString("new/%1.jpg").arg(k)),
                              QByteArray(2000, 'A' + k)));
        }
        QVERIFY(QDir().mkpath(m_quiz));
        QCOMPARE(generate(QStringLiteral("old"), 0), 0);
        m_old = folderSnapshot(m_quiz);
        QCOMPARE(generate(QStringLiteral("new"), 0), 0);
        m_fresh = folderSnapshot(m_quiz);
        QCOMPARE(m_fresh.size(), 6 + DecorationNames.size() + 1);
        QVERIFY(m_fresh != m_old);
    }

    void killedAtEveryOperation()
    {
        const auto &old = m_old, &fresh = m_fresh;
        restore(old);
        QByteArray count;
        QCOMPARE(generate(QStringLiteral("new"), 0, &count), 0);
        const int operations = count.trimmed().toInt();
        QVERIFY2(operations > 30, count.constData());

        int ended[2] = {0, 0}; // old, new
        RecordingShell shell;
        for (int n = 1; n <= operations; ++n) {
            restore(old);
            QCOMPARE(generate(QStringLiteral("new"), n), 9);
            recoverQuizFolder(m_quiz, shell);
            const auto after = folderSnapshot(m_quiz);
            QVERIFY2(after == old || after == fresh,
                     qPrintable(QStringLiteral("killed at operation %1: ").arg(n) +
                                QStringList(after.keys()).join(' ')));
            ++ended[after == fresh];
            QCOMPARE(QDir(m_program).entryList({".quirvel-*"}, QDir::AllEntries | QDir::Hidden),
                     QStringList());
        }
        // The kills fell on both sides of the point of no return.
        QVERIFY(ended[0] > 0 && ended[1] > 0);
    }

    // A failure after the commit, then a kill anywhere in its undo from the rollback marker on:
    // the old quiz, exactly.
    void killedWhileUndoing_data()
    {
        QTest::addColumn<int>("placement"); // 0: the quiz folder's sync after the last one
        QTest::newRow("first placement") << 1;
        QTest::newRow("seventh placement") << 7;
        QTest::newRow("page placement") << 6 + int(DecorationNames.size()) + 1;
        QTest::newRow("sync after the placements") << 0;
    }
    void killedWhileUndoing()
    {
        QFETCH(int, placement);
        const QStringList failing =
            placement ? QStringList{"^rename .*/new/[^/]+ -> ", QString::number(placement)}
                      : QStringList{"^sync .*/Звери$", "2"};
        restore(m_old);
        QByteArray count;
        QCOMPARE(generate(QStringLiteral("new"), 0, &count, failing), 0);
        QCOMPARE(folderSnapshot(m_quiz), m_old);
        const int operations = count.split(' ').value(0).toInt(),
                  failedAt = count.split(' ').value(1).trimmed().toInt();
        QVERIFY2(failedAt > 0 && operations > failedAt + 2, count.constData());
        RecordingShell shell;
        // failedAt + 1 renames the commit marker: a kill before that leaves a commit to finish.
        for (int n = failedAt + 2; n <= operations; ++n) {
            restore(m_old);
            QCOMPARE(generate(QStringLiteral("new"), n, nullptr, failing), 9);
            recoverQuizFolder(m_quiz, shell);
            QVERIFY2(folderSnapshot(m_quiz) == m_old, qPrintable(QString("killed at %1").arg(n)));
        }
    }
};

QTEST_GUILESS_MAIN(TestKilledGeneration)
#include "tst_killedgeneration.moc"
