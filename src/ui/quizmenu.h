// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "classroom/classroom.h"
#include "export/quizexport.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class ClassroomWindow;
class IDialogs;
class QAction;
class QMenu;
class QPoint;
class QWidget;

// The window's context menu: open a quiz, send the quiz folder the window holds as one file, a
// SCORM package or a printed sheet, or play it in class. An export asks where to write (and
// whether to replace an existing file) and then runs with the window taking no input.
class QuizMenu : public QObject
{
    Q_OBJECT
public:
    using FolderSource = std::function<QString()>;

    // heldFolder names the quiz folder holding exactly what the window does, or nothing; the
    // exports take missing decorations from suppliedFolder.
    QuizMenu(QWidget* window, IDialogs& dialogs, FolderSource heldFolder,
             FolderSource suppliedFolder);

    QMenu* menu() const { return m_menu; }
    QAction* openAction() const { return m_openAction; }
    void popup(const QPoint& globalPosition);

    // A class is being played from the held quiz.
    bool classRunning() const;
    // Ends the class, after the classroom window's own question; false when the user keeps it.
    bool stopClass();
    // Where the next class listens (by default every address, on the fixed port).
    void setClassroomOptions(const Classroom::Options& options) { m_classroomOptions = options; }

public slots:
    // Asks where to write the held quiz folder as kind, and writes it there.
    void exportHeldQuiz(QuizExport kind);
    // Opens the classroom window on the held quiz folder, or brings the running one forward.
    void playInClass();

signals:
    void openRequested();
    // An export was written: the file's name, then what it holds only in part, for the status.
    void exported(const QString& statusText);

private:
    // The exports need a quiz folder that holds what the window does.
    void enableExports();

    QWidget* m_window;
    IDialogs& m_dialogs;
    FolderSource m_heldFolder;
    FolderSource m_suppliedFolder;
    QMenu* m_menu = nullptr;
    QAction* m_openAction = nullptr;
    // The exports, then the classroom entry: each needs the held folder.
    QList<QAction*> m_folderActions;
    ClassroomWindow* m_classroom = nullptr;
    Classroom::Options m_classroomOptions;
};
