// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/draftstore.h"

#include "core/errorreason.h"
#include "core/filecopy.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include <unistd.h>

namespace
{

QString lockPathOf(const QString& draftPath)
{
    return draftPath.left(draftPath.size() - int(qstrlen(".json"))) + QStringLiteral(".lock");
}

} // namespace

DraftStore::DraftStore(const QString& folder, qint64 processId)
    : m_folder(folder), m_processId(processId)
{
}

DraftStore::~DraftStore() = default;

QString DraftStore::draftPath() const
{
    return QDir(m_folder).filePath(QStringLiteral("draft-%1.json").arg(m_processId));
}

std::error_code DraftStore::save(const QuizDraft& draft)
{
    // Qt leaves errno as the failing call set it.
    errno = 0;
    if (!QDir().mkpath(m_folder))
        return lastSystemError();
    if (!m_lock) {
        auto lock = std::make_unique<QLockFile>(lockPathOf(draftPath()));
        if (!lock->tryLock(0))
            return lastSystemError();
        m_lock = std::move(lock);
    }
    QSaveFile file(draftPath());
    // commit() ignores a failed sync, which would leave a draft that a power cut can empty.
    if (!file.open(QIODevice::WriteOnly) || file.write(draft.toJson()) < 0 || !file.flush() ||
        ::fdatasync(file.handle()) != 0 || !file.commit())
        return lastSystemError();
    return syncToDisk(m_folder);
}

void DraftStore::remove()
{
    QFile::remove(draftPath());
    m_lock.reset();
}

QList<DraftStore::Orphan> DraftStore::orphans(QStringList& renamedAside) const
{
    QDir dir(m_folder);
    std::vector<std::pair<QDateTime, Orphan>> found;
    const QFileInfoList drafts = dir.entryInfoList({QStringLiteral("draft-*.json")}, QDir::Files);
    for (const QFileInfo& info : drafts) {
        const QString path = info.absoluteFilePath();
        if (path == QFileInfo(draftPath()).absoluteFilePath())
            continue;
        // A lock we can take belongs to no running program: Qt treats a lock whose process has
        // gone as stale.
        QLockFile lock(lockPathOf(path));
        if (!lock.tryLock(0))
            continue;
        QFile file(path);
        std::optional<QuizDraft> draft;
        if (file.open(QIODevice::ReadOnly))
            draft = QuizDraft::fromJson(file.readAll());
        file.close();
        if (!draft) {
            const QString aside = path + QStringLiteral(".bad");
            QFile::remove(aside);
            if (QFile::rename(path, aside))
                renamedAside << aside;
            continue;
        }
        found.push_back({info.lastModified(), Orphan{path, *draft}});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<Orphan> newestFirst;
    for (auto& [time, orphan] : found)
        newestFirst << std::move(orphan);
    return newestFirst;
}

std::optional<QStringList> DraftStore::picturesOfDrafts() const
{
    const QDir dir(m_folder);
    const QString own = QFileInfo(draftPath()).absoluteFilePath();
    QFileInfoList drafts = dir.entryInfoList({QStringLiteral("draft-*.json")}, QDir::Files);
    for (const QFileInfo& info : std::as_const(drafts))
        if (info.absoluteFilePath() != own && !QLockFile(lockPathOf(info.filePath())).tryLock(0))
            return std::nullopt;
    drafts << QDir(dir.filePath(QStringLiteral("older")))
                  .entryInfoList({QStringLiteral("*.json")}, QDir::Files);
    QStringList pictures;
    for (const QFileInfo& info : std::as_const(drafts)) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (const std::optional<QuizDraft> draft = QuizDraft::fromJson(file.readAll()))
            for (const QuizDraft::Slot& slot : draft->quizSlots)
                pictures << slot.picturePath;
    }
    return pictures;
}

void DraftStore::discard(const QString& path)
{
    QFile::remove(path);
    QFile::remove(lockPathOf(path));
}

void DraftStore::setAside(const QString& path)
{
    const QFileInfo draft(path);
    const QDir older(draft.dir().filePath(QStringLiteral("older")));
    QDir().mkpath(older.path());
    // Process numbers come round again: an earlier draft of the same name stays.
    QString target = older.filePath(draft.fileName());
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = older.filePath(draft.completeBaseName() + QStringLiteral("-%1.json").arg(n));
    if (QFile::rename(path, target))
        QFile::remove(lockPathOf(path));
}
