// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizrecovery.h"

#include "core/errorreason.h"
#include "core/filecopy.h"
#include "core/pagetemplate.h"
#include "core/quirvelerror.h"
#include "core/quizsetup.h"
#include "core/texts.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

namespace
{

// A staged file and the name it takes in the quiz folder.
struct Staged {
    QString path;
    QString name;
};

QString joined(const QString& folder, const QString& name)
{
    return folder + QLatin1Char('/') + name;
}

FileFailure placeAll(const QString& quizFolder, const QString& staging, const QList<Staged>& files,
                     IShell& shell)
{
    const QString kept = joined(staging, QuizStaging::KeptFolder);
    for (const Staged& file : files) {
        if (!anythingAt(file.path))
            continue; // placed already
        const QString target = joined(quizFolder, file.name);
        const QString keptFile = joined(kept, file.name);
        if (anythingAt(target) && !anythingAt(keptFile)) {
            errno = 0;
            if (!QDir().mkpath(kept))
                return {kept, lastSystemError()};
            if (const auto error = shell.renameFile(target, keptFile))
                return {target, error};
        }
        if (const auto error = shell.renameFile(file.path, target))
            return {target, error};
    }
    // Before anything that makes the staging folder go.
    if (const auto error = shell.syncToDisk(quizFolder))
        return {quizFolder, error};
    return {};
}

QStringList readMarker(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// What today's placement left before it had markers: the slots' copies in 1/ … 6/ and the page
// beside them, complete once kept/ exists. Finishing the placement gives the whole new quiz.
FileFailure finishUnmarked(const QString& quizFolder, const QString& staging, IShell& shell)
{
    QList<Staged> files;
    for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
        const QStringList inSlot = QDir(joined(staging, QString::number(k)))
                                       .entryList(QDir::Files | QDir::Hidden | QDir::System);
        if (inSlot.size() == 1)
            files.append({joined(joined(staging, QString::number(k)), inSlot.first()),
                          QString::number(k) + QStringLiteral(".jpg")});
    }
    files.append({joined(staging, StartPageName), StartPageName});
    return placeAll(quizFolder, staging, files, shell);
}

FileFailure recoverStaging(const QString& quizFolder, const QString& staging, IShell& shell)
{
    using namespace QuizStaging;
    const bool committed = anythingAt(joined(staging, CommitMarker));
    const bool rolledBack = anythingAt(joined(staging, RollbackMarker));
    FileFailure failure;
    if (committed || rolledBack) {
        // An older version wrote an empty rollback marker beside the commit marker's names.
        const QStringList names =
            readMarker(joined(staging, committed ? CommitMarker : RollbackMarker));
        // The marker must outlast a power cut before anything moves by it.
        if (const auto error = shell.syncToDisk(staging))
            failure = {staging, error};
        else
            failure = rolledBack ? rollBack(quizFolder, staging, names, shell)
                                 : rollForward(quizFolder, staging, names, shell);
    } else if (!anythingAt(joined(staging, NewFolder)) &&
               !anythingAt(joined(staging, RollbackMarker)) &&
               QFileInfo(joined(staging, KeptFolder)).isDir()) {
        failure = finishUnmarked(quizFolder, staging, shell);
    }
    return failure ? failure : removeStaging(staging, shell);
}

// What interrupted generations left in quizFolder: staging folders and copies.
QFileInfoList leftOf(const QString& quizFolder)
{
    return QDir(quizFolder)
        .entryInfoList({QuizStaging::Prefix + QLatin1Char('*')},
                       QDir::AllEntries | QDir::Hidden | QDir::System);
}

} // namespace

