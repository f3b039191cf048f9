#include "core/quizsetup.h"

#include "core/quirvelerror.h"

#include <QCoreApplication>

TQuizSetup::TQuizSetup() = default;

void TQuizSetup::Initialise(const QString& programFolder)
{
    for (auto& slot : m_slots)
        slot = TQuizSlot{};
    CurrentFile.clear();
    ProgramFolder = programFolder;
    if (!ProgramFolder.endsWith(QLatin1Char('/')))
        ProgramFolder += QLatin1Char('/');
    FirstGeneration = true;
    CurrentSlot = 1;
}

void TQuizSetup::SelectSlot(int k)
{
    if (k < 1 || k > SlotCount)
        throw QuirvelError(QStringLiteral("Нет ячейки с номером %1").arg(k));
    CurrentSlot = k;
}

void TQuizSetup::SetPicture(const QString& path)
{
    Current().PicturePath = path;
    Current().Chosen = true;
}

void TQuizSetup::SetAnswer(const QString& text)
{
    Current().Answer = text;
}

void TQuizSetup::SetQuestion(const QString& text, bool oneForAll)
{
    if (oneForAll) {
        for (auto& slot : m_slots)
            slot.Question = text;
    } else {
        Current().Question = text;
    }
}

void TQuizSetup::Reset()
{
    for (auto& slot : m_slots) {
        slot.PicturePath.clear();
        slot.Question.clear();
        slot.Answer.clear();
        slot.Chosen = false;
    }
    CurrentSlot = 1;
    FirstGeneration = true;
}

bool TQuizSetup::IsComplete() const
{
    for (const auto& slot : m_slots)
        if (slot.PicturePath.isEmpty())
            return false;
    return true;
}

TQuizSlot& TQuizSetup::Slot(int k)
{
    if (k < 1 || k > SlotCount)
        throw QuirvelError(QStringLiteral("Нет ячейки с номером %1").arg(k));
    return m_slots[static_cast<size_t>(k - 1)];
}

const TQuizSlot& TQuizSetup::Slot(int k) const
{
    return const_cast<TQuizSetup*>(this)->Slot(k);
}

QString TQuizSetup::QuizFolder() const
{
    return ProgramFolder + QLatin1Char('/') + FolderName;
}

QString ApplicationProgramFolder()
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}
