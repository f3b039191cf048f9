// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QUndoCommand>

class QuizEditor;

// One change of one slot's picture, for the window's undo history. It is pushed once the change
// has been made, so its first redo does nothing.
class SlotPictureCommand : public QUndoCommand
{
public:
    struct Picture {
        QString path;
        bool chosen = false;
        bool operator==(const Picture&) const = default;
    };

    SlotPictureCommand(QuizEditor* editor, int slot, const Picture& before, const Picture& after,
                       QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;
    // The picture files the command may put back.
    QStringList paths() const { return {m_before.path, m_after.path}; }

private:
    QuizEditor* m_editor;
    int m_slot;
    Picture m_before;
    Picture m_after;
    bool m_done = true;
};
