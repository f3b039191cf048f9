// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the program finds the files it is supplied with (the decorations, instr.chm) and where it
// makes new quiz folders. Both end with a separator; paths are joined to them with another one,
// as everywhere in the program.
struct ProgramPlaces {
    QString suppliedFolder;
    QString quizzesFolder;
    // Quizzes go to QUIRVEL among the user's documents, not beside the program.
    bool quizzesInDocuments = false;
    // Where the unsaved quiz is kept against a crash; empty: nowhere.
    QString draftsFolder;

    // Everything in one folder, as in a build tree; the drafts in its drafts/.
    static ProgramPlaces inOneFolder(const QString& folder);
};

// The places of a program whose executable is in executableFolder. Beside its decorations in a
// folder it may write to (a build tree, an unpacked copy), both are that folder. Installed, with
// the decorations in ../share/quirvel, quizzes go to QUIRVEL in documentsFolder; that folder is
// not created here but together with the first quiz.
ProgramPlaces resolveProgramPlaces(const QString& executableFolder, const QString& documentsFolder);
// The same with the user's documents folder, and the drafts in the program's own data folder.
ProgramPlaces resolveProgramPlaces(const QString& executableFolder);
