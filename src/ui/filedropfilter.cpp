// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/filedropfilter.h"

#include "core/pagetemplate.h"
#include "ui/inputgate.h"
#include "ui/offeredpictures.h"
#include "ui/slotstrip.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QWidget>

namespace
{

// A lone quiz folder or quiz page dropped on the window is reopened rather than taken as pictures.
bool isQuizPlace(const QString& path)
{
    const QFileInfo place(path);
    if (place.isDir())
        return QFileInfo(QDir(path).filePath(StartPageName)).isFile();
    return place.fileName() == StartPageName;
}

} // namespace

FileDropFilter::FileDropFilter(QWidget* window, const SlotStrip* slotStrip)
    : QObject(window), m_window(window), m_slotStrip(slotStrip)
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->acceptDrops())
            w->installEventFilter(this);
}

bool FileDropFilter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (!InputGate::isOpen(m_window) || !watched->isWidgetType() ||
        (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop))
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    auto* dropEvent = static_cast<QDropEvent*>(event);
    if (widget->window() != m_window || !OfferedPictures::promised(dropEvent->mimeData()))
        return false;
    // The files stay where they are: a move offered by the file manager would delete them.
    if (!(dropEvent->possibleActions() & Qt::CopyAction))
        return false;
    dropEvent->setDropAction(Qt::CopyAction);
    dropEvent->accept();
    if (type == QEvent::Drop)
        drop(dropEvent->mimeData(), m_slotStrip->slotAt(widget));
    return true;
}

void FileDropFilter::drop(const QMimeData* mime, int slot)
{
    const OfferedPictures offer = OfferedPictures::from(mime);
    if (offer.files.size() + offer.folders.size() == 1 && offer.remote.isEmpty()) {
        const QString place = offer.files.isEmpty() ? offer.folders.first() : offer.files.first();
        if (isQuizPlace(place)) {
            emit quizDropped(place);
            return;
        }
    }
    if (!offer.files.isEmpty())
        emit picturesDropped(offer.files, slot);
    else if (!offer.data.isEmpty())
        emit pictureDataDropped(offer.data, slot);
    QStringList skippedNames = offer.remote;
    for (const QString& folder : offer.folders)
        skippedNames << QFileInfo(folder).fileName();
    if (!skippedNames.isEmpty())
        emit skipped(skippedNames);
}
