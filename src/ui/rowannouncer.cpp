// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rowannouncer.h"

#include <QAbstractItemView>
#include <QAccessible>

RowAnnouncer::RowAnnouncer(QAbstractItemView* view) : QObject(view), m_view(view)
{
    QAbstractItemModel* model = view->model();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { inserted(first, last); });
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                if (!QAccessible::isActive())
                    return;
                QAccessibleTableModelChangeEvent change(
                    m_view, QAccessibleTableModelChangeEvent::DataChanged);
                change.setFirstRow(from.row());
                change.setLastRow(to.row());
                QAccessible::updateAccessibility(&change);
            });
}

void RowAnnouncer::inserted(int first, int last)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTableModelChangeEvent change(m_view, QAccessibleTableModelChangeEvent::RowsInserted);
    change.setFirstRow(first);
    change.setLastRow(last);
    QAccessible::updateAccessibility(&change);
}
