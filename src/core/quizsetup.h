#pragma once

#include <QString>
#include <array>

// One picture of the quiz with its two texts. Texts are kept exactly as typed; an answer's
// line breaks are CR LF pairs so that they reach the page as physical lines.
struct TQuizSlot {
    QString PicturePath;
    bool Chosen = false;
    QString Question;
    QString Answer;
    QString Extension = QStringLiteral("jpg");
};

// The one quiz being edited. Slots are numbered 1 to 6 in every operation.
class TQuizSetup
{
public:
    static constexpr int SlotCount = 6;

    TQuizSetup();
    // Start values taken when the main window is created.
    void Initialise(const QString& programFolder);

    void SelectSlot(int k);
    void SetPicture(const QString& path);
    void SetAnswer(const QString& text);
    void SetQuestion(const QString& text, bool oneForAll);
    void Reset();
    bool IsComplete() const;

    TQuizSlot& Slot(int k);
    const TQuizSlot& Slot(int k) const;
    TQuizSlot& Current() { return Slot(CurrentSlot); }
    const TQuizSlot& Current() const { return Slot(CurrentSlot); }

    // ProgramFolder + "/" + FolderName: the doubled separator is kept on purpose, as everywhere.
    QString QuizFolder() const;

    QString Title;
    QString FolderName;
    bool FirstGeneration = true;
    int CurrentSlot = 1;
    QString CurrentFile;
    QString ProgramFolder;

private:
    std::array<TQuizSlot, SlotCount> m_slots;
};

// The folder of the running executable with its trailing separator.
QString ApplicationProgramFolder();
