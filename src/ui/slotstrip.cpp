// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/slotstrip.h"

#include "core/quirvelerror.h"
#include "ui/fonts.h"
#include "ui/picturebox.h"
#include "ui/textfields.h"

#include <QIcon>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <iterator>

// Outside any namespace, as the resource initialiser requires; the resources live in a static
// library, so nothing would pull them in otherwise.
static void initUiResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(ui);
        return true;
    }();
    Q_UNUSED(done);
}

namespace
{

// Slots 1, 3, 5 on the left, 2, 4, 6 on the right, one row per pair; i counts from 0. Places are
// relative to the strip, whose corner is slot 1's glyph button.
constexpr int slotLeft(int i, int left, int columnStep)
{
    return left + columnStep * (i % 2);
}
constexpr int slotTop(int i)
{
    return 96 * (i / 2);
}
constexpr QRect slotButtonAt(int i)
{
    return {slotLeft(i, 0, 160), slotTop(i), 25, 25};
}
constexpr QRect thumbnailAt(int i)
{
    return {QPoint(slotLeft(i, 24, 160), slotTop(i)), SlotStrip::ThumbnailSize};
}
constexpr QRect answerCopyAt(int i)
{
    return {slotLeft(i, 328, 128), slotTop(i) + 24, 97, 57};
}

// The selection frame: a 3-pixel stroke whose middle runs this far inside the thumbnail's edges.
constexpr int FrameInset = 2;

} // namespace

SlotStrip::SlotStrip(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("slotStrip"));
    initUiResources();
    for (int i = 0; i < SlotCount; ++i) {
        const int k = i + 1;
        auto* glyphButton = Fonts::placed(new QPushButton(this),
                                          QStringLiteral("slotButton%1").arg(k), slotButtonAt(i));
        glyphButton->setIcon(QIcon(QStringLiteral(":/ui/glyph%1").arg(k)));
        glyphButton->setIconSize(QSize(21, 21));
        glyphButton->setAccessibleName(QStringLiteral("Картинка %1").arg(k));
        // A focus stop that did nothing would trap keyboard users: it chooses its slot.
        connect(glyphButton, &QPushButton::clicked, this, [this, k] { choose(k); });
        m_slotButtons[size_t(i)] = glyphButton;

        auto* thumb = Fonts::placed(new PictureBox(this), QStringLiteral("thumbnail%1").arg(k),
                                    thumbnailAt(i));
        thumb->setFocusPolicy(Qt::NoFocus);
        // Files dropped on a thumbnail go to its slot; the window takes them through its filter.
        thumb->setAcceptDrops(true);
        thumb->setAccessibleName(QStringLiteral("Миниатюра картинки %1").arg(k));
        connect(thumb, &PictureBox::clicked, this, [this, k] { emit thumbnailClicked(k); });
        m_thumbnails[size_t(i)] = thumb;

        auto* copy = Fonts::placed(new QPlainTextEdit(this), QStringLiteral("answerCopy%1").arg(k),
                                   answerCopyAt(i));
        copy->setReadOnly(true);
        copy->setTabChangesFocus(true);
        copy->setAccessibleName(QStringLiteral("Картинка %1: ответ").arg(k));
        if (i < 2)
            copy->setFont(Fonts::pixelFont(font(), 8));
        centreText(copy);
        m_answerCopies[size_t(i)] = copy;
        describePicture(k, QString());
    }
    const QRect last = answerCopyAt(SlotCount - 1);
    resize(last.right() + 1, last.bottom() + 1);
}

QImage SlotStrip::placeholder()
{
    initUiResources();
    QImage picture(QStringLiteral(":/ui/PICNOT"));
    if (picture.isNull())
        throw QuirvelError(QStringLiteral("Не найдена картинка-заглушка PICNOT"));
    return picture.convertToFormat(QImage::Format_RGB32);
}

PictureBox* SlotStrip::thumbnail(int k) const
{
    if (k < 1 || k > SlotCount)
        throw QuirvelError(QStringLiteral("Нет окна картинки с номером %1").arg(k));
    return m_thumbnails[size_t(k - 1)];
}

int SlotStrip::slotAt(const QObject* widget) const
{
    const auto at = std::find(m_thumbnails.begin(), m_thumbnails.end(), widget);
    return at == m_thumbnails.end() ? 0 : int(at - m_thumbnails.begin()) + 1;
}

void SlotStrip::describePicture(int k, const QString& fileName)
{
    m_slotButtons[size_t(k - 1)]->setAccessibleDescription(
        fileName.isEmpty() ? QStringLiteral("пусто") : QStringLiteral("выбрана: ") + fileName);
}

void SlotStrip::showPlaceholders()
{
    for (PictureBox* thumb : m_thumbnails)
        thumb->setPicture(placeholder());
    m_framedSlot = 0;
    emit picturesChanged();
}

void SlotStrip::frameSlot(int k)
{
    PictureBox* thumb = thumbnail(k);
    if (m_framedSlot != 0 && !m_cleanThumbnail.isNull())
        thumbnail(m_framedSlot)->setPicture(m_cleanThumbnail.copy());
    m_cleanThumbnail = thumb->picture().copy();
    drawFrame(k);
    m_framedSlot = k;
}

void SlotStrip::paintPicture(int k, const QImage& picture)
{
    PictureBox* thumb = thumbnail(k);
    QImage& bitmap = thumb->canvas();
    if (bitmap.isNull())
        bitmap = placeholder();
    {
        // Stretched to the box's full height; the bitmap is a row shorter, so the last row is cut.
        QPainter painter(&bitmap);
        painter.drawImage(0, 0, picture);
    }
    thumb->canvasChanged();
    if (k == m_framedSlot) {
        m_cleanThumbnail = thumb->picture().copy();
        drawFrame(k);
    }
    emit picturesChanged();
}

void SlotStrip::setAnswerCopy(int k, const QString& crlfText)
{
    setTextFromProgram(m_answerCopies[size_t(k - 1)], crlfText);
}

void SlotStrip::drawFrame(int k)
{
    if (k < 1 || k > SlotCount)
        throw QuirvelError(QStringLiteral("Нет ячейки с номером %1").arg(k));
    PictureBox* thumb = thumbnail(k);
    QImage& bitmap = thumb->canvas();
    if (bitmap.format() != QImage::Format_RGB32)
        bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&bitmap);
        // AND with pure red: only the picture's red survives under the frame.
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.setPen(QPen(QColor(255, 0, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        // Down the left edge, along the bottom, up the right and back along the top, ending at
        // the box's own edge.
        const int right = ThumbnailSize.width() - 1 - FrameInset;
        const int bottom = ThumbnailSize.height() - 1 - FrameInset;
        const QPoint path[] = {{FrameInset, 0},
                               {FrameInset, bottom},
                               {right, bottom},
                               {right, FrameInset},
                               {0, FrameInset}};
        painter.drawPolyline(path, int(std::size(path)));
    }
    thumb->canvasChanged();
}
