// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/slotpicturecommand.h"

#include "ui/quizeditor.h"

SlotPictureCommand::SlotPictureCommand(QuizEditor* editor, int slot, const Picture& before,
                                       const Picture& after, QUndoCommand* parent)
    : QUndoCommand(QStringLiteral("Картинка %1").arg(slot), parent), m_editor(editor), m_slot(slot),
      m_before(before), m_after(after)
{
}

void SlotPictureCommand::undo()
{
    m_done = false;
    m_editor->putPicture(m_slot, m_before);
}

void SlotPictureCommand::redo()
{
    if (std::exchange(m_done, true))
        return;
    m_editor->putPicture(m_slot, m_after);
}
