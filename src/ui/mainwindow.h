// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How data flows through QUIRVEL:
//   MainWindow is built from three parts a user sees: the PictureBrowser (drive box, folder and
//   file lists), the SlotStrip (six thumbnails with their glyphs and answer copies) and the
//   SlotPanel (the current slot's number, question, preview and answer). The parts report what
//   the user does by signal (fileChosen, thumbnailClicked, questionEdited, answerEdited,
//   answerClicked); MainWindow's slots turn that into QuizSetup operations (the one quiz) and
//   tell the parts what to show. The generate button runs the GenerationCommand, which reads the
//   setup, shows the GenerationInfoDialog, shuffles the answers, writes the quiz folder through
//   the shell seam and offers to open the page; an InputHold keeps the window from taking input
//   meanwhile. Reopening reads and checks a quiz folder in core (readGeneratedQuiz,
//   adoptReopened) before the window asks anything. KeptPictures holds each slot's thumbnail and
//   preview with the identity of their file, so a slot switch decodes only a changed picture.
//   While the window holds work its quiz folder lacks, a timer writes it as a QuizDraft through
//   the DraftStore; exit asks before dropping it. The context menu's exports read the quiz folder
//   back (quirvel_export), enabled only while the window holds exactly that folder. Every dialog,
//   shell call and pause goes through the injected Services, so tests script the user's answers.

#include "core/generationcommand.h"
#include "core/programplaces.h"
#include "core/quizdraft.h"
#include "core/quizsetup.h"
#include "core/services.h"
#include "export/quizexport.h"
#include "ui/keptpictures.h"

#include <QImage>
#include <QList>
#include <QUrl>
#include <QWidget>

#include <memory>

class AboutDialog;
class DraftStore;
class GenerationInfoDialog;
class InputHold;
class PictureBrowser;
class QAction;
class QLabel;
class QMenu;
class QLineEdit;
class QProgressBar;
class QTimer;
class QPushButton;
class Rule;
class SlotPanel;
class SlotStrip;
struct GeneratedQuiz;

// The quiz editor: the picture browser, six picture slots with a question and an answer each, the
// title and the generate button. Its widgets and parts carry their member's name without the
// prefix as object name.
class MainWindow : public QWidget, private IGenerationView
{
    Q_OBJECT
public:
    static constexpr int SlotCount = QuizSetup::SlotCount;

    MainWindow(Services& services, const ProgramPlaces& places, QWidget* parent = nullptr);
    // Both places in one folder, as in a build tree.
    MainWindow(Services& services, const QString& folder, QWidget* parent = nullptr);
    ~MainWindow() override;

    void setAboutDialog(AboutDialog* about) { m_about = about; }
    void setInfoWindow(GenerationInfoDialog* info) { m_info = info; }

    // The one quiz being edited.
    QuizSetup& setup() { return m_setup; }
    const QuizSetup& setup() const { return m_setup; }
    // The current slot's thumbnail as it looks without the selection frame.
    const QImage& cleanThumbnail() const;
    // The generation command behind the generate button, reachable so tests can fix its shuffle.
    GenerationCommand& generation() { return m_generation; }
    // The folder last generated or reopened, when the title field, texts and pictures are still
    // exactly what went into it; empty otherwise.
    QString heldFolder() const;
    bool holdsItsFolder() const { return !heldFolder().isEmpty(); }
    // Where this window keeps its unsaved quiz; null without a drafts folder.
    const DraftStore* drafts() const { return m_drafts.get(); }
    // Offers the newest draft a program that has gone left behind, and reports drafts that could
    // not be read.
    void offerDraft();

public slots:
    // Handlers; each shows whatever ends it early in the standard error box.
    void chooseSlot(int k);
    void choosePicture(const QString& path);
    void storeAnswer();
    void storeQuestion();
    void showStoredAnswer();
    void generateQuiz();
    void startNewQuiz();
    void showAbout();
    void showInstructions();
    void exitProgram();
    // Ctrl+O: asks for a quiz folder and reopens the quiz in it.
    void openQuiz();
    // Asks where to write the held quiz folder as kind, and writes it there.
    void exportHeldQuiz(QuizExport kind);
    // Brings back a quiz this program generated; path is its folder or its start.htm.
    void reopenQuiz(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the generation command sees of this window.
    QString titleText() const override;
    void setTitleText(const QString& text) override;
    void showStatus(const QString& text) override;
    int progressPosition() const override;
    void setProgressPosition(int position) override;
    void showInfoWindow() override;

    void buildLayout();
    void buildContextMenu();
    // The exports need a quiz folder that holds what the window does.
    void enableExports();
    void connectHandlers();
    void showEmptyQuiz();
    void switchSlot(int k);
    void takeFile(const QString& path);
    void namePartialPictures();
    bool takeDrag(QObject* watched, QEvent* event);
    void dropUrls(const QList<QUrl>& urls, int targetSlot);
    void reopen(const QString& path);
    void showReopened(const GeneratedQuiz& quiz);
    bool holdsComposition() const;
    // The window's values as a draft.
    QuizDraft currentWork() const;
    bool holdsUnsavedWork() const;
    void holdFolder(const QString& folder);
    // Starts the draft timer unless it is already running, so typing never waits for the disk.
    void noteChange();
    // Writes the draft while there is unsaved work, deletes it otherwise.
    void updateDraft();
    void showDraft(const QuizDraft& draft);

    Services& m_services;
    QuizSetup m_setup;
    AboutDialog* m_about = nullptr;
    GenerationInfoDialog* m_info = nullptr;
    bool m_shown = false;
    // Present while the generation runs.
    std::unique_ptr<InputHold> m_inputHold;
    GenerationCommand m_generation{m_setup, *this, m_services};
    // The folder the window last generated or reopened, and what it then held.
    QString m_folder;
    QuizDraft m_folderWork;
    std::unique_ptr<DraftStore> m_drafts;
    QTimer* m_draftTimer = nullptr;
    KeptPictures m_keptPictures;

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
    // Right click outside the text fields.
    QMenu* m_contextMenu = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_exportPageAction = nullptr;
    QAction* m_exportScormAction = nullptr;
    QAction* m_printSheetAction = nullptr;
};
