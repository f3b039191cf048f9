// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quizdraft.h"

#include <QCoreApplication>
#include <QList>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <system_error>

// The drafts folder: each running program keeps its unsaved quiz in draft-<pid>.json, guarded by
// draft-<pid>.lock for as long as it runs, so that after a crash the next start can tell a
// forsaken draft from one that another window is still writing.
class DraftStore
{
public:
    struct Orphan {
        QString path;
        QuizDraft draft;
    };

    explicit DraftStore(const QString& folder,
                        qint64 processId = QCoreApplication::applicationPid());
    ~DraftStore();

    QString folder() const { return m_folder; }
    QString draftPath() const;

    // Whole or not at all; the reason when it could not be written.
    [[nodiscard]] std::error_code save(const QuizDraft& draft);
    // Deletes this program's draft, if any.
    void remove();

    // The drafts whose programs no longer run, newest first. A draft that can't be read is
    // renamed aside (".bad") and its new path added to renamedAside, never deleted.
    QList<Orphan> orphans(QStringList& renamedAside) const;
    // The picture files every draft here names, those set aside included; nothing while another
    // program runs, whose window may hold pictures no draft names yet.
    std::optional<QStringList> picturesOfDrafts() const;
    // Deletes a draft found by orphans(), with its lock file.
    static void discard(const QString& path);
    // Moves a draft found by orphans() into the folder's "older" folder, where it is kept but
    // never offered again.
    static void setAside(const QString& path);

private:
    QString m_folder;
    qint64 m_processId;
    std::unique_ptr<QLockFile> m_lock;
};
