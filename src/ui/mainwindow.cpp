#include "ui/mainwindow.h"

#include "core/instructions.h"
#include "core/quirvelerror.h"
#include "jpeg/jpegdecoder.h"
#include "ui/aboutdialog.h"
#include "ui/drivecombobox.h"
#include "ui/filelistbox.h"
#include "ui/folderlistbox.h"
#include "ui/generationinfodialog.h"
#include "ui/picturebox.h"
#include "ui/slotframe.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTextOption>

#include <algorithm>
#include <exception>
#include <iterator>
#include <limits>
#include <optional>

// Outside any namespace, as the resource initialiser requires; the resources live in a static
// library, so nothing would pull them in otherwise.
static void initUiResources()
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

// Where the widgets sit in the client area. A label sized to its text keeps only the top-left
// corner of its rectangle.
namespace At
{
constexpr QRect ProgramName(24, 16, 186, 37);
constexpr QRect Status(240, 16, 232, 32);
constexpr QRect Progress(240, 48, 233, 16);
constexpr QRect Generate(488, 16, 201, 49);
constexpr QRect New(712, 24, 43, 33);
constexpr QRect Info(768, 24, 41, 33);
constexpr QRect HeaderRule(24, 72, 785, 1);
constexpr QRect BrowserRule(232, 72, 1, 577);
constexpr QRect FileList(24, 88, 193, 273);
constexpr QRect DriveCombo(24, 384, 193, 19);
constexpr QRect FolderList(24, 424, 193, 169);
constexpr QRect Instructions(24, 616, 97, 25);
constexpr QRect Exit(144, 616, 75, 25);
constexpr QRect TitleEdit(248, 88, 393, 24);
constexpr QRect TitleCaption(648, 88, 154, 16);
// Slots 1, 3, 5 on the left, 2, 4, 6 on the right, one row per pair; i counts from 0.
constexpr int slotLeft(int i, int left, int columnStep)
{
    return left + columnStep * (i % 2);
}
constexpr int slotTop(int i)
{
    return 120 + 96 * (i / 2);
}
constexpr QRect slotButton(int i)
{
    return {slotLeft(i, 248, 160), slotTop(i), 25, 25};
}
constexpr QRect thumbnail(int i)
{
    return {QPoint(slotLeft(i, 272, 160), slotTop(i)), MainWindow::ThumbnailSize};
}
constexpr QRect answerCopy(int i)
{
    return {slotLeft(i, 576, 128), slotTop(i) + 24, 97, 57};
}
// The frame around the current slot's area: top, bottom, left and right edge.
constexpr QRect SlotFrames[] = {
    {248, 408, 569, 1}, {248, 648, 569, 1}, {248, 408, 1, 241}, {816, 408, 1, 241}};
constexpr QRect SlotAreaCaption(352, 408, 319, 20);
constexpr QRect SlotNumber(264, 416, 41, 33);
constexpr QRect QuestionEdit(312, 432, 201, 24);
constexpr QRect OneForAll(528, 432, 97, 17);
constexpr QRect TextsCaption(528, 448, 286, 16);
constexpr QRect Preview(QPoint(264, 464), MainWindow::PreviewSize);
constexpr QRect AnswerEdit(536, 472, 265, 153);
} // namespace At

// The selection frame: a 3-pixel stroke whose middle runs this far inside the thumbnail's edges.
constexpr int SlotFrameInset = 2;

const QString Caption = QStringLiteral("  Создание теста-викторины  QUIRVEL 1.1");
const QString NewCaption = QStringLiteral(" Внимание! ");
const QString NewQuestion = QStringLiteral(" Вы хотите создавать новую викторину?  ");
const QString CrLf = QStringLiteral("\r\n");
const QString OpenCaption = QStringLiteral("Открыть викторину");
const QString PageName = QStringLiteral("start.htm");
const QString SkippedText =
    QStringLiteral("Берутся только картинки с расширением .jpg или .JPG. Не взяты:");
