// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QAbstractItemView;

// Tells a screen reader of rows a view's model inserts and changes, which Qt's views do not
// announce themselves. (Qt 6.4's AT-SPI bridge drops these events; later ones send them on as
// row-inserted and the like.)
class RowAnnouncer : public QObject
{
    Q_OBJECT

public:
    // Follows the model the view has now.
    explicit RowAnnouncer(QAbstractItemView* view);

private:
    void inserted(int first, int last);

    QAbstractItemView* m_view;
};
