// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/slotpanel.h"

#include "core/quizslot.h"
#include "ui/fonts.h"
#include "ui/picturebox.h"
#include "ui/plainpasteedit.h"
#include "ui/rule.h"
#include "ui/slotstrip.h"
#include "ui/textfields.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSignalBlocker>

#include <limits>

namespace
{

// Places relative to the panel, whose corner is the box's top-left corner. A label sized to its
// text keeps only the top-left corner of its rectangle.
constexpr QRect SlotFrames[] = {{0, 0, 569, 1}, {0, 240, 569, 1}, {0, 0, 1, 241}, {568, 0, 1, 241}};
constexpr QRect SlotAreaCaption(104, 0, 319, 20);
constexpr QRect SlotNumber(16, 8, 41, 33);
constexpr QRect QuestionEdit(64, 24, 201, 24);
constexpr QRect OneForAll(280, 24, 97, 17);
constexpr QRect TextsCaption(280, 40, 286, 16);
constexpr QRect Preview(QPoint(16, 56), SlotPanel::PreviewSize);
constexpr QRect AnswerEdit(288, 64, 265, 153);

QString slotNumberText(int k)
{
    return QStringLiteral("N%1").arg(k);
}

} // namespace

SlotPanel::SlotPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("slotPanel"));
    const QFont windowFont = font();
    for (size_t i = 0; i < m_slotFrames.size(); ++i)
        m_slotFrames[i] =
            Fonts::placed(new Rule(this), QStringLiteral("slotFrame%1").arg(i + 1), SlotFrames[i]);

    m_slotAreaCaption =
        Fonts::label(this, "slotAreaCaption", QStringLiteral("Картинка и описание  - соответствие"),
                     SlotAreaCaption);
    m_slotAreaCaption->setFont(Fonts::pixelFont(windowFont, 16, true));
    m_slotAreaCaption->setAutoFillBackground(true);
    Fonts::setTextColour(m_slotAreaCaption, QColor(0, 0, 128));
    Fonts::sizeToText(m_slotAreaCaption);
    m_slotNumberLabel = Fonts::label(this, "slotNumberLabel", slotNumberText(1), SlotNumber);
    m_slotNumberLabel->setFont(Fonts::pixelFont(windowFont, 24, true));

    m_questionEdit = Fonts::placed(new QLineEdit(this), "questionEdit", QuestionEdit);
    m_questionEdit->setFont(Fonts::pixelFont(windowFont, 13));
    m_questionEdit->setMaxLength(std::numeric_limits<int>::max());
    m_oneForAllCheck = Fonts::placed(new QCheckBox(QStringLiteral("Один ко всем"), this),
                                     "oneForAllCheck", OneForAll);
    m_oneForAllCheck->setChecked(false);
    m_textsCaption = Fonts::label(
        this, "textsCaption", QStringLiteral("<- Вопрос к картинке        Ответ к картинке    "),
        TextsCaption);
    m_textsCaption->setFont(Fonts::pixelFont(windowFont, 13));
    Fonts::sizeToText(m_textsCaption);
    // No '&' in its text, so the buddy ties the caption to the field without changing its look.
    m_textsCaption->setBuddy(m_questionEdit);

    m_preview = Fonts::placed(new PictureBox(this), "preview", Preview);
    m_answerEdit = Fonts::placed(new PlainPasteEdit(this), "answerEdit", AnswerEdit);
    m_answerEdit->setFont(Fonts::arialFont(Fonts::pixelFont(windowFont, 16, true)));
    m_answerEdit->setTabChangesFocus(true);
    centreText(m_answerEdit);

    // The caption stays above the box's edges it overlaps.
    m_slotAreaCaption->raise();
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_slotFrames[0], m_slotFrames[2], m_slotFrames[3], m_slotFrames[1], m_slotAreaCaption,
             m_slotNumberLabel, m_textsCaption, m_preview})
        w->setFocusPolicy(Qt::NoFocus);
    resize(SlotFrames[0].width(), SlotFrames[2].height());

    // textChanged fires for typing and for texts set by the program alike, and only when the text
    // really changed, so both kinds of change take the same road.
    connect(m_answerEdit, &QPlainTextEdit::textChanged, this, &SlotPanel::answerEdited);
    connect(m_questionEdit, &QLineEdit::textChanged, this, &SlotPanel::questionEdited);
    m_answerEdit->viewport()->installEventFilter(this);
    nameFields(1);
}

void SlotPanel::nameFields(int k)
{
    // Setting a different name tells assistive technology that it changed.
    m_questionEdit->setAccessibleName(QStringLiteral("Вопрос к картинке %1").arg(k));
    m_answerEdit->setAccessibleName(QStringLiteral("Ответ к картинке %1").arg(k));
    m_preview->setAccessibleName(QStringLiteral("Картинка %1 крупно").arg(k));
}

void SlotPanel::showSlot(int k, const QuizSlot& slot, bool quietly)
{
    m_slotNumberLabel->setText(slotNumberText(k));
    nameFields(k);
    const QSignalBlocker quietAnswer(quietly ? m_answerEdit : nullptr);
    const QSignalBlocker quietQuestion(quietly ? m_questionEdit : nullptr);
    setTextFromProgram(m_answerEdit, slot.answer);
    setTextFromProgram(m_questionEdit, slot.question);
}

void SlotPanel::setPreview(const QImage& picture)
{
    m_preview->setPicture(
        picture.scaled(PreviewSize, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

void SlotPanel::clearPreview()
{
    m_preview->setPicture(SlotStrip::placeholder());
}

void SlotPanel::showAnswer(const QString& crlfText)
{
    setTextFromProgram(m_answerEdit, crlfText);
}

QString SlotPanel::question() const
{
    return m_questionEdit->text();
}

bool SlotPanel::oneForAll() const
{
    return m_oneForAllCheck->isChecked();
}

void SlotPanel::setOneForAll(bool on)
{
    m_oneForAllCheck->setChecked(on);
}

QString SlotPanel::storedAnswer() const
{
    return storedText(m_answerEdit);
}

bool SlotPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_answerEdit->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        emit answerClicked();
    return QWidget::eventFilter(watched, event);
}
