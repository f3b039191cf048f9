// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How data flows through QUIRVEL:
//   MainWindow lays out three parts a user sees: the PictureBrowser (drive box, folder and file
//   lists), the SlotStrip (six thumbnails with their glyphs and answer copies) and the SlotPanel
//   (the current slot's number, question, preview and answer). The QuizEditor owns the one
//   QuizSetup and each slot's KeptPictures (thumbnail and preview with the identity of their
//   file, so a slot switch decodes only a changed picture); it turns what the parts report by
//   signal into setup operations, tells the parts what to show, and loads a whole quiz (a
//   reopened folder or a draft) through one loader. Every change reaches UnsavedWork (core),
//   which knows the folder last generated or reopened and what it then held, and keeps a
//   QuizDraft in the DraftStore while the window holds more; exit asks before dropping it. The
//   generate button runs the GenerationCommand, which reads the setup, shows the
//   GenerationInfoDialog, shuffles the answers, writes the quiz folder through the shell seam and
//   offers to open the page. Reopening reads and checks a quiz folder in core
//   (readGeneratedQuiz) before the window asks anything. The QuizMenu (right click) opens quizzes
//   and exports the held folder (quirvel_export); the FileDropFilter turns drops into pictures
//   or a quiz to reopen; pictures of other kinds, dropped, pasted or opened from the SlotMenu,
//   become JPEG files in ConvertedPictures, and each slot change is a step of the editor's undo
//   history. One InputGate keeps the window from taking input while a job runs.
//   Every dialog, shell call and pause goes through the injected Services, so tests script the
//   user's answers.

#include "core/generationcommand.h"
#include "core/programplaces.h"
#include "core/services.h"
#include "core/unsavedwork.h"
#include "ui/quizeditor.h"

#include <QImage>
#include <QWidget>

#include <memory>

class AboutDialog;
class DraftStore;
class FileDropFilter;
class GenerationInfoDialog;
class PictureBrowser;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QuizMenu;
class Rule;
class SlotMenu;
class SlotPanel;
class SlotStrip;

// The main window: lays out the picture browser, the six slots, the title and the buttons, runs
// the generation, About and the instructions, and orchestrates reopen, close and exit. Its
// widgets and parts carry their member's name without the prefix as object name.
class MainWindow : public QWidget, private IGenerationView
{
    Q_OBJECT
public:
    static constexpr int SlotCount = QuizSetup::SlotCount;

    MainWindow(Services& services, const ProgramPlaces& places, QWidget* parent = nullptr);
    // Both places in one folder, as in a build tree.
    MainWindow(Services& services, const QString& folder, QWidget* parent = nullptr)
        : MainWindow(services, ProgramPlaces::inOneFolder(folder), parent)
    {
    }
    ~MainWindow() override;

    void setAboutDialog(AboutDialog* about) { m_about = about; }
    void setInfoWindow(GenerationInfoDialog* info) { m_info = info; }

    // The one quiz being edited.
    QuizSetup& setup() { return m_editor->setup(); }
    const QuizSetup& setup() const { return m_editor->setup(); }
    // The current slot's thumbnail as it looks without the selection frame.
    const QImage& cleanThumbnail() const;
    // The generation command behind the generate button, reachable so tests can fix its shuffle.
    GenerationCommand& generation() { return *m_generation; }
    // The folder last generated or reopened, when the title field, texts and pictures are still
    // exactly what went into it; empty otherwise.
    QString heldFolder() const { return m_unsavedWork->heldFolder(); }
    bool holdsItsFolder() const { return !heldFolder().isEmpty(); }
    // Where this window keeps its unsaved quiz; null without a drafts folder.
    const DraftStore* drafts() const { return m_unsavedWork->drafts(); }
    // Offers the drafts of programs that have gone, and reports drafts that could not be read.
    void offerDraft();
    // The widgets in the order Tab visits them, whichever part holds them.
    QList<QWidget*> focusOrder() const;

public slots:
    // Handlers; each shows whatever ends it early in the standard error box.
    void chooseSlot(int k) { m_editor->chooseSlot(k); }
    void choosePicture(const QString& path) { m_editor->choosePicture(path); }
    void generateQuiz();
    void startNewQuiz();
    void showAbout();
    void showInstructions();
    void exitProgram() { close(); }
    // Ctrl+O: asks for a quiz folder and reopens the quiz in it.
    void openQuiz();
    // Brings back a quiz this program generated; path is its folder or its start.htm.
    void reopenQuiz(const QString& path);
    // Ctrl+V, Shift+Insert: the clipboard's picture or picture file into the current slot.
    void pastePicture();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // What the generation command sees of this window.
    QString titleText() const override;
    void setTitleText(const QString& text) override;
    void showStatus(const QString& text) override;
    int progressPosition() const override;
    void setProgressPosition(int position) override;
    void showInfoWindow() override;

    void buildLayout();
    // The widgets above the rule, then those below it, in stacking order.
    void buildHeader(const QFont& windowFont);
    void buildBody(const QFont& windowFont);
    void connectHandlers();
    void reopen(const QString& path);
    // Deletes the converted pictures nothing needs any more.
    void pruneConvertedPictures(bool closing);

    Services& m_services;
    AboutDialog* m_about = nullptr;
    GenerationInfoDialog* m_info = nullptr;
    bool m_shown = false;

    // The widgets, in the order they are created (which is also their stacking order).
    QLabel* m_programNameLabel = nullptr;
    QLabel* m_statusLabel = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QPushButton* m_generateButton = nullptr;
    QPushButton* m_newButton = nullptr;
    QPushButton* m_infoButton = nullptr;
    Rule* m_headerRule = nullptr;
    Rule* m_browserRule = nullptr;
    PictureBrowser* m_pictureBrowser = nullptr;
    QPushButton* m_instructionsButton = nullptr;
    QPushButton* m_exitButton = nullptr;
    QLineEdit* m_titleEdit = nullptr;
    QLabel* m_titleCaption = nullptr;
    SlotStrip* m_slotStrip = nullptr;
    SlotPanel* m_slotPanel = nullptr;

    // The jobs the window hands on, made once the widgets are there.
    QuizEditor* m_editor = nullptr;
    UnsavedWork* m_unsavedWork = nullptr;
    QuizMenu* m_quizMenu = nullptr;
    FileDropFilter* m_dropFilter = nullptr;
    SlotMenu* m_slotMenu = nullptr;
    std::unique_ptr<GenerationCommand> m_generation;
};
