// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ishell.h"
#include "core/quizfolderlock.h"
#include "core/quizsetup.h"
#include "core/shuffle.h"

#include <QStringList>

#include <memory>

class QTemporaryDir;

// The supplied images every quiz page uses, in the order they are copied.
extern const QStringList DecorationNames;

// A quiz folder given a new quiz: slot k's picture as k.jpg for every slot, the decorations and
// the page as start.htm, whole or not at all. Everything is staged in a hidden folder inside the
// quiz folder first and only then renamed over the old files (see quizrecovery.h), so that even a
// killed process leaves a state the recovery turns into the old quiz or the new one. It holds the
// folder's lock from its construction to its end, through the recovery, the staging and the
// commit, so that no other writer (a second window, a tool) changes the folder meanwhile. It opens
// no box: each step returns the texts of what went wrong, for its caller to show one box each, in
// order; every text names the file and the reason.
class QuizFolder
{
public:
    QuizFolder(const QuizSetup& setup, IShell& shell);
    ~QuizFolder();

    // False while another writer holds the folder; then stage() throws QuirvelError.
    bool isLocked() const { return m_lock.isHeld(); }
    // Finishes or undoes what an interrupted generation left there (recoverQuizFolder).
    void recover();

    // Copies the pictures and decorations and writes the page into the staging folder, then marks
    // it for the commit. Each picture that cannot be copied has its text (a full disk ends the
    // pictures at its first); a decoration missing from the supplied files has its text and leaves
    // the old copy; the first decoration that cannot be staged, or a mark that cannot be made, has
    // one text and ends the staging. A page that cannot be written throws QuirvelError. The quiz
    // folder is untouched either way.
    // The texts are added to problems as they arise, so that those before a throw are kept.
    void stage(const AnswerOrder& order, QStringList& problems);
    bool isStaged() const { return m_staged; }
    // Puts the staged quiz in place of the old one. A file that cannot be replaced undoes what was
    // placed, and only then is its text returned: a kill while it is shown must not bring the new
    // quiz back. An old file that will not go afterwards only has its text, the quiz placed.
    QString commit();
    bool isPlaced() const { return m_placed; }

private:
    // stagingError: why the staging folder could not be made, every picture's reason then.
    bool stagePictures(std::error_code stagingError, QStringList& problems);
    bool stageDecorations(QStringList& problems);
    bool stagePage(const AnswerOrder& order);
    bool markForCommit(QStringList& problems);
    // What cannot go back now waits for the next recovery rather than being lost.
    void undo();
    QString stagedPath(const QString& name) const;

    const QuizSetup& m_setup;
    IShell& m_shell;
    const QuizFolderLock m_lock;
    QString m_folderLabel;
    std::unique_ptr<QTemporaryDir> m_staging;
    QString m_newFolder;
    // The staged names, in the order they are placed.
    QStringList m_names;
    bool m_staged = false;
    bool m_placed = false;
};
