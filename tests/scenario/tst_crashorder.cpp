// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizfolder.h"
#include "testfiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
// Replays a traced run against what a power cut may keep: file data and folder names not yet
// synced. Whatever the trace did not write counts as kept.
struct CrashStates {
    QString quiz;
    QHash<QString, bool> data; // files written here: synced since?
    QSet<QString> unsyncedNames;
    bool markerLasts = false; // the staging folder synced since its marker last changed
    int placed = 0, placedSynced = 0, commits = 0, cleanups = 0;
    QStringList faults;
    QHash<int, QString> open; // descriptors as openat named them

    static QString parentOf(const QString& path) { return path.section('/', 0, -2); }
    bool inStaging(const QString& path) const { return path.startsWith(quiz + "/.quirvel-"); }
    void fault(bool broken, const QString& what)
    {
        if (broken)
            faults << what;
    }
    void synced(const QString& path)
    {
        if (data.contains(path))
            data[path] = true;
        unsyncedNames.remove(path);
        markerLasts = markerLasts || (inStaging(path) && parentOf(path) == quiz);
    }
    void moved(const QString& from, const QString& to)
    {
        if (to.endsWith("/commit") && inStaging(to)) {
            ++commits;
            for (const QString& path :
                 unsyncedNames + QSet<QString>(data.keyBegin(), data.keyEnd()))
                fault(path.startsWith(quiz) && !data.value(path, false),
                      "commit marker before " + path + " was synced");
            markerLasts = false;
        }
        fault((parentOf(from) == quiz || parentOf(to) == quiz) && !markerLasts,
              "quiz folder changed before the marker lasted: " + to);
        if (parentOf(to) == quiz && inStaging(from)) {
            ++placed;
            placedSynced += data.value(from, false);
            fault(!data.value(from, true), "placed before its data was synced: " + to);
        }
        if (data.contains(from))
            data[to] = data.take(from);
        unsyncedNames << parentOf(from) << parentOf(to);
    }
    void removed(const QString& path)
    {
        if (inStaging(path) && placed > 0) {
            ++cleanups;
            fault(unsyncedNames.contains(quiz), "staging removed before the quiz folder lasted");
        }
        data.remove(path);
        unsyncedNames << parentOf(path);
    }

    // One line of strace -f -y -s 4096.
    void replay(const QString& line)
    {
        static const QRegularExpression call("^\\d+ +(\\w+)\\((.*)\\) += (-?\\d+)(?:<([^>]*)>)?");
        const auto m = call.match(line);
        if (!m.hasMatch() || m.captured(3).toLongLong() < 0)
            return;
        const QString name = m.captured(1), args = m.captured(2);
        // Descriptors as their files, then the path arguments made absolute against theirs.
        QStringList fds, paths;
        static const QRegularExpression fd("(?:\\d+|AT_FDCWD)<([^>]*)>(?:, \"([^\"]*)\")?");
        for (auto it = fd.globalMatch(args); it.hasNext();) {
            const auto f = it.next();
            fds << QDir::cleanPath(f.captured(1));
            if (f.hasCaptured(2))
                paths << QDir::cleanPath(QDir(f.captured(1)).filePath(f.captured(2)));
        }
        static const QRegularExpression bare("^\"([^\"]*)\"(?:, \"([^\"]*)\")?");
        if (const auto b = bare.match(args); b.hasMatch() && fds.isEmpty())
            for (const QString& path : b.capturedTexts().mid(1).filter(QRegularExpression(".")))
                paths << QDir::cleanPath(path);
        // QSaveFile and QTemporaryFile name their unnamed files through /proc/self/fd.
        if (paths.value(0).startsWith("/proc/self/fd/"))
            paths[0] = open.value(paths[0].section('/', 4).toInt());
        if (name == "openat")
            open[m.captured(3).toInt()] = QDir::cleanPath(m.captured(4));
        if (name == "write" || (name == "ioctl" && args.contains("FICLONE")))
            data[fds.value(0)] = false;
        else if (name == "copy_file_range")
            data[fds.value(1)] = false;
        else if (name == "fdatasync" || name == "fsync")
            synced(fds.value(0));
        else if (name == "openat" && args.contains("O_CREAT"))
            unsyncedNames << parentOf(open.value(m.captured(3).toInt()));
        else if (name.startsWith("mkdir"))
            unsyncedNames << parentOf(paths.value(0));
        else if (name.startsWith("unlink") || name == "rmdir")
            removed(paths.value(0));
        else if (name.startsWith("rename") || name == "linkat")
            moved(paths.value(0), paths.value(1));
    }
};
} // namespace

