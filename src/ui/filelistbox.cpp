// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/filelistbox.h"

#include "core/folderreading.h"

namespace
{

constexpr int FileItemHeight = 13;

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The selection, not the keyboard cursor: focus alone puts the cursor on an entry.
    connect(this, &QListWidget::itemSelectionChanged, this, &FileListBox::selectionMoved);
}

void FileListBox::setDirectory(const QString& path)
{
    const QDir folder = readableFolder(path);
    const QStringList names =
        sortedByName(folder.entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::NoSort));

    const QSignalBlocker quiet(this);
    clear();
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(name, this);
        item->setSizeHint(QSize(fontMetrics().horizontalAdvance(name) + 8, FileItemHeight));
    }
    m_directory = folder.absolutePath();
}

QString FileListBox::fileName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return QString();
    const QString name = selected.first()->text();
    return m_directory.endsWith(QLatin1Char('/')) ? m_directory + name
                                                  : m_directory + QLatin1Char('/') + name;
}

bool FileListBox::reread()
{
    const QList<QListWidgetItem*> selected = selectedItems();
    const QString name = selected.isEmpty() ? QString() : selected.first()->text();
    setDirectory(m_directory);
    if (name.isEmpty())
        return true;
    const QList<QListWidgetItem*> found = findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    const QSignalBlocker quiet(this);
    setCurrentItem(found.first());
    return true;
}

// Ctrl+click and Ctrl+Space would deselect the one entry, leaving the pick empty.
QItemSelectionModel::SelectionFlags FileListBox::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}
