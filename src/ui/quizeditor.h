// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/quizdraft.h"
#include "core/quizsetup.h"
#include "jpeg/convertedpictures.h"
#include "ui/keptpictures.h"
#include "ui/slotpicturecommand.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QUndoStack>

class IDialogs;
class QLineEdit;
class SlotPanel;
class SlotStrip;
struct GeneratedQuiz;

// The quiz being edited and its display: the one QuizSetup, each slot's kept picture copies, and
// the title field, slot strip and slot panel that show them. Whatever the user or a loader
// changes is announced by changed(), which the window's unsaved-work tracking follows. What
// happens to the slots' pictures is kept in an undo history, emptied by New and every load.
class QuizEditor : public QObject
{
    Q_OBJECT
public:
    static constexpr int SlotCount = QuizSetup::SlotCount;

    // Pictures of other kinds are converted into convertedFolder.
    QuizEditor(IDialogs& dialogs, QLineEdit* titleEdit, SlotStrip* slotStrip, SlotPanel* slotPanel,
               const QString& convertedFolder, QObject* parent = nullptr);

    QuizSetup& setup() { return m_setup; }
    const QuizSetup& setup() const { return m_setup; }

    // The window's values as a draft.
    QuizDraft work() const;
    // Anything typed or any picture chosen.
    bool holdsComposition() const;

    // The first showing: slot 1 framed, every box with the placeholder.
    void showEmpty();
    // New: the texts and pictures emptied, "Один ко всем", the folder name and the picked file
    // left as they are.
    void clear();
    // Shows draft as the quiz being edited, each picture through the kept copies; returns the
    // slots whose picture has gone or changed since, which stay empty.
    QList<int> load(const QuizDraft& draft);
    // A reopened quiz folder: its texts, and its k.jpg where they can be shown; returns the slots
    // left empty.
    QList<int> loadReopened(const GeneratedQuiz& quiz);
    // The same two, keeping what went missing for nameProblems(); true when every picture came
    // back.
    bool restore(const QuizDraft& draft);
    bool reopen(const GeneratedQuiz& quiz);
    // Names, once the window has settled, the pictures the last restore or reopen left out and
    // those shown only in part.
    void nameProblems();
    // Dropped, pasted or opened pictures go into slot first and the following ones, as if each
    // slot had been clicked and the file picked, whatever their names; a picture of another kind
    // is converted into a JPEG first. first 0 means the current slot. One undo step.
    void dropPictures(const QStringList& paths, int first);
    // A picture's bytes (pasted, or dragged from a browser) into slot first (0: the current one).
    void dropPictureData(const QByteArray& data, int first);
    // Asks for a picture file of any supported kind, starting in folder, for the current slot.
    void openPictureFile(const QString& folder);
    // Puts picture back into slot k, which becomes current: undo and redo.
    void putPicture(int k, const SlotPictureCommand::Picture& picture);
    QUndoStack* history() { return &m_history; }
    const ConvertedPictures& converted() const { return m_converted; }
    // The picture files the slots and the undo history name.
    QSet<QString> picturesInUse() const;
    // Names, in one box, the pictures taken since the last call that decoded only in part: shown
    // grey below a cut, they would otherwise pass for whole ones.
    void namePartialPictures();
    // The title field's text, set by the program.
    void setTitle(const QString& text);

public slots:
    // Handlers; each shows whatever ends it early in the standard error box.
    void chooseSlot(int k);
    void choosePicture(const QString& path);
    void storeAnswer();
    void storeQuestion();
    void showStoredAnswer();

signals:
    void changed();

private:
    void titleEdited(const QString& text);
    // Whether an edit of the fields may stand; unless the input gate is open, the title and the
    // current slot's texts show as stored again.
    bool admitsEdit();
    void switchSlot(int k);
    void takeFile(const QString& path);
    // Shows the JPEG at path in the current slot and records the change in step, or as a step
    // of its own.
    void takeJpeg(const QString& path, QUndoCommand* step = nullptr);
    // The JPEG slot k takes for path: a failure is named with the slot and the file.
    QString convertedFile(int k, const QString& path) const;

    IDialogs& m_dialogs;
    QString m_problems;
    // The title as last accepted, to put back what arrives while input is held.
    QString m_title;
    QLineEdit* m_titleEdit;
    SlotStrip* m_slotStrip;
    SlotPanel* m_slotPanel;
    QuizSetup m_setup;
    KeptPictures m_keptPictures;
    ConvertedPictures m_converted;
    QUndoStack m_history;
};
