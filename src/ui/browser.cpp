#include "ui/browser.h"

#include "core/quirvelerror.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>

namespace
{

constexpr int FolderItemHeight = 16;
constexpr int FileItemHeight = 13;

QDir ReadableFolder(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable())
        throw QuirvelError(QStringLiteral("Не удаётся открыть папку «%1»").arg(path));
    return QDir(info.absoluteFilePath());
}

QStringList SortedByName(QStringList names)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {}

void TDriveComboBox::SetDriveOf(const QString& path)
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots << volume.rootPath();
    std::sort(roots.begin(), roots.end());
    const QString own = QStorageInfo(path).rootPath();
    if (!own.isEmpty() && !roots.contains(own))
        roots << own;

    const QSignalBlocker quiet(this);
    clear();
    addItems(roots);
    setCurrentIndex(std::max<int>(0, int(roots.indexOf(own))));
}

QString TDriveComboBox::Drive() const
{
    return currentText();
}

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        emit openRequested(item->data(Qt::UserRole).toString());
    });
}

void TDirectoryListBox::SetDirectory(const QString& path)
{
    const QDir folder = ReadableFolder(path);
    const QStringList subfolders =
        SortedByName(folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort));

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

QString TDirectoryListBox::EntryPath(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(Qt::UserRole).toString() : QString();
}

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The selection, not the keyboard cursor: focus alone puts the cursor on an entry.
    connect(this, &QListWidget::itemSelectionChanged, this, &TFileListBox::selectionMoved);
}

void TFileListBox::SetDirectory(const QString& path)
{
    const QDir folder = ReadableFolder(path);
    const QStringList names =
        SortedByName(folder.entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::NoSort));

    const QSignalBlocker quiet(this);
    clear();
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(name, this);
        item->setSizeHint(QSize(fontMetrics().horizontalAdvance(name) + 8, FileItemHeight));
    }
    m_directory = folder.absolutePath();
}

QString TFileListBox::FileName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return QString();
    const QString name = selected.first()->text();
    return m_directory.endsWith(QLatin1Char('/')) ? m_directory + name
                                                  : m_directory + QLatin1Char('/') + name;
}
