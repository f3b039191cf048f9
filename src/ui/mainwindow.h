#pragma once

// How data flows through QUIRVEL:
//   user events on TForm1's widgets -> TForm1's handlers -> TQuizSetup operations (the one quiz)
//   and redraws of the thumbnails, preview and text fields. The generation button runs the
//   generation command, which reads the setup, shows TForm2, shuffles the answers, writes the quiz
//   folder through the shell seam and offers to open the page. Every dialog, shell call and pause
//   goes through the injected Services, so tests script the user's answers.

#include "core/quizsetup.h"
#include "core/services.h"
#include "core/generationcommand.h"

#include <QImage>
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class TAboutBox;
class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;
class TForm2;
class TImage;
class TShape;

class TForm1 : public QWidget, public IGenerationView
{
    Q_OBJECT
public:
    explicit TForm1(Services& services, const QString& programFolder = ApplicationProgramFolder(),
                    QWidget* parent = nullptr);
    ~TForm1() override;

    void SetAboutBox(TAboutBox* about) { m_about = about; }
    void SetInfoWindow(TForm2* info) { m_info = info; }

    TQuizSetup Setup;

    // The current slot's thumbnail as it looks without the selection frame.
    QImage CleanThumb;

    // Widgets, named as everywhere else in the program.
    QLabel* Label1;
    QLabel* Label2;
    QProgressBar* ProgressBar1;
    QPushButton* Button1;
    QPushButton* Button6;
    QPushButton* Button2;
    TShape* Shape1;
    TShape* Shape2;
    TFileListBox* FileListBox1;
    TDriveComboBox* DriveComboBox1;
    TDirectoryListBox* DirectoryListBox1;
    QPushButton* Button3;
    QPushButton* Button4;
    QLineEdit* Edit1;
    QLabel* Label3;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;
    QPushButton* BitBtn5;
    QPushButton* BitBtn6;
    TImage* Image1;
    TImage* Image2;
    TImage* Image3;
    TImage* Image4;
    TImage* Image5;
    TImage* Image6;
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo2;
    QPlainTextEdit* Memo3;
    QPlainTextEdit* Memo4;
    QPlainTextEdit* Memo5;
    QPlainTextEdit* Memo6;
    TShape* Shape3;
    TShape* Shape4;
    TShape* Shape5;
    TShape* Shape6;
    QLabel* Label5;
    QLabel* Label4;
    QLineEdit* Edit2;
    QCheckBox* CheckBox1;
    QLabel* Label6;
    TImage* Image7;
    QPlainTextEdit* Memo7;

    // Picture box k: thumbnails 1..6, the preview 7.
    TImage* PictureBox(int k) const;

    // Handlers; each shows whatever ends it early in the standard error box.
    void FormShow();
    void ImageClick(int k);
    void Image1Click() { ImageClick(1); }
    void Image2Click() { ImageClick(2); }
    void Image3Click() { ImageClick(3); }
    void Image4Click() { ImageClick(4); }
    void Image5Click() { ImageClick(5); }
    void Image6Click() { ImageClick(6); }
    void DriveComboBox1Change();
    void DirectoryListBox1Change();
    void FileListBox1Change();
    void Button4Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button6Click();
    void Memo7Change();
    void Edit2Change();
    void Memo7Click();

    // The generation command behind Button1, reachable so tests can fix its shuffle.
    GenerationCommand& Generation() { return m_generation; }

    // What the generation command sees of this window.
    QString TitleText() const override;
    void SetTitleText(const QString& text) override;
    void ShowStatus(const QString& text) override;
    int ProgressPosition() const override;
    void SetProgressPosition(int position) override;
    void ShowInfoWindow() override;

    // Window routines, also used by the text editing and the New command.
    void ShowPlaceholders();
    void DrawSlotFrame(int k);

    // A fresh copy of the placeholder picture, ready to draw on.
    static QImage Placeholder();
    // Sets a text from the program: only a different text is set, and then the widget's change
    // handling runs as after typing. The multi-line form takes an answer as stored, with CR LF
    // line breaks, while the widget holds bare LF.
    static void SetTextFromProgram(QLineEdit* edit, const QString& text);
    static void SetTextFromProgram(QPlainTextEdit* memo, const QString& crlfText);
    // A multi-line field's whole text as stored: line breaks as CR LF, nothing else altered.
    static QString StoredText(const QPlainTextEdit* memo);

    static constexpr int ThumbWidth = 113;
    static constexpr int ThumbHeight = 81;
    static constexpr int PreviewWidth = 249;
    static constexpr int PreviewHeight = 169;

protected:
    void FormCreate(const QString& programFolder);
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void ConnectHandlers();
    void SwitchSlot(int k);
    void OpenFolder(const QString& path);
    void FollowFolder();
    void ChoosePicture();
    void ShowInPreview(const QImage& picture);
    void PutCleanThumbBack(int k);

    Services& m_services;
    TAboutBox* m_about = nullptr;
    TForm2* m_info = nullptr;
    std::array<TImage*, 8> m_boxes{};
    bool m_shown = false;
    // Set while the generation runs: the window then takes no input but still repaints.
    bool m_busy = false;
    GenerationCommand m_generation{Setup, *this, m_services};
};
