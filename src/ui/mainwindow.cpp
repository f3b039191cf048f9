#include "ui/mainwindow.h"

#include "ui/aboutdialog.h"
#include "core/quirvelerror.h"
#include "core/instructions.h"
#include "ui/browser.h"
#include "ui/generationinfodialog.h"
#include "jpeg/jpegdecoder.h"
#include "ui/picturebox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTextOption>

#include <exception>
#include <limits>

// Outside any namespace, as the resource initialiser requires; the resources live in a static
// library, so nothing would pull them in otherwise.
static void InitUiResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(ui);
        return true;
    }();
    Q_UNUSED(done);
}

namespace
{

// Outer size of the window; the client area is that minus a standard frame and caption.
constexpr int OuterWidth = 837;
constexpr int OuterHeight = 691;
constexpr int FrameBorder = 4;
constexpr int CaptionHeight = 19;

const QString Caption = QStringLiteral("  Создание теста-викторины  QUIRVEL 1.1");
const QString NewCaption = QStringLiteral(" Внимание! ");
const QString NewQuestion = QStringLiteral(" Вы хотите создавать новую викторину?  ");
const QString CrLf = QStringLiteral("\r\n");

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
        return true;
    default:
        return false;
    }
}

QFont PixelFont(const QFont& base, int pixels, bool bold = false, bool italic = false)
{
    QFont f = base;
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void SetTextColour(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

void CentreText(QPlainTextEdit* memo)
{
    QTextOption option = memo->document()->defaultTextOption();
    option.setAlignment(Qt::AlignHCenter);
    memo->document()->setDefaultTextOption(option);
}

// The case-sensitive test of the picked file's extension: only ".jpg" and ".JPG" pass.
bool HasPictureExtension(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString ext = name.mid(dot);
    return ext == QLatin1String(".jpg") || ext == QLatin1String(".JPG");
}

} // namespace

TForm1::TForm1(Services& services, const QString& programFolder, QWidget* parent)
    : QWidget(parent), m_services(services)
{
    InitUiResources();
    setObjectName(QStringLiteral("Form1"));
    BuildLayout();
    ConnectHandlers();
    FormCreate(programFolder);
}

TForm1::~TForm1() = default;

void TForm1::BuildLayout()
{
    setWindowTitle(Caption);
    resize(OuterWidth - 2 * FrameBorder, OuterHeight - 2 * FrameBorder - CaptionHeight);
    QFont windowFont = font();
    windowFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    windowFont.setPixelSize(11);
    setFont(windowFont);

    auto place = [this](auto* w, const char* name, int left, int top, int width, int height) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(left, top, width, height);
        return w;
    };
    auto label = [&](const char* name, const QString& text, int l, int t, int w, int h) {
        auto* lbl = place(new QLabel(text, this), name, l, t, w, h);
        lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return lbl;
    };
    auto button = [&](const char* name, const QString& text, int l, int t, int w, int h) {
        return place(new QPushButton(text, this), name, l, t, w, h);
    };
    auto sizedToText = [](QLabel* lbl) {
        const QPoint at = lbl->pos();
        lbl->adjustSize();
        lbl->move(at);
    };

    Label1 = label("Label1", QStringLiteral("QUIRVEL"), 24, 16, 186, 37);
    Label1->setFont(PixelFont(windowFont, 32, false, true));
    SetTextColour(Label1, Qt::blue);
    sizedToText(Label1);

    Label2 = label("Label2", QStringLiteral("Выбирай картинки, делай подписи, жми генерацию..."),
                   240, 16, 232, 32);
    Label2->setFont(PixelFont(windowFont, 13));
    Label2->setWordWrap(true);
    SetTextColour(Label2, Qt::red);

    ProgressBar1 = place(new QProgressBar(this), "ProgressBar1", 240, 48, 233, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Button1 = button("Button1", QStringLiteral("Генерация - просмотр"), 488, 16, 201, 49);
    Button1->setFont(PixelFont(windowFont, 16, true));
    Button6 = button("Button6", QStringLiteral("New"), 712, 24, 43, 33);
    Button2 = button("Button2", QStringLiteral("Info"), 768, 24, 41, 33);

    Shape1 = place(new TShape(this), "Shape1", 24, 72, 785, 1);
    Shape2 = place(new TShape(this), "Shape2", 232, 72, 1, 577);

    FileListBox1 = place(new TFileListBox(this), "FileListBox1", 24, 88, 193, 273);
    DriveComboBox1 = place(new TDriveComboBox(this), "DriveComboBox1", 24, 384, 193, 19);
    DirectoryListBox1 = place(new TDirectoryListBox(this), "DirectoryListBox1", 24, 424, 193, 169);
    Button3 = button("Button3", QStringLiteral("Инструкция"), 24, 616, 97, 25);
    Button4 = button("Button4", QStringLiteral("Выход"), 144, 616, 75, 25);

    Edit1 = place(new QLineEdit(this), "Edit1", 248, 88, 393, 24);
    Edit1->setFont(PixelFont(windowFont, 13, true));
    Edit1->setMaxLength(std::numeric_limits<int>::max());
    Label3 = label("Label3", QStringLiteral("<- Название викторины"), 648, 88, 154, 16);
    Label3->setFont(PixelFont(windowFont, 13));
    sizedToText(Label3);

    // Slots 1, 3, 5 on the left, 2, 4, 6 on the right, one row per pair.
    std::array<QPushButton*, 6> bitBtns{};
    std::array<TImage*, 6> thumbs{};
    std::array<QPlainTextEdit*, 6> copies{};
    static const char* const bitBtnNames[] = {"BitBtn1", "BitBtn2", "BitBtn3",
                                              "BitBtn4", "BitBtn5", "BitBtn6"};
    static const char* const imageNames[] = {"Image1", "Image2", "Image3",
                                             "Image4", "Image5", "Image6"};
    static const char* const memoNames[] = {"Memo1", "Memo2", "Memo3", "Memo4", "Memo5", "Memo6"};
    for (int i = 0; i < 6; ++i) {
        const int column = i % 2;
        const int top = 120 + 96 * (i / 2);
        auto* glyphButton =
            place(new QPushButton(this), bitBtnNames[i], 248 + 160 * column, top, 25, 25);
        glyphButton->setIcon(QIcon(QStringLiteral(":/ui/glyph%1").arg(i + 1)));
        glyphButton->setIconSize(QSize(21, 21));
        bitBtns[size_t(i)] = glyphButton;
        thumbs[size_t(i)] = place(new TImage(this), imageNames[i], 272 + 160 * column, top,
                                  ThumbWidth, ThumbHeight);
        auto* copy =
            place(new QPlainTextEdit(this), memoNames[i], 576 + 128 * column, top + 24, 97, 57);
        copy->setReadOnly(true);
        copy->setTabChangesFocus(true);
        if (i < 2)
            copy->setFont(PixelFont(windowFont, 8));
        CentreText(copy);
        copies[size_t(i)] = copy;
    }
    std::tie(BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6) =
        std::tuple(bitBtns[0], bitBtns[1], bitBtns[2], bitBtns[3], bitBtns[4], bitBtns[5]);
    std::tie(Image1, Image2, Image3, Image4, Image5, Image6) =
        std::tuple(thumbs[0], thumbs[1], thumbs[2], thumbs[3], thumbs[4], thumbs[5]);
    std::tie(Memo1, Memo2, Memo3, Memo4, Memo5, Memo6) =
        std::tuple(copies[0], copies[1], copies[2], copies[3], copies[4], copies[5]);

    Shape3 = place(new TShape(this), "Shape3", 248, 408, 569, 1);
    Shape6 = place(new TShape(this), "Shape6", 248, 648, 569, 1);
    Shape4 = place(new TShape(this), "Shape4", 248, 408, 1, 241);
    Shape5 = place(new TShape(this), "Shape5", 816, 408, 1, 241);

    Label5 =
        label("Label5", QStringLiteral("Картинка и описание  - соответствие"), 352, 408, 319, 20);
    Label5->setFont(PixelFont(windowFont, 16, true));
    Label5->setAutoFillBackground(true);
    SetTextColour(Label5, QColor(0, 0, 128));
    sizedToText(Label5);
    Label4 = label("Label4", QStringLiteral("N1"), 264, 416, 41, 33);
    Label4->setFont(PixelFont(windowFont, 24, true));

    Edit2 = place(new QLineEdit(this), "Edit2", 312, 432, 201, 24);
    Edit2->setFont(PixelFont(windowFont, 13));
    Edit2->setMaxLength(std::numeric_limits<int>::max());
    CheckBox1 =
        place(new QCheckBox(QStringLiteral("Один ко всем"), this), "CheckBox1", 528, 432, 97, 17);
    CheckBox1->setChecked(false);
    Label6 = label("Label6", QStringLiteral("<- Вопрос к картинке        Ответ к картинке    "),
                   528, 448, 286, 16);
    Label6->setFont(PixelFont(windowFont, 13));
    sizedToText(Label6);

    Image7 = place(new TImage(this), "Image7", 264, 464, PreviewWidth, PreviewHeight);
    Memo7 = place(new QPlainTextEdit(this), "Memo7", 536, 472, 265, 153);
    QFont arial = PixelFont(windowFont, 16, true);
    arial.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                       QStringLiteral("DejaVu Sans")});
    Memo7->setFont(arial);
    Memo7->setTabChangesFocus(true);
    CentreText(Memo7);

    // The title stays above the slot area's edges it overlaps.
    Label5->raise();

    for (QWidget* w : std::initializer_list<QWidget*>{Label1, Label2, ProgressBar1, Shape1, Shape2,
                                                      Label3, Shape3, Shape4, Shape5, Shape6,
                                                      Label5, Label4, Label6, Image7})
        w->setFocusPolicy(Qt::NoFocus);
    for (TImage* thumb : thumbs)
        thumb->setFocusPolicy(Qt::NoFocus);

    const QList<QWidget*> focusOrder{Button1,      Button2,        DirectoryListBox1,
                                     FileListBox1, DriveComboBox1, Memo1,
                                     Edit1,        Memo2,          Memo3,
                                     Memo4,        Memo5,          Memo6,
                                     Memo7,        BitBtn1,        BitBtn2,
                                     BitBtn3,      BitBtn4,        BitBtn5,
                                     BitBtn6,      Button3,        Button4,
                                     Edit2,        Button6,        CheckBox1};
    for (qsizetype i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i - 1], focusOrder[i]);
}

