#pragma once

// How data flows through QUIRVEL:
//   user events on MainWindow's widgets -> MainWindow's handlers -> QuizSetup operations (the one
//   quiz) and redraws of the thumbnails, preview and text fields. The generate button runs the
//   GenerationCommand, which reads the setup, shows the GenerationInfoDialog, shuffles the
//   answers, writes the quiz folder through the shell seam and offers to open the page. Every
//   dialog, shell call and pause goes through the injected Services, so tests script the user's
//   answers.

#include "core/generationcommand.h"
#include "core/programplaces.h"
#include "core/quizpagereader.h"
#include "core/quizsetup.h"
#include "core/services.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QUrl>
#include <QWidget>

#include <array>

class AboutDialog;
class DriveComboBox;
class FileListBox;
class FolderListBox;
class GenerationInfoDialog;
class PictureBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class SlotFrame;

// The quiz editor: six picture slots with a question and an answer each, the picture browser and
// the generate button. Its widgets are its own; they carry their member's name as object name,
// array members with the slot number from 1 (thumbnail1 ... thumbnail6, answerCopy1 ...).
class MainWindow : public QWidget, private IGenerationView
{
    Q_OBJECT
public:
    static constexpr int SlotCount = QuizSetup::SlotCount;
    static constexpr QSize ThumbnailSize{113, 81};
    static constexpr QSize PreviewSize{249, 169};

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
    const QImage& cleanThumbnail() const { return m_cleanThumbnail; }
    // The generation command behind the generate button, reachable so tests can fix its shuffle.
    GenerationCommand& generation() { return m_generation; }

    // Handlers; each shows whatever ends it early in the standard error box.
    void chooseSlot(int k);
    void choosePicture();
    void openFolder(const QString& path);
    void openChosenDrive();
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
    // Brings back a quiz this program generated; path is its folder or its start.htm.
    void reopenQuiz(const QString& path);

    // Draws the selection frame over thumbnail k's picture.
    void drawSlotFrame(int k);

    // A fresh copy of the placeholder picture, ready to draw on.
    static QImage placeholder();
    // A multi-line field's whole text as stored: line breaks as CR LF, nothing else altered.
    static QString storedText(const QPlainTextEdit* edit);

protected:
    void showEvent(QShowEvent* event) override;
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
    void connectHandlers();
    void showEmptyQuiz();
    void showPlaceholders();
    PictureBox* thumbnail(int k) const;
    void switchSlot(int k);
    void followFolder();
    void takeChosenFile();
    void takeFile(const QString& path);
    void paintThumbnail(int k, const QImage& picture);
    bool takeDrag(QObject* watched, QEvent* event);
    void dropUrls(const QList<QUrl>& urls, int targetSlot);
    void reopen(const QString& path);
    void showReopened(const QuizPageContents& page, const QString& folder);
    bool holdsComposition() const;
    void showInPreview(const QImage& picture);
    void restoreCleanThumbnail(int k);

    // Sets a text from the program: only a different text is set, and then the widget's change
    // handling runs as after typing. The multi-line form takes an answer as stored, with CR LF
    // line breaks, while the widget holds bare LF.
    static void setTextFromProgram(QLineEdit* edit, const QString& text);
    static void setTextFromProgram(QPlainTextEdit* edit, const QString& crlfText);

    Services& m_services;
    QuizSetup m_setup;
    QImage m_cleanThumbnail;
    AboutDialog* m_about = nullptr;
    GenerationInfoDialog* m_info = nullptr;
    bool m_shown = false;
    // Set while the generation runs: the window then takes no input but still repaints.
    bool m_busy = false;
    GenerationCommand m_generation{m_setup, *this, m_services};

    // The widgets, in the order they are created (which is also their stacking order).
    QLabel* programNameLabel = nullptr;
    QLabel* statusLabel = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* generateButton = nullptr;
    QPushButton* newButton = nullptr;
    QPushButton* infoButton = nullptr;
    SlotFrame* headerRule = nullptr;
    SlotFrame* browserRule = nullptr;
    FileListBox* fileList = nullptr;
    DriveComboBox* driveCombo = nullptr;
    FolderListBox* folderList = nullptr;
    QPushButton* instructionsButton = nullptr;
    QPushButton* exitButton = nullptr;
    QLineEdit* titleEdit = nullptr;
    QLabel* titleCaption = nullptr;
    // Per slot: the number glyph, the thumbnail and the read-only copy of the answer.
    std::array<QPushButton*, SlotCount> slotButtons{};
    std::array<PictureBox*, SlotCount> thumbnails{};
    std::array<QPlainTextEdit*, SlotCount> answerCopies{};
    // The frame around the slot's own area: top, bottom, left and right edge.
    std::array<SlotFrame*, 4> slotFrames{};
    QLabel* slotAreaCaption = nullptr;
    QLabel* slotNumberLabel = nullptr;
    QLineEdit* questionEdit = nullptr;
    QCheckBox* oneForAllCheck = nullptr;
    QLabel* textsCaption = nullptr;
    PictureBox* preview = nullptr;
    QPlainTextEdit* answerEdit = nullptr;
};
