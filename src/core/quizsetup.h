// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/programplaces.h"
#include "core/quizslot.h"

#include <QString>
#include <array>

// The one quiz being edited. Slots are numbered 1 to 6 in every operation.
class QuizSetup
{
public:
    static constexpr int SlotCount = 6;

    QuizSetup();
    // Start values taken when the main window is created.
    void initialise(const ProgramPlaces& places);
    // Both places in one folder, as in a build tree.
    void initialise(const QString& folder) { initialise(ProgramPlaces::inOneFolder(folder)); }

    void selectSlot(int k);
    void setPicture(const QString& path);
    void setAnswer(const QString& text);
    void setQuestion(const QString& text, bool oneForAll);
    void reset();
    bool isComplete() const;
    // The case-sensitive test of a picked file's extension: only ".jpg" and ".JPG" pass.
    static bool takesPictureFile(const QString& path);

    QuizSlot& slot(int k);
    const QuizSlot& slot(int k) const;
    QuizSlot& current() { return slot(currentSlot); }
    const QuizSlot& current() const { return slot(currentSlot); }

    // quizzesFolder + "/" + folderName: the doubled separator is kept on purpose, as everywhere.
    QString quizFolder() const;

    QString title;
    QString folderName;
    bool firstGeneration = true;
    int currentSlot = 1;
    QString currentFile;
    // Where new quiz folders are made and where the decorations and the help file are.
    QString quizzesFolder;
    QString suppliedFolder;

private:
    std::array<QuizSlot, SlotCount> m_slots;
};
