// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

class SlotStrip;
class QMimeData;
class QWidget;

// Takes drags that carry files wherever they arrive in a window, the text fields included, which
// would otherwise take a dropped file's name as text; other drags, such as text moved between the
// fields, are left to the widget under them. A lone quiz folder or quiz page is a quiz to reopen;
// other files are pictures of any kind; a browser's picture comes as its data; folders and web
// addresses without data are named as skipped.
class FileDropFilter : public QObject
{
    Q_OBJECT
public:
    // Watches window and every child that accepts drops; slotStrip names the thumbnails' slots.
    FileDropFilter(QWidget* window, const SlotStrip* slotStrip);

signals:
    // slot is the thumbnail they were dropped on, or 0 elsewhere.
    void picturesDropped(const QStringList& paths, int slot);
    void pictureDataDropped(const QByteArray& data, int slot);
    void quizDropped(const QString& path);
    void skipped(const QStringList& names);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void drop(const QMimeData* mime, int slot);

    QWidget* m_window;
    const SlotStrip* m_slotStrip;
};
