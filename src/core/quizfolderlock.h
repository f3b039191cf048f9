// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLockFile>
#include <QString>

// The lock of one quiz folder: while an object holds it, no other writer, in this process or
// another, changes the folder. One whose lock cannot even be made (a read-only parent) has no
// other writer to keep out either, and counts as held.
class QuizFolderLock
{
public:
    explicit QuizFolderLock(const QString& quizFolder);

    bool isHeld() const { return m_held; }
    // ".quirvel-<SHA-1 of its name>.lock" in the folder that holds quizFolder.
    static QString path(const QString& quizFolder);

private:
    QLockFile m_file;
    bool m_held;
};