class TestCrashOrder : public QObject
{
    Q_OBJECT
    QTemporaryDir m_root;
    QString m_program = m_root.filePath("program");
    QString m_quiz = m_program + "/crash";

    // A tool's exit code (-1 for none), and what it printed.
    int run(const QString& tool, const QStringList& args, QByteArray* out = nullptr)
    {
        QProcess process;
        // LeakSanitizer cannot work under ptrace; the sanitized pass still checks everything else.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
        process.setProcessEnvironment(environment);
        process.start(tool, args);
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
            return -1;
        if (out)
            *out = process.readAllStandardOutput() + process.readAllStandardError();
        return process.exitCode();
    }
    QStringList makeQuiz(const QString& pictures) const
    {
        QStringList args{"--program", m_program, "--folder", "crash", "--order", "3,1,2,6,4,5"};
        for (int k = 1; k <= 6; ++k)
            args << "--picture"
                 << m_root.filePath(QStringLiteral("%1/%2.jpg").arg(pictures).arg(k));
        return args;
    }
    bool quizOf(const QString& pictures)
    {
        return QDir(m_quiz).removeRecursively() && run(QUIRVEL_MAKEQUIZ, makeQuiz(pictures)) == 0;
    }
    // The quiz of pictures a, with a generation of b killed while placing, a file still staged.
    bool killedWhilePlacing()
    {
        QByteArray count;
        const auto killed = [&](int at) {
            return quizOf("a") &&
                   run(QUIRVEL_KILLING_GENERATION,
                       {m_program, "crash", m_root.filePath("b"), QString::number(at)},
                       &count) == (at ? 9 : 0);
        };
        if (!killed(0))
            return false;
        for (int n = count.trimmed().toInt(); n > 0; --n) {
            if (!killed(n))
                return false;
            const QDir quiz(m_quiz);
            const QDir staging(quiz.filePath(
                quiz.entryList({".quirvel-*"}, QDir::Dirs | QDir::Hidden).value(0, "none")));
            if (staging.exists("commit") && !QDir(staging.filePath("new")).isEmpty())
                return true;
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        QByteArray out;
        const int traced = run("strace", {"-f", "-qq", "-o", "/dev/null", "true"}, &out);
        if (traced != 0)
            QSKIP(qPrintable("strace cannot trace here (ptrace denied, or strace missing): " +
                             QString::fromLocal8Bit(out)));
        for (const QString& name : DecorationNames)
            QVERIFY(writeFile(m_program + '/' + name, "decoration " + name.toUtf8()));
        for (int k = 1; k <= 6; ++k)
            QVERIFY(writeFile(m_root.filePath(QString("a/%1.jpg").arg(k)), QByteArray(3000, 'a')) &&
                    writeFile(m_root.filePath(QString("b/%1.jpg").arg(k)), QByteArray(2000, 'b')));
    }

    void syncedBeforeEachStep_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::newRow("first generation") << "first";
        QTest::newRow("regeneration") << "again";
        QTest::newRow("recovery after a kill") << "recovery";
    }
    void syncedBeforeEachStep()
    {
        QFETCH(QString, phase);
        QVERIFY(phase == "first"   ? QDir(m_quiz).removeRecursively()
                : phase == "again" ? quizOf("a")
                                   : killedWhilePlacing());
        const QString log = m_root.filePath("strace.log");
        const QString calls =
            "trace=openat,close,write,copy_file_range,ioctl,fdatasync,fsync,"
            "rename,renameat,renameat2,linkat,unlink,unlinkat,mkdir,mkdirat,rmdir";
        QStringList args{"-f", "-y", "-qq", "-s4096", "-o", log, "-e", calls, QUIRVEL_MAKEQUIZ};
        args << (phase == "recovery"
                     ? QStringList{"--recover", "--program", m_program, "--folder", "crash"}
                     : makeQuiz("b"));
        QByteArray out;
        QVERIFY2(run("strace", args, &out) == 0, out.constData());
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        CrashStates states;
        states.quiz = m_quiz;
        for (const QByteArray& line : file.readAll().split('\n'))
            states.replay(QString::fromUtf8(line));
        QVERIFY2(states.faults.isEmpty(), qPrintable(states.faults.join('\n')));
        // Each rule was met at least once, and every file placed was written and synced here.
        QVERIFY(states.placed > 0 && states.cleanups > 0);
        if (phase != "recovery")
            QVERIFY(states.commits == 1 && states.placedSynced == 6 + DecorationNames.size() + 1);
    }
};

QTEST_GUILESS_MAIN(TestCrashOrder)
#include "tst_crashorder.moc"
