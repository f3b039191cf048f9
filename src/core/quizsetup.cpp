// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizsetup.h"

#include "core/quirvelerror.h"

QuizSetup::QuizSetup() = default;

void QuizSetup::initialise(const ProgramPlaces& places)
{
    for (auto& slot : m_slots)
        slot = QuizSlot{};
    currentFile.clear();
    quizzesFolder = places.quizzesFolder;
    suppliedFolder = places.suppliedFolder;
    for (QString* folder : {&quizzesFolder, &suppliedFolder})
        if (!folder->endsWith(QLatin1Char('/')))
            *folder += QLatin1Char('/');
    firstGeneration = true;
    currentSlot = 1;
}

void QuizSetup::selectSlot(int k)
{
    if (k < 1 || k > SlotCount)
        throw QuirvelError(QStringLiteral("Нет ячейки с номером %1").arg(k));
    currentSlot = k;
}

void QuizSetup::setPicture(const QString& path)
{
    current().picturePath = path;
    current().chosen = true;
}

void QuizSetup::setAnswer(const QString& text)
{
    current().answer = text;
}

void QuizSetup::setQuestion(const QString& text, bool oneForAll)
{
    if (oneForAll) {
        for (auto& slot : m_slots)
            slot.question = text;
    } else {
        current().question = text;
    }
}

void QuizSetup::reset()
{
    for (auto& slot : m_slots) {
        slot.picturePath.clear();
        slot.question.clear();
        slot.answer.clear();
        slot.chosen = false;
    }
    currentSlot = 1;
    firstGeneration = true;
}

bool QuizSetup::isComplete() const
{
    for (const auto& slot : m_slots)
        if (slot.picturePath.isEmpty())
            return false;
    return true;
}

bool QuizSetup::takesPictureFile(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString ext = name.mid(dot);
    return ext == QLatin1String(".jpg") || ext == QLatin1String(".JPG");
}

QuizSlot& QuizSetup::slot(int k)
{
    if (k < 1 || k > SlotCount)
        throw QuirvelError(QStringLiteral("Нет ячейки с номером %1").arg(k));
    return m_slots[static_cast<size_t>(k - 1)];
}

const QuizSlot& QuizSetup::slot(int k) const
{
    return const_cast<QuizSetup*>(this)->slot(k);
}

QString QuizSetup::quizFolder() const
{
    return quizzesFolder + QLatin1Char('/') + folderName;
}
