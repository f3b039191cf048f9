// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/draftstore.h"
#include "testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

// Drafts of crashed programs are offered once, those of running ones never, broken ones kept.
class TestDraftStore : public QObject
{
    Q_OBJECT
private slots:
    void crashedProgramsDraftOffered();
    void brokenDraftRenamedAside();
    void draftRead_data();
    void draftRead();

private:
    // Saves `draft` as program `pid` would and dies without cleaning up, as a crash does.
    static void saveAndCrash(const QString& folder, qint64 pid, const QuizDraft& draft)
    {
        const pid_t child = fork();
        if (child == 0)
            _exit(DraftStore(folder, pid).save(draft) ? 0 : 1);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
    }
};

void TestDraftStore::crashedProgramsDraftOffered()
{
    QTemporaryDir dir;
    QuizDraft older, newer;
    older.titleText = QStringLiteral("Старая");
    newer.titleText = QStringLiteral("Звери 🐘 <b>&");
    newer.quizSlots[2] = {QStringLiteral("/фото/кот.jpg"), QStringLiteral("Кто?"),
                          QStringLiteral("Кот\r\nрыжий")};
    newer.currentSlot = 3;
    newer.oneForAll = true;
    newer.folderName = QStringLiteral("Звери");
    newer.asksFolderName = false;
    saveAndCrash(dir.path(), 101, older);
    saveAndCrash(dir.path(), 102, newer);
    QVERIFY(setModified(dir.filePath("draft-101.json"), 1));

    DraftStore running(dir.path(), 103);
    QVERIFY(running.save(QuizDraft{}));
    DraftStore second(dir.path(), 104);
    QStringList bad;
    const auto orphan = second.newestOrphan(bad);
    QVERIFY(orphan);
    QCOMPARE(orphan->path, dir.filePath("draft-102.json"));
    QCOMPARE(orphan->draft.toJson(), newer.toJson());
    QVERIFY(bad.isEmpty());

    DraftStore::discard(orphan->path);
    QCOMPARE(second.newestOrphan(bad)->path, dir.filePath("draft-101.json"));
    DraftStore::discard(dir.filePath("draft-101.json"));
    // What is left is the running program's own draft, which is never offered.
    QVERIFY(!second.newestOrphan(bad));
    QVERIFY(QFile::exists(running.draftPath()));
    running.remove();
    QVERIFY(!QFile::exists(running.draftPath()));
}

void TestDraftStore::brokenDraftRenamedAside()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("draft-7.json"), "{\"format\": 1, \"quizSlots\": ["));
    QStringList bad;
    QVERIFY(!DraftStore(dir.path(), 8).newestOrphan(bad));
    QCOMPARE(bad, QStringList{dir.filePath("draft-7.json.bad")});
    QVERIFY(QFile::exists(bad.first()));
    QVERIFY(!DraftStore(dir.path(), 8).newestOrphan(bad));
    QCOMPARE(bad.size(), 1);
}

void TestDraftStore::draftRead_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("read");
    const QByteArray written = QuizDraft{}.toJson();
    const auto with = [&written](const char* key, const QJsonValue& value) {
        QJsonObject changed = QJsonDocument::fromJson(written).object();
        changed[key] = value;
        return QJsonDocument(changed).toJson();
    };
    QTest::newRow("as written") << written << true;
    QTest::newRow("other format") << with("format", 2) << false;
    QTest::newRow("five slots") << with("slots", QJsonArray{{}, {}, {}, {}, {}}) << false;
    QTest::newRow("current slot 0") << with("currentSlot", 0) << false;
    QTest::newRow("current slot 6") << with("currentSlot", 6) << true;
    QTest::newRow("current slot 7") << with("currentSlot", 7) << false;
}

void TestDraftStore::draftRead()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, read);
    QCOMPARE(QuizDraft::fromJson(json).has_value(), read);
}

QTEST_GUILESS_MAIN(TestDraftStore)
#include "tst_draftstore.moc"
