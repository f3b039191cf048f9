// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

// A combo box that a screen reader calls by its accessible name. Qt's own combo box interface on
// Linux reads the current entry as the box's name, so a box would be called "/" or by a web
// address rather than by what it is for. Here the entry is the value and the list the child.
class NamedComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit NamedComboBox(QWidget* parent = nullptr);
};
