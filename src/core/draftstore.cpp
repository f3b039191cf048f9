// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/draftstore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <utility>
#include <vector>

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

bool DraftStore::save(const QuizDraft& draft, std::error_code* failure)
{
    // Qt leaves errno as the failing call set it.
    auto failed = [failure] {
        if (failure)
            *failure = std::error_code(errno ? errno : EIO, std::generic_category());
        return false;
    };
    errno = 0;
    if (!QDir().mkpath(m_folder))
        return failed();
    if (!m_lock) {
        auto lock = std::make_unique<QLockFile>(lockPathOf(draftPath()));
        if (!lock->tryLock(0))
            return failed();
        m_lock = std::move(lock);
    }
    QSaveFile file(draftPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(draft.toJson()) < 0 || !file.commit())
        return failed();
    return true;
}

void DraftStore::remove()
{
    QFile::remove(draftPath());
    m_lock.reset();
}

std::optional<DraftStore::Orphan> DraftStore::newestOrphan(QStringList& renamedAside) const
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
    if (found.empty())
        return std::nullopt;
    auto newest = found.begin();
    for (auto it = found.begin(); it != found.end(); ++it)
        if (it->first > newest->first)
            newest = it;
    return newest->second;
}

void DraftStore::discard(const QString& path)
{
    QFile::remove(path);
    QFile::remove(lockPathOf(path));
}