const QString EmptySlotsText =
    QStringLiteral("Картинки нет или она не читается, ячейки остались пустыми: %1");

bool isUserInput(QEvent::Type type)
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
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

QFont pixelFont(const QFont& base, int pixels, bool bold = false, bool italic = false)
{
    QFont f = base;
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

void setTextColour(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

void centreText(QPlainTextEdit* memo)
{
    QTextOption option = memo->document()->defaultTextOption();
    option.setAlignment(Qt::AlignHCenter);
    memo->document()->setDefaultTextOption(option);
}

// The case-sensitive test of the picked file's extension: only ".jpg" and ".JPG" pass.
bool hasPictureExtension(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString ext = name.mid(dot);
    return ext == QLatin1String(".jpg") || ext == QLatin1String(".JPG");
}

// A lone quiz folder or quiz page dropped on the window is reopened rather than taken as pictures.
bool isQuizPlace(const QString& path)
{
    const QFileInfo place(path);
    if (place.isDir())
        return QFileInfo(QDir(path).filePath(PageName)).isFile();
    return place.fileName() == PageName;
}

QString shownName(const QUrl& url)
{
    if (!url.isLocalFile())
        return url.toDisplayString();
    const QString path = QDir::cleanPath(url.toLocalFile());
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

} // namespace

MainWindow::MainWindow(Services& services, const QString& folder, QWidget* parent)
    : MainWindow(services, ProgramPlaces::inOneFolder(folder), parent)
{
}

MainWindow::MainWindow(Services& services, const ProgramPlaces& places, QWidget* parent)
    : QWidget(parent), m_services(services)
{
    initUiResources();
    setObjectName(QStringLiteral("MainWindow"));
    buildLayout();
    connectHandlers();

    m_setup.initialise(places);
    m_cleanThumbnail = QImage();
    // The browser starts where the process stands.
    guarded(m_services.dialogs, [this] {
        const QString here = QDir::currentPath();
        driveCombo->setDriveOf(here);
        folderList->setDirectory(here);
        fileList->setDirectory(here);
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildLayout()
{
    setWindowTitle(Caption);
    resize(OuterWidth - 2 * FrameBorder, OuterHeight - 2 * FrameBorder - CaptionHeight);
    QFont windowFont = font();
    windowFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    windowFont.setPixelSize(11);
    setFont(windowFont);

    auto place = [](auto* w, QAnyStringView name, const QRect& geometry) {
        w->setObjectName(name.toString());
        w->setGeometry(geometry);
        return w;
    };
    auto label = [&](QAnyStringView name, const QString& text, const QRect& geometry) {
        auto* lbl = place(new QLabel(text, this), name, geometry);
        lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return lbl;
    };
    auto button = [&](QAnyStringView name, const QString& text, const QRect& geometry) {
        return place(new QPushButton(text, this), name, geometry);
    };
    auto sizedToText = [](QLabel* lbl) {
        const QPoint at = lbl->pos();
        lbl->adjustSize();
        lbl->move(at);
    };

    programNameLabel = label("programNameLabel", QStringLiteral("QUIRVEL"), At::ProgramName);
    programNameLabel->setFont(pixelFont(windowFont, 32, false, true));
    setTextColour(programNameLabel, Qt::blue);
    sizedToText(programNameLabel);

    statusLabel =
        label("statusLabel", QStringLiteral("Выбирай картинки, делай подписи, жми генерацию..."),
              At::Status);
    statusLabel->setFont(pixelFont(windowFont, 13));
    statusLabel->setWordWrap(true);
    setTextColour(statusLabel, Qt::red);

    progressBar = place(new QProgressBar(this), "progressBar", At::Progress);
    progressBar->setRange(0, GenerationCommand::ProgressMaximum);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);

    generateButton = button("generateButton", QStringLiteral("Генерация - просмотр"), At::Generate);
    generateButton->setFont(pixelFont(windowFont, 16, true));
    newButton = button("newButton", QStringLiteral("New"), At::New);
    infoButton = button("infoButton", QStringLiteral("Info"), At::Info);

    headerRule = place(new SlotFrame(this), "headerRule", At::HeaderRule);
    browserRule = place(new SlotFrame(this), "browserRule", At::BrowserRule);

    fileList = place(new FileListBox(this), "fileList", At::FileList);
    driveCombo = place(new DriveComboBox(this), "driveCombo", At::DriveCombo);
    folderList = place(new FolderListBox(this), "folderList", At::FolderList);
    instructionsButton =
        button("instructionsButton", QStringLiteral("Инструкция"), At::Instructions);
    exitButton = button("exitButton", QStringLiteral("Выход"), At::Exit);

    titleEdit = place(new QLineEdit(this), "titleEdit", At::TitleEdit);
    titleEdit->setFont(pixelFont(windowFont, 13, true));
    titleEdit->setMaxLength(std::numeric_limits<int>::max());
    titleCaption = label("titleCaption", QStringLiteral("<- Название викторины"), At::TitleCaption);
    titleCaption->setFont(pixelFont(windowFont, 13));
    sizedToText(titleCaption);

    for (int i = 0; i < SlotCount; ++i) {
        const int k = i + 1;
        auto* glyphButton =
            place(new QPushButton(this), QStringLiteral("slotButton%1").arg(k), At::slotButton(i));
        glyphButton->setIcon(QIcon(QStringLiteral(":/ui/glyph%1").arg(k)));
        glyphButton->setIconSize(QSize(21, 21));
        slotButtons[size_t(i)] = glyphButton;
        thumbnails[size_t(i)] =
            place(new PictureBox(this), QStringLiteral("thumbnail%1").arg(k), At::thumbnail(i));
        auto* copy = place(new QPlainTextEdit(this), QStringLiteral("answerCopy%1").arg(k),
                           At::answerCopy(i));
        copy->setReadOnly(true);
        copy->setTabChangesFocus(true);
        if (i < 2)
            copy->setFont(pixelFont(windowFont, 8));
        centreText(copy);
        answerCopies[size_t(i)] = copy;
    }

    for (size_t i = 0; i < slotFrames.size(); ++i)
        slotFrames[i] =
            place(new SlotFrame(this), QStringLiteral("slotFrame%1").arg(i + 1), At::SlotFrames[i]);

    slotAreaCaption =
        label("slotAreaCaption", QStringLiteral("Картинка и описание  - соответствие"),
              At::SlotAreaCaption);
    slotAreaCaption->setFont(pixelFont(windowFont, 16, true));
    slotAreaCaption->setAutoFillBackground(true);
    setTextColour(slotAreaCaption, QColor(0, 0, 128));
    sizedToText(slotAreaCaption);
    slotNumberLabel = label("slotNumberLabel", QStringLiteral("N1"), At::SlotNumber);
    slotNumberLabel->setFont(pixelFont(windowFont, 24, true));

    questionEdit = place(new QLineEdit(this), "questionEdit", At::QuestionEdit);
    questionEdit->setFont(pixelFont(windowFont, 13));
    questionEdit->setMaxLength(std::numeric_limits<int>::max());
    oneForAllCheck =
        place(new QCheckBox(QStringLiteral("Один ко всем"), this), "oneForAllCheck", At::OneForAll);
    oneForAllCheck->setChecked(false);
    textsCaption =
        label("textsCaption", QStringLiteral("<- Вопрос к картинке        Ответ к картинке    "),
              At::TextsCaption);
    textsCaption->setFont(pixelFont(windowFont, 13));
    sizedToText(textsCaption);

    preview = place(new PictureBox(this), "preview", At::Preview);
    answerEdit = place(new QPlainTextEdit(this), "answerEdit", At::AnswerEdit);
    QFont arial = pixelFont(windowFont, 16, true);
    arial.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                       QStringLiteral("DejaVu Sans")});
    answerEdit->setFont(arial);
    answerEdit->setTabChangesFocus(true);
    centreText(answerEdit);

    // The caption stays above the slot area's edges it overlaps.
    slotAreaCaption->raise();

    for (QWidget* w : std::initializer_list<QWidget*>{
             programNameLabel, statusLabel, progressBar, headerRule, browserRule, titleCaption,
             slotFrames[0], slotFrames[2], slotFrames[3], slotFrames[1], slotAreaCaption,
             slotNumberLabel, textsCaption, preview})
        w->setFocusPolicy(Qt::NoFocus);
    for (PictureBox* thumb : thumbnails)
        thumb->setFocusPolicy(Qt::NoFocus);

    QList<QWidget*> focusOrder{generateButton, infoButton,      folderList, fileList,
                               driveCombo,     answerCopies[0], titleEdit};
    for (size_t i = 1; i < answerCopies.size(); ++i)
        focusOrder << answerCopies[i];
    focusOrder << answerEdit;
    for (QPushButton* b : slotButtons)
        focusOrder << b;
    focusOrder << instructionsButton << exitButton << questionEdit << newButton << oneForAllCheck;
    for (qsizetype i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i - 1], focusOrder[i]);
}

void MainWindow::connectHandlers()
{
    for (int k = 1; k <= SlotCount; ++k)
        connect(thumbnails[size_t(k - 1)], &PictureBox::clicked, this,
                [this, k] { chooseSlot(k); });
    connect(driveCombo, &QComboBox::currentIndexChanged, this, [this] { openChosenDrive(); });
    connect(folderList, &FolderListBox::openRequested, this, &MainWindow::openFolder);
    connect(fileList, &FileListBox::selectionMoved, this, [this] { choosePicture(); });
    connect(exitButton, &QPushButton::clicked, this, [this] { exitProgram(); });
    connect(generateButton, &QPushButton::clicked, this, [this] { generateQuiz(); });
    connect(infoButton, &QPushButton::clicked, this, [this] { showAbout(); });
    connect(instructionsButton, &QPushButton::clicked, this, [this] { showInstructions(); });
    connect(newButton, &QPushButton::clicked, this, [this] { startNewQuiz(); });
    // textChanged fires for typing and for texts set by the program alike, and only when the text
    // really changed, so both kinds of change take the same road.
    connect(answerEdit, &QPlainTextEdit::textChanged, this, [this] { storeAnswer(); });
    connect(questionEdit, &QLineEdit::textChanged, this, [this] { storeQuestion(); });
    answerEdit->viewport()->installEventFilter(this);

    auto* open = new QShortcut(QKeySequence::Open, this);
    open->setObjectName(QStringLiteral("openShortcut"));
    connect(open, &QShortcut::activated, this, [this] { openQuiz(); });

    // Files dropped anywhere on the window are the window's: the thumbnails name their slot, and
    // the text fields, which take dropped text, hand dropped files over through the filter.
    setAcceptDrops(true);
    for (PictureBox* thumb : thumbnails)
        thumb->setAcceptDrops(true);
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        if (w->acceptDrops())
            w->installEventFilter(this);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPoint centre = screen->availableGeometry().center();
        move(centre.x() - OuterWidth / 2, centre.y() - OuterHeight / 2);
    }
    showEmptyQuiz();
}

