// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/quizmenu.h"

#include "core/idialogs.h"
#include "core/quirvelerror.h"
#include "core/texts.h"
#include "ui/classroomwindow.h"
#include "ui/inputgate.h"
#include "ui/texts.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

#include <iterator>
#include <optional>
#include <utility>

namespace
{

const QString SavedText = QStringLiteral("Сохранено: %1");
const QString ClassroomText = QStringLiteral("Провести в классе…");
const QString ReplaceQuestion = QStringLiteral("Файл «%1» уже есть. Заменить?");

// What each export is called in the menu, its file's extension and the save dialog's filter.
struct ExportChoice {
    QuizExport kind;
    const char* objectName;
    QString text;
    QString extension;
    QString filter;
};
const ExportChoice ExportChoices[] = {
    {QuizExport::Page, "exportPageAction", QStringLiteral("Сохранить одним файлом…"),
     QStringLiteral(".htm"), QStringLiteral("Страница викторины (*.htm)")},
    {QuizExport::Scorm, "exportScormAction", QStringLiteral("Пакет SCORM для LMS…"),
     QStringLiteral(".zip"), QStringLiteral("Пакет SCORM (*.zip)")},
    {QuizExport::Sheet, "printSheetAction", QStringLiteral("Лист для печати (PDF)…"),
     QStringLiteral(".pdf"), QStringLiteral("Документ PDF (*.pdf)")},
};

const ExportChoice& exportChoice(QuizExport kind)
{
    for (const ExportChoice& choice : ExportChoices)
        if (choice.kind == kind)
            return choice;
    return ExportChoices[0];
}

} // namespace

QuizMenu::QuizMenu(QWidget* window, IDialogs& dialogs, FolderSource heldFolder,
                   FolderSource suppliedFolder)
    : QObject(window), m_window(window), m_dialogs(dialogs), m_heldFolder(std::move(heldFolder)),
      m_suppliedFolder(std::move(suppliedFolder))
{
    m_menu = new QMenu(window);
    m_menu->setObjectName(QStringLiteral("contextMenu"));
    m_menu->setToolTipsVisible(true);
    m_openAction = m_menu->addAction(QStringLiteral("Открыть викторину…"));
    m_openAction->setObjectName(QStringLiteral("openAction"));
    m_openAction->setShortcut(QKeySequence::Open);
    // Also on the window, so the shortcut works while the menu is closed.
    window->addAction(m_openAction);
    connect(m_openAction, &QAction::triggered, this, &QuizMenu::openRequested);
    m_menu->addSeparator();
    for (const ExportChoice& choice : ExportChoices) {
        QAction* action = m_menu->addAction(choice.text);
        action->setObjectName(QLatin1String(choice.objectName));
        connect(action, &QAction::triggered, this,
                [this, kind = choice.kind] { exportHeldQuiz(kind); });
        m_folderActions << action;
    }
    QAction* classroom = m_menu->addAction(ClassroomText);
    classroom->setObjectName(QStringLiteral("classroomAction"));
    connect(classroom, &QAction::triggered, this, &QuizMenu::playInClass);
    m_folderActions << classroom;
    connect(m_menu, &QMenu::aboutToShow, this, &QuizMenu::enableExports);
}

void QuizMenu::popup(const QPoint& globalPosition)
{
    if (InputGate::isOpen(m_window))
        m_menu->popup(globalPosition);
}

void QuizMenu::enableExports()
{
    const bool held = !m_heldFolder().isEmpty();
    for (int i = 0; i < m_folderActions.size(); ++i) {
        QAction* action = m_folderActions[i];
        action->setEnabled(held);
        // A greyed entry says why in its own text: tooltips are easily missed.
        const QString text =
            i < int(std::size(ExportChoices)) ? ExportChoices[i].text : ClassroomText;
        action->setText(text + (held ? QString() : UiText::NoFolderSuffix));
        action->setToolTip(held ? QString() : UiText::NoFolderTip);
    }
}

void QuizMenu::exportHeldQuiz(QuizExport kind)
{
    const QString folder = QDir::cleanPath(m_heldFolder());
    if (!InputGate::isOpen(m_window) || folder.isEmpty())
        return;
    const ExportChoice& choice = exportChoice(kind);
    const QString caption = QString(choice.text).remove(QChar(u'…'));
    std::optional<QString> file;
    guarded(m_dialogs, [&] {
        const QFileInfo quiz(folder);
        file = m_dialogs.saveFile(
            caption, QDir(quiz.absolutePath()).filePath(quiz.fileName() + choice.extension),
            choice.filter);
        if (file && QFileInfo::exists(*file) &&
            !m_dialogs.yesNo(CoreText::WarningCaption,
                             ReplaceQuestion.arg(QFileInfo(*file).fileName()), false))
            file.reset();
    });
    if (!file)
        return;
    std::optional<QStringList> notices;
    InputGate::shutWhile(m_window, [&] {
        guarded(m_dialogs, [&] { notices = exportQuiz(kind, folder, *file, m_suppliedFolder()); });
    });
    // What was cut in a picture is worth more than the file name; both fit two lines.
    if (notices)
        emit exported((QStringList{SavedText.arg(QFileInfo(*file).fileName())} + *notices)
                          .join(QLatin1Char('\n')));
}

bool QuizMenu::classRunning() const
{
    return m_classroom && m_classroom->isRunning();
}

bool QuizMenu::stopClass()
{
    return !m_classroom || m_classroom->isHidden() || m_classroom->close();
}

void QuizMenu::playInClass()
{
    const QString folder = QDir::cleanPath(m_heldFolder());
    if (!InputGate::isOpen(m_window) || folder.isEmpty())
        return;
    if (classRunning()) {
        m_classroom->show();
        m_classroom->raise();
        m_classroom->activateWindow();
        return;
    }
    delete m_classroom;
    m_classroom = new ClassroomWindow(m_dialogs, m_window);
    if (m_classroom->start(folder, m_suppliedFolder(), m_classroomOptions))
        m_classroom->show();
}
