// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QuizSetup;
struct ProgramPlaces;

// The info window shown before every generation. It offers no way back: however it is closed,
// the generation goes on. Its widgets carry object names (headingLabel, folderNameLabel,
// locationLabel, programFolderLabel, createButton, ...); programFolderLabel shows the folder new
// quizzes are made in.
class GenerationInfoDialog : public QDialog
{
    Q_OBJECT
public:
    explicit GenerationInfoDialog(const ProgramPlaces& places, QWidget* parent = nullptr);

    // The quiz whose folder name each showing displays; the window does not own it.
    void setSetup(const QuizSetup* setup) { m_setup = setup; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_folderNameLabel = nullptr;
    const QuizSetup* m_setup = nullptr;
};
