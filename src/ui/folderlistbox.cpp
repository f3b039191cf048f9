// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/folderlistbox.h"

#include "core/folderreading.h"

#include <QStyle>

namespace
{

constexpr int FolderItemHeight = 16;

} // namespace

FolderListBox::FolderListBox(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        emit openRequested(item->data(Qt::UserRole).toString());
    });
}

void FolderListBox::setDirectory(const QString& path)
{
    const QDir folder = readableFolder(path);
    const QStringList subfolders =
        sortedByName(folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort));

    QStringList chain;
    for (QDir up = folder;;) {
        chain.prepend(up.absolutePath());
        if (!up.cdUp())
            break;
    }

    const QSignalBlocker quiet(this);
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [this](const QIcon& icon, const QString& text, const QString& full,
                            int depth) {
        auto* item = new QListWidgetItem(icon, QString(depth * 2, QLatin1Char(' ')) + text, this);
        item->setData(Qt::UserRole, full);
        item->setSizeHint(
            QSize(fontMetrics().horizontalAdvance(item->text()) + 24, FolderItemHeight));
    };
    for (int i = 0; i < chain.size(); ++i) {
        const QString name = i == 0 ? QDir::toNativeSeparators(chain[i]) : QDir(chain[i]).dirName();
        add(open, name, chain[i], i);
    }
    for (const QString& name : subfolders)
        add(closed, name, folder.absoluteFilePath(name), int(chain.size()));
    setCurrentRow(int(chain.size()) - 1);
    m_directory = folder.absolutePath();
}

void FolderListBox::reread()
{
    const QString current = entryPath(currentRow());
    setDirectory(m_directory);
    for (int row = 0; row < count(); ++row)
        if (entryPath(row) == current) {
            const QSignalBlocker quiet(this);
            setCurrentRow(row);
            return;
        }
}

QString FolderListBox::entryPath(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(Qt::UserRole).toString() : QString();
}
