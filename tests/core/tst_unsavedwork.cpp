// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/draftstore.h"
#include "core/unsavedwork.h"
#include "testfiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// What the window holds against its quiz folder, and the draft that follows it.
class TestUnsavedWork : public QObject
{
    Q_OBJECT
private slots:
    void heldFolderFollowsTheWork_data();
    void heldFolderFollowsTheWork();
    void failedDraftSaidOnce();
};

void TestUnsavedWork::heldFolderFollowsTheWork_data()
{
    QTest::addColumn<QString>("steps"); // g: generated, e: edited, b: edited back, f: forgotten
    QTest::addColumn<bool>("held");
    QTest::addColumn<bool>("unsaved");
    QTest::newRow("empty") << "" << false << false;
    QTest::newRow("typed") << "e" << false << true;
    QTest::newRow("generated") << "eg" << true << false;
    QTest::newRow("edited after") << "ege" << false << true;
    QTest::newRow("edited back") << "egeb" << true << false;
    QTest::newRow("reopened with a gone picture") << "egf" << false << true;
}

void TestUnsavedWork::heldFolderFollowsTheWork()
{
    QFETCH(QString, steps);
    QFETCH(bool, held);
    QFETCH(bool, unsaved);
    QTemporaryDir dir;
    QuizDraft work;
    auto* store = new DraftStore(dir.filePath("drafts"), 4242);
    UnsavedWork tracker([&] { return work; }, std::unique_ptr<DraftStore>(store));
    for (QChar step : steps) {
        if (step == 'e')
            work.quizSlots[1].answer += "Кот";
        else if (step == 'b')
            work.quizSlots[1].answer.chop(3);
        else if (step == 'g')
            tracker.saved(dir.path(), work);
        else
            tracker.forget();
        // The position in the quiz is not the work.
        work.currentSlot = 1 + steps.size() % 6;
        tracker.noteChange();
    }
    QCOMPARE(tracker.heldFolder(), held ? dir.path() : QString());
    QCOMPARE(tracker.holdsUnsavedWork(), unsaved);
    QTRY_COMPARE(QFile::exists(store->draftPath()), unsaved);
}

void TestUnsavedWork::failedDraftSaidOnce()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("blocked"), "a file where the drafts folder should be"));
    QuizDraft work;
    work.titleText = "Звери";
    UnsavedWork tracker([&] { return work; },
                        std::make_unique<DraftStore>(dir.filePath("blocked/drafts"), 4242));
    QSignalSpy said(&tracker, &UnsavedWork::draftFailed);
    tracker.writeDraft();
    tracker.writeDraft();
    QCOMPARE(said.size(), 1);
    QVERIFY(!said.first().first().toString().isEmpty());
    QVERIFY(QFile::remove(dir.filePath("blocked")));
    tracker.writeDraft(); // written: a later failure is said again
    QVERIFY(QFile::exists(dir.filePath("blocked/drafts/draft-4242.json")));
    QVERIFY(QDir(dir.filePath("blocked")).removeRecursively());
    QVERIFY(writeFile(dir.filePath("blocked"), "again"));
    tracker.writeDraft();
    QCOMPARE(said.size(), 2);
}

QTEST_MAIN(TestUnsavedWork)
#include "tst_unsavedwork.moc"
