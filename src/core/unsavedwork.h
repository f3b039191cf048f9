// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/draftstore.h"
#include "core/quizdraft.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class IDialogs;
class QTimer;

// What the window holds that its quiz folder does not, after Qt's maybeSave/setCurrentFile: the
// folder last generated or reopened with the work it then held, and, while the work differs from
// it, a draft on disk so a crash loses nothing. Drafts are written at most a few times a second.
class UnsavedWork : public QObject
{
    Q_OBJECT
public:
    using WorkSource = std::function<QuizDraft()>;
    static constexpr int DraftDelayMilliseconds = 300;

    // work reads the window's current values; drafts may be null (no drafts folder).
    UnsavedWork(WorkSource work, std::unique_ptr<DraftStore> drafts, QObject* parent = nullptr);
    ~UnsavedWork() override;

    // The folder last generated or reopened, while the work is still exactly what went into it.
    QString heldFolder() const;
    bool holdsUnsavedWork() const;
    const DraftStore* drafts() const { return m_drafts.get(); }
    // Offers the drafts of programs that have gone, after naming those that could not be read;
    // returns the one to restore, still on disk until it is shown.
    std::optional<DraftStore::Orphan> offerOrphans(IDialogs& dialogs);

public slots:
    // The work changed; the draft follows after the delay.
    void noteChange();
    // folder now holds work (a generation or a reopen); the draft goes.
    void saved(const QString& folder, const QuizDraft& work);
    // No folder holds the work any longer (New, a failed generation, a partial reopen); the draft
    // follows at once.
    void forget();
    // Writes the draft now while there is unsaved work, deletes it otherwise.
    void writeDraft();
    // The work is given up or kept elsewhere: no draft, and none until the next change.
    void discardDraft();

signals:
    // A draft could not be written; said once until a write succeeds again.
    void draftFailed(const QString& reason);

private:
    WorkSource m_work;
    std::unique_ptr<DraftStore> m_drafts;
    QTimer* m_timer = nullptr;
    QString m_folder;
    QuizDraft m_folderWork;
    bool m_failureSaid = false;
};
