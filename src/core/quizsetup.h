#pragma once

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
    void initialise(const QString& programFolder);

    void selectSlot(int k);
    void setPicture(const QString& path);
    void setAnswer(const QString& text);
    void setQuestion(const QString& text, bool oneForAll);
    void reset();
    bool isComplete() const;

    QuizSlot& slot(int k);
    const QuizSlot& slot(int k) const;
    QuizSlot& current() { return slot(currentSlot); }
    const QuizSlot& current() const { return slot(currentSlot); }

    // programFolder + "/" + folderName: the doubled separator is kept on purpose, as everywhere.
    QString quizFolder() const;

    QString title;
    QString folderName;
    bool firstGeneration = true;
    int currentSlot = 1;
    QString currentFile;
    QString programFolder;

private:
    std::array<QuizSlot, SlotCount> m_slots;
};

// The folder of the running executable with its trailing separator.
QString applicationProgramFolder();