namespace QuizStaging
{

FileFailure writeMarker(const QString& staging, const QString& marker, const QStringList& names,
                        IShell& shell)
{
    const QString part = joined(staging, marker + QStringLiteral(".part"));
    QFile file(part);
    errno = 0;
    const QByteArray bytes = names.join(QLatin1Char('\n')).toUtf8() + '\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        return {part, lastSystemError()};
    file.close();
    // The marker's bytes and every name it vouches for outlast a power cut before it appears; it
    // is synced again once it stands, before anything moves by it.
    for (const QString& path : {part, staging})
        if (const auto error = shell.syncToDisk(path))
            return {path, error};
    if (const auto error = shell.renameFile(part, joined(staging, marker)))
        return {part, error};
    if (const auto error = shell.syncToDisk(staging))
        return {staging, error};
    return {};
}

FileFailure markRollback(const QString& staging, IShell& shell)
{
    // A rename needs no space, where a new marker would not fit on a full disk.
    const QString commit = joined(staging, CommitMarker);
    if (const auto error = shell.renameFile(commit, joined(staging, RollbackMarker)))
        return {commit, error};
    if (const auto error = shell.syncToDisk(staging))
        return {staging, error};
    return {};
}

FileFailure rollForward(const QString& quizFolder, const QString& staging, const QStringList& names,
                        IShell& shell)
{
    QList<Staged> files;
    for (const QString& name : names)
        files.append({joined(joined(staging, NewFolder), name), name});
    return placeAll(quizFolder, staging, files, shell);
}

FileFailure rollBack(const QString& quizFolder, const QString& staging, const QStringList& names,
                     IShell& shell)
{
    // A new file goes back to new/ rather than away, so that repeating this after an interruption
    // can tell a placed new file from an old one already back.
    for (auto name = names.crbegin(); name != names.crend(); ++name) {
        const QString target = joined(quizFolder, *name);
        const QString fresh = joined(joined(staging, NewFolder), *name);
        const QString kept = joined(joined(staging, KeptFolder), *name);
        if (!anythingAt(fresh) && anythingAt(target))
            if (const auto error = shell.renameFile(target, fresh))
                return {target, error};
        if (anythingAt(kept))
            if (const auto error = shell.renameFile(kept, target))
                return {target, error};
    }
    if (const auto error = shell.syncToDisk(quizFolder))
        return {quizFolder, error};
    return {};
}

FileFailure removeStaging(const QString& staging, IShell& shell)
{
    const QString commit = joined(staging, CommitMarker);
    const QString rollback = joined(staging, RollbackMarker);
    // After a rollback the markers go first, and for good: a commit marker alone would mean "place
    // them", and a rollback marker beside a half-emptied new/ would move old files there.
    if (anythingAt(rollback)) {
        for (const QString& marker : {commit, rollback})
            if (anythingAt(marker))
                if (const auto error = shell.removeFile(marker))
                    return {marker, error};
        if (const auto error = shell.syncToDisk(staging))
            return {staging, error};
    }
    QStringList folders;
    QDirIterator it(staging, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir() && !info.isSymLink())
            folders << path;
        else if (path != commit)
            if (const auto error = shell.removeFile(path))
                return {path, error};
    }
    if (anythingAt(commit))
        if (const auto error = shell.removeFile(commit))
            return {commit, error};
    // Deepest first.
    std::sort(folders.begin(), folders.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    folders << staging;
    for (const QString& folder : folders) {
        errno = 0;
        if (!QDir().rmdir(folder))
            return {folder, lastSystemError()};
    }
    return {};
}

} // namespace QuizStaging

void recoverQuizFolder(const QString& quizFolder, IShell& shell)
{
    // Most folders hold nothing to recover, and no lock file appears beside them.
    if (leftOf(quizFolder).isEmpty())
        return;
    if (const QuizFolderLock lock(quizFolder); lock.isHeld())
        recoverQuizFolder(quizFolder, shell, lock);
}

void recoverQuizFolder(const QString& quizFolder, IShell& shell, const QuizFolderLock& lock)
{
    Q_ASSERT(lock.isHeld());
    for (const QFileInfo& entry : leftOf(quizFolder)) {
        const QString path = entry.filePath();
        FileFailure failure;
        if (entry.isDir() && !entry.isSymLink()) {
            if (!entry.fileName().startsWith(QuizStaging::CopyPrefix))
                failure = recoverStaging(quizFolder, path, shell);
        } else if (entry.fileName().startsWith(QuizStaging::CopyPrefix)) {
            failure = {path, shell.removeFile(path)};
        }
        if (failure)
            throw QuirvelError(withReason(CoreText::RecoveryFailed,
                                          QStringLiteral("Папка ") + quizFolder, failure.error));
    }
}

QStringList recoverQuizFolders(const QString& quizzesFolder, IShell& shell)
{
    QStringList problems;
    const QFileInfoList folders =
        QDir(quizzesFolder)
            .entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& folder : folders) {
        try {
            recoverQuizFolder(folder.filePath(), shell);
        } catch (const QuirvelError& e) {
            problems << e.text();
        }
    }
    return problems;
}