// The first showing: slot 1 framed, every box with the placeholder.
void MainWindow::showEmptyQuiz()
{
    guarded(m_services.dialogs, [this] {
        m_setup.selectSlot(1);
        showPlaceholders();
        m_cleanThumbnail = thumbnail(1)->picture().copy();
        drawSlotFrame(1);
    });
}

PictureBox* MainWindow::thumbnail(int k) const
{
    if (k < 1 || k > SlotCount)
        throw QuirvelError(QStringLiteral("Нет окна картинки с номером %1").arg(k));
    return thumbnails[size_t(k - 1)];
}

QImage MainWindow::placeholder()
{
    initUiResources();
    QImage picture(QStringLiteral(":/ui/PICNOT"));
    if (picture.isNull())
        throw QuirvelError(QStringLiteral("Не найдена картинка-заглушка PICNOT"));
    return picture.convertToFormat(QImage::Format_RGB32);
}

void MainWindow::showPlaceholders()
{
    for (PictureBox* thumb : thumbnails)
        thumb->setPicture(placeholder());
    preview->setPicture(placeholder());
}

void MainWindow::drawSlotFrame(int k)
{
    if (k < 1 || k > SlotCount)
        throw QuirvelError(QStringLiteral("Нет ячейки с номером %1").arg(k));
    PictureBox* thumb = thumbnail(k);
    QImage& bitmap = thumb->canvas();
    if (bitmap.format() != QImage::Format_RGB32)
        bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&bitmap);
        // AND with pure red: only the picture's red survives under the frame.
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.setPen(QPen(QColor(255, 0, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        // Down the left edge, along the bottom, up the right and back along the top, ending at
        // the box's own edge.
        const int right = ThumbnailSize.width() - 1 - SlotFrameInset;
        const int bottom = ThumbnailSize.height() - 1 - SlotFrameInset;
        const QPoint path[] = {{SlotFrameInset, 0},
                               {SlotFrameInset, bottom},
                               {right, bottom},
                               {right, SlotFrameInset},
                               {0, SlotFrameInset}};
        painter.drawPolyline(path, int(std::size(path)));
    }
    thumb->canvasChanged();
}

void MainWindow::chooseSlot(int k)
{
    guarded(m_services.dialogs, [this, k] { switchSlot(k); });
}

void MainWindow::restoreCleanThumbnail(int k)
{
    if (!m_cleanThumbnail.isNull())
        thumbnail(k)->setPicture(m_cleanThumbnail.copy());
}

void MainWindow::showInPreview(const QImage& picture)
{
    // Painting then never has to rescale a large picture.
    preview->setPicture(picture.scaled(PreviewSize, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

void MainWindow::switchSlot(int k)
{
    const QuizSlot& slot = m_setup.slot(k);
    slotNumberLabel->setText(QStringLiteral("N%1").arg(k));
    restoreCleanThumbnail(m_setup.currentSlot);
    m_setup.selectSlot(k);
    m_cleanThumbnail = thumbnail(k)->picture().copy();
    drawSlotFrame(k);

    // A picture that has gone since it was chosen does not stop the switch: the slot's texts
    // still come up, and only then is the failure reported.
    std::exception_ptr previewFailure;
    if (slot.chosen) {
        try {
            showInPreview(decodeJpegFileStretched(slot.picturePath, {PreviewSize}).first());
        } catch (...) {
            preview->setPicture(placeholder());
            previewFailure = std::current_exception();
        }
    } else {
        preview->setPicture(placeholder());
    }
    setTextFromProgram(answerEdit, slot.answer);
    setTextFromProgram(questionEdit, slot.question);
    if (previewFailure)
        std::rethrow_exception(previewFailure);
}

void MainWindow::setTextFromProgram(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void MainWindow::setTextFromProgram(QPlainTextEdit* edit, const QString& crlfText)
{
    if (storedText(edit) == crlfText)
        return;
    QString shown = crlfText;
    shown.replace(CrLf, QLatin1String("\n"));
    edit->setPlainText(shown);
}

QString MainWindow::storedText(const QPlainTextEdit* edit)
{
    // The raw text keeps non-breaking spaces, which the plain-text form would turn into blanks.
    QString text = edit->document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), CrLf);
    text.replace(QChar(QChar::LineSeparator), CrLf);
    return text;
}

void MainWindow::storeAnswer()
{
    guarded(m_services.dialogs, [this] {
        m_setup.setAnswer(storedText(answerEdit));
        setTextFromProgram(answerCopies[size_t(m_setup.currentSlot - 1)], m_setup.current().answer);
    });
}

void MainWindow::storeQuestion()
{
    guarded(m_services.dialogs,
            [this] { m_setup.setQuestion(questionEdit->text(), oneForAllCheck->isChecked()); });
}

void MainWindow::showStoredAnswer()
{
    guarded(m_services.dialogs,
            [this] { setTextFromProgram(answerEdit, m_setup.current().answer); });
}

void MainWindow::startNewQuiz()
{
    guarded(m_services.dialogs, [this] {
        if (!m_services.dialogs.yesNo(NewCaption, NewQuestion))
            return;
        m_setup.reset();
        showPlaceholders();
        m_cleanThumbnail = thumbnail(1)->picture().copy();
        drawSlotFrame(1);
        slotNumberLabel->setText(QStringLiteral("N1"));
        // Emptying the answer and question fields runs their handlers, which agree with the
        // emptied quiz.
        for (QPlainTextEdit* copy : answerCopies)
            setTextFromProgram(copy, QString());
        setTextFromProgram(answerEdit, QString());
        setTextFromProgram(titleEdit, QString());
        setTextFromProgram(questionEdit, QString());
    });
}

void MainWindow::showAbout()
{
    guarded(m_services.dialogs, [this] {
        if (m_about)
            m_about->exec();
    });
}

void MainWindow::showInstructions()
{
    guarded(m_services.dialogs, [this] {
        openInstructions(m_setup.suppliedFolder, m_services.shell, m_services.dialogs);
    });
}

void MainWindow::generateQuiz()
{
    // The pauses keep painting but hold user input back; the filter swallows that input, both
    // what arrives during the run and what is still queued when it ends, so none of it acts later.
    m_busy = true;
    qApp->installEventFilter(this);
    guarded(m_services.dialogs, [this] { m_generation.run(); });
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    m_busy = false;
}

QString MainWindow::titleText() const
{
    return titleEdit->text();
}

void MainWindow::setTitleText(const QString& text)
{
    setTextFromProgram(titleEdit, text);
}

void MainWindow::showStatus(const QString& text)
{
    statusLabel->setText(text);
    statusLabel->repaint();
}

int MainWindow::progressPosition() const
{
    return progressBar->value();
}

void MainWindow::setProgressPosition(int position)
{
    progressBar->setValue(position);
    progressBar->repaint();
}

void MainWindow::showInfoWindow()
{
    if (m_info)
        m_info->exec();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (m_busy && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this) {
            if (isUserInput(event->type()))
                return true;
            // The close box is input too; closing mid-run would pull the window from under it.
            if (widget == this && event->type() == QEvent::Close) {
                event->ignore();
                return true;
            }
        }
    }
    if (takeDrag(watched, event))
        return true;
    if (watched == answerEdit->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        showStoredAnswer();
    return QWidget::eventFilter(watched, event);
}

void MainWindow::openChosenDrive()
{
    guarded(m_services.dialogs, [this] {
        folderList->setDirectory(driveCombo->drive());
        followFolder();
    });
}

void MainWindow::openFolder(const QString& path)
{
    guarded(m_services.dialogs, [&] {
        if (path.isEmpty() || path == folderList->directory())
            return;
        folderList->setDirectory(path);
        // A folder may lie on another mounted volume: the drive box shows where the browser is,
        // without running its own handler.
        {
            const QSignalBlocker quiet(driveCombo);
            driveCombo->setDriveOf(path);
        }
        followFolder();
    });
}

void MainWindow::followFolder()
{
    fileList->setDirectory(folderList->directory());
    // A re-read selects nothing, which the choice handler sees as an empty pick.
    takeChosenFile();
}

void MainWindow::choosePicture()
{
    guarded(m_services.dialogs, [this] { takeChosenFile(); });
}

void MainWindow::takeChosenFile()
{
    takeFile(fileList->fileName());
}

void MainWindow::takeFile(const QString& path)
{
    m_setup.currentFile = path;
    if (!hasPictureExtension(m_setup.currentFile))
        return;

    // One decode serves the preview and the thumbnail; if it fails, the slot keeps everything.
    // Stretched while decoding, so the full-size picture is never held.
    const QList<QImage> copies =
        decodeJpegFileStretched(m_setup.currentFile, {PreviewSize, ThumbnailSize});
    showInPreview(copies[0]);
    paintThumbnail(m_setup.currentSlot, copies[1]);
    m_cleanThumbnail = thumbnail(m_setup.currentSlot)->picture().copy();
    drawSlotFrame(m_setup.currentSlot);
    m_setup.setPicture(m_setup.currentFile);
}

void MainWindow::paintThumbnail(int k, const QImage& picture)
{
    PictureBox* thumb = thumbnail(k);
    QImage& bitmap = thumb->canvas();
    if (bitmap.isNull())
        bitmap = placeholder();
    {
        // Stretched to the box's full height; the bitmap is a row shorter, so the last row is cut.
        QPainter painter(&bitmap);
        painter.drawImage(0, 0, picture);
    }
    thumb->canvasChanged();
}

// Drags that carry files are taken wherever they arrive in the window; others, such as text
// dragged between the fields, are left to the widget under them.
bool MainWindow::takeDrag(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (m_busy || !watched->isWidgetType() ||
        (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop))
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    auto* drop = static_cast<QDropEvent*>(event);
    if (widget->window() != this || !drop->mimeData() || !drop->mimeData()->hasUrls())
        return false;
    // The files stay where they are: a move offered by the file manager would delete them.
    if (!(drop->possibleActions() & Qt::CopyAction))
        return false;
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        const auto at = std::find(thumbnails.begin(), thumbnails.end(), widget);
        const int target =
            at == thumbnails.end() ? m_setup.currentSlot : int(at - thumbnails.begin()) + 1;
        dropUrls(drop->mimeData()->urls(), target);
    }
    return true;
}

// Each picture goes into its slot as if the slot had been clicked and the file picked in the
// list; a failure there is reported and the next file goes on into the next slot.
void MainWindow::dropUrls(const QList<QUrl>& urls, int targetSlot)
{
    if (urls.size() == 1 && urls.first().isLocalFile() && isQuizPlace(urls.first().toLocalFile())) {
        reopenQuiz(urls.first().toLocalFile());
        return;
    }
    QStringList skipped;
    int next = targetSlot;
    int lastFilled = 0;
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        if (!url.isLocalFile() || QFileInfo(path).isDir() || !hasPictureExtension(path)) {
            skipped << shownName(url);
            continue;
        }
        if (next > SlotCount)
            continue;
        const int k = next++;
        chooseSlot(k);
        guarded(m_services.dialogs, [&] {
            takeFile(path);
            lastFilled = k;
        });
    }
    if (lastFilled != 0 && lastFilled != m_setup.currentSlot)
        chooseSlot(lastFilled);
    if (!skipped.isEmpty())
        m_services.dialogs.message(SkippedText + QLatin1Char('\n') +
                                   skipped.join(QLatin1Char('\n')));
}

void MainWindow::openQuiz()
{
    // Shortcuts are matched before any widget sees the key, so the input filter cannot hold
    // this one back.
    if (m_busy)
        return;
    guarded(m_services.dialogs, [this] {
        const std::optional<QString> folder =
            m_services.dialogs.chooseFolder(OpenCaption, m_setup.quizzesFolder);
        if (folder)
            reopen(*folder);
    });
}

void MainWindow::reopenQuiz(const QString& path)
{
    guarded(m_services.dialogs, [&] { reopen(path); });
}

bool MainWindow::holdsComposition() const
{
    if (!titleEdit->text().isEmpty())
        return true;
    for (int k = 1; k <= SlotCount; ++k) {
        const QuizSlot& slot = m_setup.slot(k);
        if (slot.chosen || !slot.picturePath.isEmpty() || !slot.question.isEmpty() ||
            !slot.answer.isEmpty())
            return true;
    }
    return false;
}

// The page is read and checked before anything is asked or changed, so a refused folder leaves
// the window as it was.
void MainWindow::reopen(const QString& path)
{
    const QFileInfo given(path);
    if (!given.exists())
        throw QuirvelError(QStringLiteral("Не найдена папка викторины «%1»").arg(path));
    const QString folder = given.isDir() ? given.absoluteFilePath() : given.absolutePath();
    const QString page = given.isDir() ? QDir(folder).filePath(PageName) : given.absoluteFilePath();
    // Only a plain file is read: a pipe or a device under the page's name would never end.
    if (!QFileInfo(page).isFile())
        throw QuirvelError(
            QStringLiteral("В папке «%1» нет страницы викторины %2").arg(folder, PageName));
    const QuizPageContents contents = readQuizPage(page);
    // Every page this program writes names its pictures k.jpg.
    for (const QString& extension : contents.extensions)
        if (extension != QLatin1String("jpg"))
            throw QuirvelError(QStringLiteral("Файл «%1» не является страницей викторины, "
                                              "созданной программой QUIRVEL, или был изменён")
                                   .arg(page));
    if (holdsComposition() && !m_services.dialogs.yesNo(NewCaption, NewQuestion))
        return;
    showReopened(contents, folder);
}

void MainWindow::showReopened(const QuizPageContents& page, const QString& folder)
{
    m_setup.reset();
    showPlaceholders();
    QStringList emptySlots;
    for (int k = 1; k <= SlotCount; ++k) {
        QuizSlot& slot = m_setup.slot(k);
        slot.question = page.questions[size_t(k - 1)];
        slot.answer = page.answers[size_t(k - 1)];
        setTextFromProgram(answerCopies[size_t(k - 1)], slot.answer);
        const QString picture = QDir(folder).filePath(QStringLiteral("%1.jpg").arg(k));
        try {
            if (!QFileInfo(picture).isFile())
                throw QuirvelError(picture);
            const QList<QImage> copies =
                decodeJpegFileStretched(picture, {ThumbnailSize, k == 1 ? PreviewSize : QSize()});
            paintThumbnail(k, copies[0]);
            if (k == 1)
                showInPreview(copies[1]);
            slot.picturePath = picture;
            slot.chosen = true;
        } catch (const std::exception&) {
            emptySlots << QString::number(k);
        }
    }
    m_cleanThumbnail = thumbnail(1)->picture().copy();
    drawSlotFrame(1);
    slotNumberLabel->setText(QStringLiteral("N1"));
    {
        // Set as they were stored: the one-for-all box must not copy slot 1's question.
        const QSignalBlocker quietAnswer(answerEdit);
        const QSignalBlocker quietQuestion(questionEdit);
        setTextFromProgram(answerEdit, m_setup.slot(1).answer);
        setTextFromProgram(questionEdit, m_setup.slot(1).question);
    }
    setTextFromProgram(titleEdit, page.title);
    m_setup.title = page.title;

    // A quiz among the program's own is rewritten in place; one from elsewhere gets a new folder
    // next time, as after New.
    const QFileInfo quiz(QFileInfo(folder).canonicalFilePath());
    if (quiz.absolutePath() == QDir(m_setup.quizzesFolder).canonicalPath()) {
        m_setup.folderName = quiz.fileName();
        m_setup.firstGeneration = false;
    } else {
        m_setup.folderName.clear();
    }
    if (!emptySlots.isEmpty())
        m_services.dialogs.message(EmptySlotsText.arg(emptySlots.join(QStringLiteral(", "))));
}

void MainWindow::exitProgram()
{
    guarded(m_services.dialogs, [this] {
        m_cleanThumbnail = QImage();
        close();
    });
}