void TForm1::ConnectHandlers()
{
    const std::array<TImage*, 6> thumbs{Image1, Image2, Image3, Image4, Image5, Image6};
    for (int k = 1; k <= 6; ++k)
        connect(thumbs[size_t(k - 1)], &TImage::clicked, this, [this, k] { ImageClick(k); });
    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this,
            [this] { DriveComboBox1Change(); });
    connect(DirectoryListBox1, &TDirectoryListBox::openRequested, this,
            [this](const QString& path) {
                Guarded(m_services.dialogs, [&] {
                    if (path.isEmpty() || path == DirectoryListBox1->Directory())
                        return;
                    DirectoryListBox1->SetDirectory(path);
                    // A folder may lie on another mounted volume: the drive box shows where the
                    // browser is, without running its own handler.
                    {
                        const QSignalBlocker quiet(DriveComboBox1);
                        DriveComboBox1->SetDriveOf(path);
                    }
                    FollowFolder();
                });
            });
    connect(FileListBox1, &TFileListBox::selectionMoved, this, [this] { FileListBox1Change(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    // textChanged fires for typing and for texts set by the program alike, and only when the text
    // really changed, so both kinds of change take the same road.
    connect(Memo7, &QPlainTextEdit::textChanged, this, [this] { Memo7Change(); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { Edit2Change(); });
    Memo7->viewport()->installEventFilter(this);
}

void TForm1::FormCreate(const QString& programFolder)
{
    Setup.Initialise(programFolder);
    for (int k = 1; k <= 7; ++k)
        m_boxes[size_t(k)] = findChild<TImage*>(QStringLiteral("Image%1").arg(k));
    CleanThumb = QImage();

    // The browser starts where the process stands.
    Guarded(m_services.dialogs, [this] {
        const QString here = QDir::currentPath();
        DriveComboBox1->SetDriveOf(here);
        DirectoryListBox1->SetDirectory(here);
        FileListBox1->SetDirectory(here);
    });
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPoint centre = screen->availableGeometry().center();
        move(centre.x() - OuterWidth / 2, centre.y() - OuterHeight / 2);
    }
    FormShow();
}

TImage* TForm1::PictureBox(int k) const
{
    if (k < 1 || k > 7 || !m_boxes[size_t(k)])
        throw QuirvelError(QStringLiteral("Нет окна картинки с номером %1").arg(k));
    return m_boxes[size_t(k)];
}

QImage TForm1::Placeholder()
{
    InitUiResources();
    QImage picture(QStringLiteral(":/ui/PICNOT"));
    if (picture.isNull())
        throw QuirvelError(QStringLiteral("Не найдена картинка-заглушка PICNOT"));
    return picture.convertToFormat(QImage::Format_RGB32);
}

void TForm1::ShowPlaceholders()
{
    for (int k = 1; k <= 7; ++k)
        PictureBox(k)->SetPicture(Placeholder());
}

void TForm1::DrawSlotFrame(int k)
{
    if (k < 1 || k > 6)
        throw QuirvelError(QStringLiteral("Нет ячейки с номером %1").arg(k));
    TImage* thumb = PictureBox(k);
    QImage& bitmap = thumb->Canvas();
    if (bitmap.format() != QImage::Format_RGB32)
        bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&bitmap);
        // AND with pure red: only the picture's red survives under the frame.
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.setPen(QPen(QColor(255, 0, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPoint path[] = {{2, 0}, {2, 78}, {110, 78}, {110, 2}, {0, 2}};
        painter.drawPolyline(path, 5);
    }
    thumb->Changed();
}

void TForm1::FormShow()
{
    Guarded(m_services.dialogs, [this] {
        Setup.SelectSlot(1);
        ShowPlaceholders();
        CleanThumb = Image1->Picture().copy();
        DrawSlotFrame(1);
    });
}

void TForm1::ImageClick(int k)
{
    Guarded(m_services.dialogs, [this, k] { SwitchSlot(k); });
}

void TForm1::PutCleanThumbBack(int k)
{
    if (!CleanThumb.isNull())
        PictureBox(k)->SetPicture(CleanThumb.copy());
}

void TForm1::ShowInPreview(const QImage& picture)
{
    // Painting then never has to rescale a large picture.
    Image7->SetPicture(
        picture.scaled(PreviewWidth, PreviewHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

void TForm1::SwitchSlot(int k)
{
    const TQuizSlot& slot = Setup.Slot(k);
    Label4->setText(QStringLiteral("N%1").arg(k));
    PutCleanThumbBack(Setup.CurrentSlot);
    Setup.SelectSlot(k);
    CleanThumb = PictureBox(k)->Picture().copy();
    DrawSlotFrame(k);

    // A picture that has gone since it was chosen does not stop the switch: the slot's texts
    // still come up, and only then is the failure reported.
    std::exception_ptr previewFailure;
    if (slot.Chosen) {
        try {
            ShowInPreview(
                DecodeJpegFileStretched(slot.PicturePath, {QSize(PreviewWidth, PreviewHeight)})
                    .first());
        } catch (...) {
            Image7->SetPicture(Placeholder());
            previewFailure = std::current_exception();
        }
    } else {
        Image7->SetPicture(Placeholder());
    }
    SetTextFromProgram(Memo7, slot.Answer);
    SetTextFromProgram(Edit2, slot.Question);
    if (previewFailure)
        std::rethrow_exception(previewFailure);
}

void TForm1::SetTextFromProgram(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void TForm1::SetTextFromProgram(QPlainTextEdit* memo, const QString& crlfText)
{
    if (StoredText(memo) == crlfText)
        return;
    QString shown = crlfText;
    shown.replace(CrLf, QLatin1String("\n"));
    memo->setPlainText(shown);
}

QString TForm1::StoredText(const QPlainTextEdit* memo)
{
    // The raw text keeps non-breaking spaces, which the plain-text form would turn into blanks.
    QString text = memo->document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), CrLf);
    text.replace(QChar(QChar::LineSeparator), CrLf);
    return text;
}

void TForm1::Memo7Change()
{
    Guarded(m_services.dialogs, [this] {
        Setup.SetAnswer(StoredText(Memo7));
        const std::array<QPlainTextEdit*, 6> copies{Memo1, Memo2, Memo3, Memo4, Memo5, Memo6};
        SetTextFromProgram(copies[size_t(Setup.CurrentSlot - 1)], Setup.Current().Answer);
    });
}

void TForm1::Edit2Change()
{
    Guarded(m_services.dialogs,
            [this] { Setup.SetQuestion(Edit2->text(), CheckBox1->isChecked()); });
}

void TForm1::Memo7Click()
{
    Guarded(m_services.dialogs, [this] { SetTextFromProgram(Memo7, Setup.Current().Answer); });
}

void TForm1::Button6Click()
{
    Guarded(m_services.dialogs, [this] {
        if (!m_services.dialogs.YesNo(NewCaption, NewQuestion))
            return;
        Setup.Reset();
        ShowPlaceholders();
        CleanThumb = Image1->Picture().copy();
        DrawSlotFrame(1);
        Label4->setText(QStringLiteral("N1"));
        // Emptying Memo7 and Edit2 runs their handlers, which agree with the emptied quiz.
        for (QPlainTextEdit* memo : {Memo1, Memo2, Memo3, Memo4, Memo5, Memo6, Memo7})
            SetTextFromProgram(memo, QString());
        SetTextFromProgram(Edit1, QString());
        SetTextFromProgram(Edit2, QString());
    });
}

void TForm1::Button2Click()
{
    Guarded(m_services.dialogs, [this] {
        if (m_about)
            m_about->exec();
    });
}

void TForm1::Button3Click()
{
    Guarded(m_services.dialogs, [this] {
        OpenInstructions(Setup.ProgramFolder, m_services.shell, m_services.dialogs);
    });
}

void TForm1::Button1Click()
{
    // The pauses keep painting but hold user input back; the filter swallows that input, both
    // what arrives during the run and what is still queued when it ends, so none of it acts later.
    m_busy = true;
    qApp->installEventFilter(this);
    Guarded(m_services.dialogs, [this] { m_generation.Run(); });
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    m_busy = false;
}

QString TForm1::TitleText() const
{
    return Edit1->text();
}

void TForm1::SetTitleText(const QString& text)
{
    SetTextFromProgram(Edit1, text);
}

void TForm1::ShowStatus(const QString& text)
{
    Label2->setText(text);
    Label2->repaint();
}

int TForm1::ProgressPosition() const
{
    return ProgressBar1->value();
}

void TForm1::SetProgressPosition(int position)
{
    ProgressBar1->setValue(position);
    ProgressBar1->repaint();
}

void TForm1::ShowInfoWindow()
{
    if (m_info)
        m_info->exec();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (m_busy && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this) {
            if (IsUserInput(event->type()))
                return true;
            // The close box is input too; closing mid-run would pull the window from under it.
            if (widget == this && event->type() == QEvent::Close) {
                event->ignore();
                return true;
            }
        }
    }
    if (watched == Memo7->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        Memo7Click();
    return QWidget::eventFilter(watched, event);
}

void TForm1::DriveComboBox1Change()
{
    Guarded(m_services.dialogs, [this] {
        DirectoryListBox1->SetDirectory(DriveComboBox1->Drive());
        FollowFolder();
    });
}

void TForm1::DirectoryListBox1Change()
{
    Guarded(m_services.dialogs, [this] { FollowFolder(); });
}

void TForm1::FollowFolder()
{
    FileListBox1->SetDirectory(DirectoryListBox1->Directory());
    // A re-read selects nothing, which the choice handler sees as an empty pick.
    ChoosePicture();
}

void TForm1::FileListBox1Change()
{
    Guarded(m_services.dialogs, [this] { ChoosePicture(); });
}

void TForm1::ChoosePicture()
{
    Setup.CurrentFile = FileListBox1->FileName();
    if (!HasPictureExtension(Setup.CurrentFile))
        return;

    // One decode serves the preview and the thumbnail; if it fails, the slot keeps everything.
    // Stretched while decoding, so the full-size picture is never held.
    const QList<QImage> copies = DecodeJpegFileStretched(
        Setup.CurrentFile, {QSize(PreviewWidth, PreviewHeight), QSize(ThumbWidth, ThumbHeight)});
    ShowInPreview(copies[0]);

    TImage* thumb = PictureBox(Setup.CurrentSlot);
    QImage& bitmap = thumb->Canvas();
    if (bitmap.isNull())
        bitmap = Placeholder();
    {
        // Stretched to the box's full height; the bitmap is a row shorter, so the last row is cut.
        QPainter painter(&bitmap);
        painter.drawImage(0, 0, copies[1]);
    }
    CleanThumb = bitmap.copy();
    DrawSlotFrame(Setup.CurrentSlot);
    Setup.SetPicture(Setup.CurrentFile);
}

void TForm1::Button4Click()
{
    Guarded(m_services.dialogs, [this] {
        CleanThumb = QImage();
        close();
    });
}
