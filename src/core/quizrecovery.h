// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ishell.h"
#include "core/quizfolderlock.h"

#include <QString>
#include <QStringList>
#include <system_error>

// How a new quiz replaces the old one inside its folder, and how what a killed generation left
// there is finished or undone.
//
// The new files are staged under their final names in <quiz>/.quirvel-XXXXXX/new/. The rename
// that creates the marker `commit` (listing the names, in the order they are placed) is the
// point of no return: from there on each old file is moved to kept/ and the new one put in its
// place. A failure after it renames the marker to `rollback` and puts the old files back. So a
// staging folder found later always says what to do: no marker, throw it away; `commit`, finish
// placing; `rollback`, finish putting back. Every step is synced to disk before the next one
// depends on it, so that this holds after a power cut too.

// A file operation that failed, and the file it failed on.
struct FileFailure {
    QString path;
    std::error_code error;
    explicit operator bool() const { return bool(error); }
};

namespace QuizStaging
{
inline const QString Prefix = QStringLiteral(".quirvel-");
inline const QString CopyPrefix = QStringLiteral(".quirvel-copy-");
inline const QString NewFolder = QStringLiteral("new");
inline const QString KeptFolder = QStringLiteral("kept");
inline const QString CommitMarker = QStringLiteral("commit");
inline const QString RollbackMarker = QStringLiteral("rollback");

// Makes a marker whole or not at all (written beside it, then renamed), synced with the staging
// folder before and after.
FileFailure writeMarker(const QString& staging, const QString& marker, const QStringList& names,
                        IShell& shell);
// Places every staged file still waiting in new/, old ones moved to kept/ first; then syncs the
// quiz folder.
FileFailure rollForward(const QString& quizFolder, const QString& staging, const QStringList& names,
                        IShell& shell);
// Turns the commit marker into the rollback marker.
FileFailure markRollback(const QString& staging, IShell& shell);
// Puts the kept old files back and the placed new ones into new/, last name first; then syncs the
// quiz folder.
FileFailure rollBack(const QString& quizFolder, const QString& staging, const QStringList& names,
                     IShell& shell);
// Deletes the staging folder, its deciding marker last (after a rollback, first).
FileFailure removeStaging(const QString& staging, IShell& shell);
} // namespace QuizStaging

// Finishes or undoes what an interrupted generation left in quizFolder, so that it holds a whole
// quiz, and removes the staging folders and copies it left. A folder another window is writing
// is left alone. One that cannot be repaired throws QuirvelError naming the folder and the reason.
void recoverQuizFolder(const QString& quizFolder, IShell& shell);
// The same under the folder's lock, which the caller holds and goes on holding.
void recoverQuizFolder(const QString& quizFolder, IShell& shell, const QuizFolderLock& lock);

// recoverQuizFolder for every folder directly below quizzesFolder, going on past those it could
// not repair: their texts, for the start-up to show once.
QStringList recoverQuizFolders(const QString& quizzesFolder, IShell& shell);
