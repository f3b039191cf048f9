// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/draftoffer.h"
#include "core/draftstore.h"
#include "fakes.h"
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
    void orphansOffered_data();
    void orphansOffered();
    void draftRead_data();
    void draftRead();

private:
    // Saves `draft` as program `pid` would and dies without cleaning up, as a crash does.
    static void saveAndCrash(const QString& folder, qint64 pid, const QuizDraft& draft)
    {
        const pid_t child = fork();
        if (child == 0)
            _exit(DraftStore(folder, pid).save(draft) ? 1 : 0);
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
    newer.pictureFiles[2] = {"/фото/кот.jpg", 12, 1'700'000'000'123'456'789, 7, 1ull << 60 | 5, 9};
    saveAndCrash(dir.path(), 101, older);
    saveAndCrash(dir.path(), 102, newer);
    QVERIFY(setModified(dir.filePath("draft-101.json"), 1));

    DraftStore running(dir.path(), 103);
    QVERIFY(!running.save(QuizDraft{}));
    DraftStore second(dir.path(), 104);
    QStringList bad;
    const auto orphans = second.orphans(bad);
    QCOMPARE(orphans.size(), 2);
    QCOMPARE(orphans[0].path, dir.filePath("draft-102.json"));
    QCOMPARE(orphans[0].draft.toJson(), newer.toJson());
    QVERIFY(orphans[0].draft.pictureFiles[2] == newer.pictureFiles[2]);
    QVERIFY(bad.isEmpty());

    DraftStore::discard(orphans[0].path);
    QCOMPARE(second.orphans(bad).first().path, dir.filePath("draft-101.json"));
    DraftStore::discard(dir.filePath("draft-101.json"));
    // What is left is the running program's own draft, which is never offered.
    QVERIFY(second.orphans(bad).isEmpty());
    QVERIFY(QFile::exists(running.draftPath()));
    running.remove();
    QVERIFY(!QFile::exists(running.draftPath()));
}

void TestDraftStore::brokenDraftRenamedAside()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("draft-7.json"), "{\"format\": 1, \"quizSlots\": ["));
    QStringList bad;
    QVERIFY(DraftStore(dir.path(), 8).orphans(bad).isEmpty());
    QCOMPARE(bad, QStringList{dir.filePath("draft-7.json.bad")});
    QVERIFY(QFile::exists(bad.first()));
    QVERIFY(DraftStore(dir.path(), 8).orphans(bad).isEmpty());
    QCOMPARE(bad.size(), 1);
}

void TestDraftStore::orphansOffered_data()
{
    QTest::addColumn<QList<bool>>("answers"); // a first Yes restores the newest
    QTest::addColumn<int>("setAside");
    QTest::newRow("three, Yes") << QList<bool>{true} << 2;
    QTest::newRow("three, No, Yes deletes all") << QList<bool>{false, true} << 0;
    QTest::newRow("three, No, No keeps all") << QList<bool>{false, false} << 3;
}

// Two questions at most; afterwards only the draft to restore is ever offered.
void TestDraftStore::orphansOffered()
{
    QFETCH(QList<bool>, answers);
    QFETCH(int, setAside);
    QTemporaryDir dir;
    for (int i = 1; i <= 3; ++i) {
        QuizDraft draft;
        draft.titleText = QString("Викторина %1").arg(i);
        saveAndCrash(dir.path(), 200 + i, draft);
        QVERIFY(setModified(dir.filePath(QString("draft-%1.json").arg(200 + i)), 3 - i));
    }
    // Set aside by an earlier start whose process had the same number: it stays.
    QVERIFY(writeFile(dir.filePath("older/draft-201.json"), "earlier"));
    ScriptedDialogs dialogs;
    dialogs.yesNoAnswers << answers;
    DraftStore store(dir.path(), 300);
    QStringList bad;
    const auto chosen = offerOrphanedDrafts(store.orphans(bad), dialogs);
    QStringList asked{"YesNo:  Внимание! |Найдены несгенерированные викторины (всего: 3). "
                      "Восстановить последнюю — «Викторина 3»?"};
    if (!answers[0])
        asked << "YesNo:  Внимание! |Удалить несгенерированные викторины (всего: 3)? [No]";
    QCOMPARE(dialogs.log, asked);
    QCOMPARE(chosen ? chosen->draft.titleText : QString(), answers[0] ? "Викторина 3" : QString());
    QCOMPARE(store.orphans(bad).size(), int(answers[0]));
    QCOMPARE(QDir(dir.filePath("older")).entryList({"draft-*.json"}).size(), setAside + 1);
    QCOMPARE(QFileInfo(dir.filePath("older/draft-201.json")).size(), 7); // still "earlier"
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
