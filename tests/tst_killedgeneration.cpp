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
    int generate(const QString& pictures, int killAt, QByteArray* out = nullptr)
    {
        QProcess helper;
        helper.start(QStringLiteral(QUIRVEL_KILLING_GENERATION),
                     {m_program, QStringLiteral("Звери"), m_root.path() + '/' + pictures,
                      QString::number(killAt)});
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

private slots:
    void killedAtEveryOperation()
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
        const auto old = folderSnapshot(m_quiz);
        QByteArray count;
        QCOMPARE(generate(QStringLiteral("new"), 0, &count), 0);
        const auto fresh = folderSnapshot(m_quiz);
        QCOMPARE(fresh.size(), 6 + DecorationNames.size() + 1);
        QVERIFY(fresh != old);
        const int operations = count.trimmed().toInt();
        QVERIFY2(operations > 30, count.constData());

        int ended[2] = {0, 0}; // old, new
        RecordingShell shell;
        for (int n = 1; n <= operations; ++n) {
            restore(old);
            QCOMPARE(generate(QStringLiteral("new"), n), 9);
            QCOMPARE(recoverQuizFolder(m_quiz, shell), QString());
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
};

QTEST_GUILESS_MAIN(TestKilledGeneration)
#include "tst_killedgeneration.moc"
