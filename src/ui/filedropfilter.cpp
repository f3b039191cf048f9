// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/filedropfilter.h"

#include "core/pagetemplate.h"
#include "core/quizsetup.h"
#include "ui/inputhold.h"
#include "ui/slotstrip.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
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

QString shownName(const QUrl& url)
{
    if (!url.isLocalFile())
        return url.toDisplayString();
    const QString path = QDir::cleanPath(url.toLocalFile());
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
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
    if (InputHold::holds(m_window) || !watched->isWidgetType() ||
        (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop))
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    auto* dropEvent = static_cast<QDropEvent*>(event);
    if (widget->window() != m_window || !dropEvent->mimeData() || !dropEvent->mimeData()->hasUrls())
        return false;
    // The files stay where they are: a move offered by the file manager would delete them.
    if (!(dropEvent->possibleActions() & Qt::CopyAction))
        return false;
    dropEvent->setDropAction(Qt::CopyAction);
    dropEvent->accept();
    if (type == QEvent::Drop)
        drop(dropEvent->mimeData()->urls(), m_slotStrip->slotAt(widget));
    return true;
}

void FileDropFilter::drop(const QList<QUrl>& urls, int slot)
{
    if (urls.size() == 1 && urls.first().isLocalFile() && isQuizPlace(urls.first().toLocalFile())) {
        emit quizDropped(urls.first().toLocalFile());
        return;
    }
    QStringList pictures;
    QStringList skippedNames;
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        if (url.isLocalFile() && !QFileInfo(path).isDir() && QuizSetup::takesPictureFile(path))
            pictures << path;
        else
            skippedNames << shownName(url);
    }
    if (!pictures.isEmpty())
        emit picturesDropped(pictures, slot);
    if (!skippedNames.isEmpty())
        emit skipped(skippedNames);
}
