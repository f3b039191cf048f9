// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

// "О программе": name, version and a line on what the program does. Created hidden at start-up
// and shown modally by the main window's "Info" button; nothing is read back from it. Its widgets
// carry object names (logo, titleLabel, versionLabel, descriptionLabel, rule, okButton).
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};
