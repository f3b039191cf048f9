// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QWidget>

#include <array>

class PictureBox;
class QCheckBox;
class QImage;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class Rule;
struct QuizSlot;

// The boxed area of the current slot: its number, question, the one-for-all box, the large
// preview and the answer. What the user types is reported by signal; the window stores it.
class SlotPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize PreviewSize{249, 169};

    explicit SlotPanel(QWidget* parent = nullptr);

    // Shows slot k's number and texts (the preview is set apart, as it may fail to decode).
    // With quietly, the fields change without reporting it, so nothing is stored back.
    void showSlot(int k, const QuizSlot& slot, bool quietly = false);
    // picture stretched to the preview's size, so painting never rescales a large one.
    void setPreview(const QImage& picture);
    // The placeholder, as the slot has no picture.
    void clearPreview();
    // Sets the answer field, reporting the change if there is one.
    void showAnswer(const QString& crlfText);
    QString question() const;
    bool oneForAll() const;
    void setOneForAll(bool on);
    // The answer field's text as stored, with CR LF line breaks.
    QString storedAnswer() const;
    // The focus stops.
    QLineEdit* questionEdit() const { return m_questionEdit; }
    QPlainTextEdit* answerEdit() const { return m_answerEdit; }
    QCheckBox* oneForAllCheck() const { return m_oneForAllCheck; }

signals:
    void questionEdited();
    void answerEdited();
    // A left click in the answer field.
    void answerClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Names the fields and the preview after slot k.
    void nameFields(int k);

    // Top, bottom, left and right edge of the box.
    std::array<Rule*, 4> m_slotFrames{};
    QLabel* m_slotAreaCaption = nullptr;
    QLabel* m_slotNumberLabel = nullptr;
    QLineEdit* m_questionEdit = nullptr;
    QCheckBox* m_oneForAllCheck = nullptr;
    QLabel* m_textsCaption = nullptr;
    PictureBox* m_preview = nullptr;
    QPlainTextEdit* m_answerEdit = nullptr;
};
