// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"

#include "core/draftoffer.h"
#include "core/draftstore.h"
#include "core/generatedquiz.h"
#include "core/instructions.h"
#include "core/quirvelerror.h"
#include "core/quizrecovery.h"
#include "ui/aboutdialog.h"
#include "ui/fonts.h"
#include "ui/generationinfodialog.h"
#include "ui/inputhold.h"
#include "ui/picturebrowser.h"
#include "ui/rule.h"
#include "ui/slotpanel.h"
#include "ui/slotstrip.h"
#include "ui/textfields.h"
#include "ui/windowaccess.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QTimer>

#include <exception>
#include <limits>
#include <optional>

namespace
{

// Outer size of the window; the client area is that minus a standard frame and caption.
constexpr int OuterWidth = 837;
constexpr int OuterHeight = 691;
constexpr int FrameBorder = 4;
constexpr int CaptionHeight = 19;

// Where the widgets and parts sit in the client area. A label sized to its text keeps only the
// top-left corner of its rectangle; a part's children are placed within it.
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
constexpr QPoint PictureBrowser(24, 88);
constexpr QRect Instructions(24, 616, 97, 25);
constexpr QRect Exit(144, 616, 75, 25);
constexpr QRect TitleEdit(248, 88, 393, 24);
constexpr QRect TitleCaption(648, 88, 154, 16);
constexpr QPoint SlotStrip(248, 120);
constexpr QPoint SlotPanel(248, 408);
} // namespace At

// The order Tab visits the widgets in, whichever part holds them.
const char* const FocusOrder[] = {
    "generateButton", "infoButton",   "folderList",  "fileList",      "driveCombo",
    "answerCopy1",    "titleEdit",    "answerCopy2", "answerCopy3",   "answerCopy4",
    "answerCopy5",    "answerCopy6",  "answerEdit",  "slotButton1",   "slotButton2",
    "slotButton3",    "slotButton4",  "slotButton5", "slotButton6",   "instructionsButton",
    "exitButton",     "questionEdit", "newButton",   "oneForAllCheck"};

const QString Caption = QStringLiteral("  Создание теста-викторины  QUIRVEL 1.1");
const QString NewCaption = QStringLiteral(" Внимание! ");
const QString NewQuestion = QStringLiteral(" Вы хотите создавать новую викторину?  ");
const QString OpenCaption = QStringLiteral("Открыть викторину");
const QString OpenQuestion =
    QStringLiteral("Открыть викторину? То, что сейчас в окне, будет заменено.");
const QString PageName = QStringLiteral("start.htm");
const QString SkippedText =
    QStringLiteral("Берутся только картинки с расширением .jpg или .JPG. Не взяты:");
const QString EmptySlotsText =
    QStringLiteral("Картинки нет или она не читается, ячейки остались пустыми: %1");
const QString ExitQuestion = QStringLiteral("Изменения не сгенерированы. Выйти без сохранения?");
const QString BadDraftText =
    QStringLiteral("Несгенерированную викторину не удалось прочитать, её файл отложен:");
const QString GoneDraftPicturesText = QStringLiteral(
    "Этих картинок нет, они не читаются или изменились, их ячейки остались пустыми:");

const QString NoFolderTip = QStringLiteral("Сначала сгенерируйте или откройте викторину");
const QString NoFolderSuffix = QStringLiteral(" (сначала сгенерируйте)");
const QString ExportsTip =
    QStringLiteral("Правый щелчок: открыть, сохранить одним файлом, SCORM, печать");
const QString SavedStatus = QStringLiteral("Сохранено: %1");
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

// At most a few draft writes a second, whatever is typed.
constexpr int DraftDelayMilliseconds = 300;

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
    setObjectName(QStringLiteral("MainWindow"));
    buildLayout();
    connectHandlers();

    m_setup.initialise(places);
    if (!places.draftsFolder.isEmpty())
        m_drafts = std::make_unique<DraftStore>(places.draftsFolder);
    m_draftTimer = new QTimer(this);
    m_draftTimer->setSingleShot(true);
    m_draftTimer->setInterval(DraftDelayMilliseconds);
    connect(m_draftTimer, &QTimer::timeout, this, &MainWindow::updateDraft);
    // At the end of the desktop session the window closes without a question; the draft stays for
    // the next start.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::updateDraft);
    m_pictureBrowser->startIn(PictureBrowser::startFolder(places.quizzesInDocuments));
}

MainWindow::~MainWindow() = default;

void MainWindow::buildLayout()
{
    setWindowTitle(Caption);
    // The layout is fixed, so a larger window would only add an empty grey area.
    setFixedSize(OuterWidth - 2 * FrameBorder, OuterHeight - 2 * FrameBorder - CaptionHeight);
    const QFont windowFont = Fonts::windowFont(font());
    setFont(windowFont);

    using Fonts::label, Fonts::placed, Fonts::sizeToText;
    auto button = [this](QAnyStringView name, const QString& text, const QRect& geometry) {
        return placed(new QPushButton(text, this), name, geometry);
    };

    m_programNameLabel =
        label(this, "programNameLabel", QStringLiteral("QUIRVEL"), At::ProgramName);
    m_programNameLabel->setFont(Fonts::pixelFont(windowFont, 32, false, true));
    Fonts::setTextColour(m_programNameLabel, Qt::blue);
    sizeToText(m_programNameLabel);

    m_statusLabel =
        label(this, "statusLabel",
              QStringLiteral("Выбирай картинки, делай подписи, жми генерацию..."), At::Status);
    m_statusLabel->setFont(Fonts::pixelFont(windowFont, 13));
    m_statusLabel->setWordWrap(true);
    Fonts::setTextColour(m_statusLabel, Qt::red);

    m_progressBar = placed(new QProgressBar(this), "progressBar", At::Progress);
    m_progressBar->setRange(0, GenerationCommand::ProgressMaximum);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);

    m_generateButton =
        button("generateButton", QStringLiteral("Генерация - просмотр"), At::Generate);
    m_generateButton->setFont(Fonts::pixelFont(windowFont, 16, true));
    m_newButton = button("newButton", QStringLiteral("New"), At::New);
    m_infoButton = button("infoButton", QStringLiteral("Info"), At::Info);

    m_headerRule = placed(new Rule(this), "headerRule", At::HeaderRule);
    m_browserRule = placed(new Rule(this), "browserRule", At::BrowserRule);

    m_pictureBrowser = new PictureBrowser(m_services.dialogs, this);
    m_pictureBrowser->move(At::PictureBrowser);
    m_instructionsButton =
        button("instructionsButton", QStringLiteral("Инструкция"), At::Instructions);
    m_exitButton = button("exitButton", QStringLiteral("Выход"), At::Exit);

    m_titleEdit = placed(new QLineEdit(this), "titleEdit", At::TitleEdit);
    m_titleEdit->setFont(Fonts::pixelFont(windowFont, 13, true));
    m_titleEdit->setMaxLength(std::numeric_limits<int>::max());
    m_titleCaption =
        label(this, "titleCaption", QStringLiteral("<- Название викторины"), At::TitleCaption);
    m_titleCaption->setFont(Fonts::pixelFont(windowFont, 13));
    sizeToText(m_titleCaption);

    m_slotStrip = new SlotStrip(this);
    m_slotStrip->move(At::SlotStrip);
    m_slotPanel = new SlotPanel(this);
    m_slotPanel->move(At::SlotPanel);

    for (QWidget* w :
         std::initializer_list<QWidget*>{m_programNameLabel, m_statusLabel, m_progressBar,
                                         m_headerRule, m_browserRule, m_titleCaption})
        w->setFocusPolicy(Qt::NoFocus);

    QWidget* previous = nullptr;
    for (const char* name : FocusOrder) {
        QWidget* next = findChild<QWidget*>(QLatin1String(name));
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    }
}

void MainWindow::connectHandlers()
{
    connect(m_slotStrip, &SlotStrip::thumbnailClicked, this, &MainWindow::chooseSlot);
    connect(m_pictureBrowser, &PictureBrowser::fileChosen, this, &MainWindow::choosePicture);
    connect(m_exitButton, &QPushButton::clicked, this, &MainWindow::exitProgram);
    connect(m_generateButton, &QPushButton::clicked, this, &MainWindow::generateQuiz);
    connect(m_infoButton, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(m_instructionsButton, &QPushButton::clicked, this, &MainWindow::showInstructions);
    connect(m_newButton, &QPushButton::clicked, this, &MainWindow::startNewQuiz);
    connect(m_slotPanel, &SlotPanel::answerEdited, this, &MainWindow::storeAnswer);
    connect(m_slotPanel, &SlotPanel::questionEdited, this, &MainWindow::storeQuestion);
    connect(m_slotPanel, &SlotPanel::answerClicked, this, &MainWindow::showStoredAnswer);
    connect(m_titleEdit, &QLineEdit::textChanged, this, &MainWindow::noteChange);

    buildContextMenu();
    WindowAccess::install(this, m_setup, m_contextMenu);

    // Files dropped anywhere on the window are the window's: the thumbnails name their slot, and
    // the text fields, which take dropped text, hand dropped files over through the filter.
    setAcceptDrops(true);
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        if (w->acceptDrops())
            w->installEventFilter(this);
}

void MainWindow::buildContextMenu()
{
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(QStringLiteral("contextMenu"));
    m_contextMenu->setToolTipsVisible(true);
    m_openAction = m_contextMenu->addAction(QStringLiteral("Открыть викторину…"));
    m_openAction->setObjectName(QStringLiteral("openAction"));
    m_openAction->setShortcut(QKeySequence::Open);
    // Also on the window, so the shortcut works while the menu is closed.
    addAction(m_openAction);
    connect(m_openAction, &QAction::triggered, this, &MainWindow::openQuiz);
    m_contextMenu->addSeparator();
    QAction** exportActions[] = {&m_exportPageAction, &m_exportScormAction, &m_printSheetAction};
    for (int i = 0; i < 3; ++i) {
        const ExportChoice& choice = ExportChoices[i];
        QAction* action = m_contextMenu->addAction(choice.text);
        action->setObjectName(QLatin1String(choice.objectName));
        connect(action, &QAction::triggered, this,
                [this, kind = choice.kind] { exportHeldQuiz(kind); });
        *exportActions[i] = action;
    }
    connect(m_contextMenu, &QMenu::aboutToShow, this, &MainWindow::enableExports);
}

void MainWindow::enableExports()
{
    const bool held = holdsItsFolder();
    QAction* actions[] = {m_exportPageAction, m_exportScormAction, m_printSheetAction};
    for (int i = 0; i < 3; ++i) {
        actions[i]->setEnabled(held);
        // A greyed entry says why in its own text: tooltips are easily missed.
        actions[i]->setText(ExportChoices[i].text + (held ? QString() : NoFolderSuffix));
        actions[i]->setToolTip(held ? QString() : NoFolderTip);
    }
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_inputHold)
        return;
    m_contextMenu->popup(event->globalPos());
}

void MainWindow::exportHeldQuiz(QuizExport kind)
{
    const QString folder = QDir::cleanPath(heldFolder());
    if (m_inputHold || folder.isEmpty())
        return;
    const ExportChoice& choice = exportChoice(kind);
    const QString caption = QString(choice.text).remove(QChar(u'…'));
    std::optional<QString> file;
    guarded(m_services.dialogs, [&] {
        const QFileInfo quiz(folder);
        file = m_services.dialogs.saveFile(
            caption, QDir(quiz.absolutePath()).filePath(quiz.fileName() + choice.extension),
            choice.filter);
        if (file && QFileInfo::exists(*file) &&
            !m_services.dialogs.yesNo(NewCaption, ReplaceQuestion.arg(QFileInfo(*file).fileName()),
                                      false))
            file.reset();
    });
    if (!file)
        return;
    m_inputHold = std::make_unique<InputHold>(this);
    QCoreApplication::processEvents();
    guarded(m_services.dialogs, [&] {
        const QStringList notices = exportQuiz(kind, folder, *file, m_setup.suppliedFolder);
        // What was cut in a picture is worth more than the file name, but both fit two lines.
        showStatus((QStringList{SavedStatus.arg(QFileInfo(*file).fileName())} + notices)
                       .join(QLatin1Char('\n')));
    });
    QCoreApplication::processEvents();
    m_inputHold.reset();
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
        m_slotStrip->showPlaceholders();
        m_slotPanel->clearPreview();
        m_slotStrip->frameSlot(1);
    });
}

const QImage& MainWindow::cleanThumbnail() const
{
    return m_slotStrip->cleanThumbnail();
}

void MainWindow::chooseSlot(int k)
{
    guarded(m_services.dialogs, [this, k] { switchSlot(k); });
    noteChange();
}

void MainWindow::switchSlot(int k)
{
    const QuizSlot& slot = m_setup.slot(k);
    m_slotStrip->frameSlot(k);
    m_setup.selectSlot(k);

    // A picture that has gone since it was chosen does not stop the switch: the slot's texts
    // still come up, and only then is the failure reported.
    std::exception_ptr previewFailure;
    if (slot.chosen) {
        try {
            m_slotPanel->setPreview(m_keptPictures.fresh(k, slot.picturePath).preview);
        } catch (...) {
            m_slotPanel->clearPreview();
            previewFailure = std::current_exception();
        }
    } else {
        m_slotPanel->clearPreview();
    }
    m_slotPanel->showSlot(k, slot);
    if (previewFailure)
        std::rethrow_exception(previewFailure);
}

void MainWindow::storeAnswer()
{
    guarded(m_services.dialogs, [this] {
        m_setup.setAnswer(m_slotPanel->storedAnswer());
        m_slotStrip->setAnswerCopy(m_setup.currentSlot, m_setup.current().answer);
    });
    noteChange();
}

void MainWindow::storeQuestion()
{
    guarded(m_services.dialogs,
            [this] { m_setup.setQuestion(m_slotPanel->question(), m_slotPanel->oneForAll()); });
    noteChange();
}

void MainWindow::showStoredAnswer()
{
    guarded(m_services.dialogs, [this] { m_slotPanel->showAnswer(m_setup.current().answer); });
}

void MainWindow::startNewQuiz()
{
    guarded(m_services.dialogs, [this] {
        if (!m_services.dialogs.yesNo(NewCaption, NewQuestion))
            return;
        holdFolder(QString());
        if (m_drafts)
            m_drafts->remove();
        m_setup.reset();
        m_keptPictures.forgetAll();
        m_slotStrip->showPlaceholders();
        m_slotPanel->clearPreview();
        m_slotStrip->frameSlot(1);
        // Emptying the answer and question fields runs their handlers, which agree with the
        // emptied quiz.
        for (int k = 1; k <= SlotCount; ++k)
            m_slotStrip->setAnswerCopy(k, QString());
        setTextFromProgram(m_titleEdit, QString());
        m_slotPanel->showSlot(1, m_setup.slot(1));
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
    // The pauses keep painting but hold user input back, both what arrives during the run and
    // what is still queued when it ends, so none of it acts later.
    m_inputHold = std::make_unique<InputHold>(this);
    auto outcome = GenerationCommand::Outcome::Failed;
    guarded(m_services.dialogs, [&] { outcome = m_generation.run(); });
    if (outcome == GenerationCommand::Outcome::Placed) {
        // Over empty space: the exports are otherwise found only by a right click.
        setToolTip(ExportsTip);
        holdFolder(m_setup.quizFolder());
        if (m_drafts)
            m_drafts->remove();
    } else if (outcome == GenerationCommand::Outcome::Failed) {
        holdFolder(QString());
    }
    QCoreApplication::processEvents();
    m_inputHold.reset();
}

QString MainWindow::titleText() const
{
    return m_titleEdit->text();
}

void MainWindow::setTitleText(const QString& text)
{
    setTextFromProgram(m_titleEdit, text);
}

void MainWindow::showStatus(const QString& text)
{
    m_statusLabel->setText(text);
    m_statusLabel->repaint();
}

int MainWindow::progressPosition() const
{
    return m_progressBar->value();
}

void MainWindow::setProgressPosition(int position)
{
    m_progressBar->setValue(position);
    m_progressBar->repaint();
}

void MainWindow::showInfoWindow()
{
    if (m_info)
        m_info->exec();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (takeDrag(watched, event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void MainWindow::choosePicture(const QString& path)
{
    guarded(m_services.dialogs, [&] { takeFile(path); });
    noteChange();
    namePartialPictures();
}

// A picture shown grey below a cut would otherwise pass for a whole one.
void MainWindow::namePartialPictures()
{
    const QString text = m_keptPictures.takeNotices();
    if (!text.isEmpty())
        m_services.dialogs.message(text);
}

void MainWindow::takeFile(const QString& path)
{
    m_setup.currentFile = path;
    if (!hasPictureExtension(m_setup.currentFile))
        return;

    // If the decode fails, the slot keeps everything.
    const KeptPictures::Copies& copies = m_keptPictures.take(m_setup.currentSlot, path);
    m_slotPanel->setPreview(copies.preview);
    m_slotStrip->paintPicture(m_setup.currentSlot, copies.thumbnail);
    m_setup.setPicture(m_setup.currentFile);
}

// Drags that carry files are taken wherever they arrive in the window; others, such as text
// dragged between the fields, are left to the widget under them.
bool MainWindow::takeDrag(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (m_inputHold || !watched->isWidgetType() ||
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
        const int onThumbnail = m_slotStrip->slotAt(widget);
        dropUrls(drop->mimeData()->urls(), onThumbnail ? onThumbnail : m_setup.currentSlot);
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
    noteChange();
    if (lastFilled != 0 && lastFilled != m_setup.currentSlot)
        chooseSlot(lastFilled);
    namePartialPictures();
    if (!skipped.isEmpty())
        m_services.dialogs.message(SkippedText + QLatin1Char('\n') +
                                   skipped.join(QLatin1Char('\n')));
}

void MainWindow::openQuiz()
{
    // Shortcuts are matched before any widget sees the key, so the input hold cannot keep this
    // one back.
    if (m_inputHold)
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
    if (!m_titleEdit->text().isEmpty())
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
    const QString unrepaired = recoverQuizFolder(
        QFileInfo(path).isDir() ? path : QFileInfo(path).path(), m_services.shell);
    if (!unrepaired.isEmpty())
        m_services.dialogs.message(unrepaired);
    const GeneratedQuiz quiz = readGeneratedQuiz(path);
    if (holdsComposition() && !m_services.dialogs.yesNo(OpenCaption, OpenQuestion))
        return;
    showReopened(quiz);
}

// Each slot gets its picture only where the picture can be shown.
void MainWindow::showReopened(const GeneratedQuiz& quiz)
{
    adoptReopened(m_setup, quiz, m_setup.quizzesFolder);
    m_keptPictures.forgetAll();
    m_slotStrip->showPlaceholders();
    m_slotPanel->clearPreview();
    QStringList emptySlots;
    for (int k = 1; k <= SlotCount; ++k) {
        QuizSlot& slot = m_setup.slot(k);
        m_slotStrip->setAnswerCopy(k, slot.answer);
        const QString picture = QDir(quiz.folder).filePath(QStringLiteral("%1.jpg").arg(k));
        try {
            if (!QFileInfo(picture).isFile())
                throw QuirvelError(picture);
            const KeptPictures::Copies& copies = m_keptPictures.take(k, picture);
            m_slotStrip->paintPicture(k, copies.thumbnail);
            if (k == 1)
                m_slotPanel->setPreview(copies.preview);
            slot.picturePath = picture;
            slot.chosen = true;
        } catch (const std::exception&) {
            emptySlots << QString::number(k);
        }
    }
    m_slotStrip->frameSlot(1);
    // Set as they were stored: the one-for-all box must not copy slot 1's question.
    m_slotPanel->showSlot(1, m_setup.slot(1), true);
    setTextFromProgram(m_titleEdit, m_setup.title);
    m_generation.rememberQuizPage(quiz.folder);
    // With a slot left empty the window no longer holds what the folder does.
    holdFolder(emptySlots.isEmpty() ? quiz.folder : QString());
    updateDraft();
    if (!emptySlots.isEmpty())
        m_services.dialogs.message(EmptySlotsText.arg(emptySlots.join(QStringLiteral(", "))));
    namePartialPictures();
}

void MainWindow::exitProgram()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (qApp->isSavingSession()) {
        updateDraft();
    } else if (holdsUnsavedWork() && !m_services.dialogs.yesNo(NewCaption, ExitQuestion, false)) {
        event->ignore();
        return;
    } else {
        m_draftTimer->stop();
        if (m_drafts)
            m_drafts->remove();
    }
    m_slotStrip->releaseCleanThumbnail();
    event->accept();
}

QuizDraft MainWindow::currentWork() const
{
    QuizDraft work;
    work.titleText = m_titleEdit->text();
    for (int k = 1; k <= SlotCount; ++k) {
        const QuizSlot& slot = m_setup.slot(k);
        work.quizSlots[size_t(k - 1)] = {slot.chosen ? slot.picturePath : QString(), slot.question,
                                         slot.answer};
        if (slot.chosen && m_keptPictures.file(k).path == slot.picturePath)
            work.pictureFiles[size_t(k - 1)] = m_keptPictures.file(k);
    }
    work.currentSlot = m_setup.currentSlot;
    work.oneForAll = m_slotPanel->oneForAll();
    work.folderName = m_setup.folderName;
    work.asksFolderName = m_setup.firstGeneration;
    return work;
}

QString MainWindow::heldFolder() const
{
    return !m_folder.isEmpty() && currentWork().sameWorkAs(m_folderWork) ? m_folder : QString();
}

bool MainWindow::holdsUnsavedWork() const
{
    const QuizDraft work = currentWork();
    return !work.isEmpty() && (m_folder.isEmpty() || !work.sameWorkAs(m_folderWork));
}

void MainWindow::holdFolder(const QString& folder)
{
    m_folder = folder;
    m_folderWork = folder.isEmpty() ? QuizDraft() : currentWork();
}

void MainWindow::noteChange()
{
    if (m_drafts && !m_draftTimer->isActive())
        m_draftTimer->start();
}

void MainWindow::updateDraft()
{
    m_draftTimer->stop();
    if (!m_drafts)
        return;
    if (holdsUnsavedWork())
        m_drafts->save(currentWork());
    else
        m_drafts->remove();
}

void MainWindow::offerDraft()
{
    if (!m_drafts)
        return;
    guarded(m_services.dialogs, [this] {
        QStringList renamedAside;
        const QList<DraftStore::Orphan> orphans = m_drafts->orphans(renamedAside);
        if (!renamedAside.isEmpty())
            m_services.dialogs.message(BadDraftText + QLatin1Char('\n') +
                                       renamedAside.join(QLatin1Char('\n')));
        if (const auto chosen = offerOrphanedDrafts(orphans, m_services.dialogs)) {
            showDraft(chosen->draft);
            DraftStore::discard(chosen->path);
        }
    });
}

// As a reopen shows a quiz folder; a picture that has gone since leaves its slot empty.
void MainWindow::showDraft(const QuizDraft& draft)
{
    m_setup.reset();
    m_setup.folderName = draft.folderName;
    m_setup.firstGeneration = draft.asksFolderName;
    m_setup.currentSlot = draft.currentSlot;
    m_keptPictures.forgetAll();
    m_slotStrip->showPlaceholders();
    m_slotPanel->clearPreview();
    QStringList gone;
    for (int k = 1; k <= SlotCount; ++k) {
        const QuizDraft::Slot& saved = draft.quizSlots[size_t(k - 1)];
        QuizSlot& slot = m_setup.slot(k);
        slot.question = saved.question;
        slot.answer = saved.answer;
        m_slotStrip->setAnswerCopy(k, slot.answer);
        if (saved.picturePath.isEmpty())
            continue;
        try {
            // A picture changed since is not the one the work had.
            const FileIdentity& file = draft.pictureFiles[size_t(k - 1)];
            if (file.isValid() && FileIdentity::of(saved.picturePath) != file)
                throw QuirvelError(saved.picturePath);
            const KeptPictures::Copies& copies = m_keptPictures.take(k, saved.picturePath);
            m_slotStrip->paintPicture(k, copies.thumbnail);
            if (k == draft.currentSlot)
                m_slotPanel->setPreview(copies.preview);
            slot.picturePath = saved.picturePath;
            slot.chosen = true;
        } catch (const std::exception&) {
            gone << QStringLiteral("Картинка %1 (%2)").arg(k).arg(saved.picturePath);
        }
    }
    m_slotStrip->frameSlot(draft.currentSlot);
    m_slotPanel->setOneForAll(draft.oneForAll);
    m_slotPanel->showSlot(draft.currentSlot, m_setup.current(), true);
    setTextFromProgram(m_titleEdit, draft.titleText);
    holdFolder(QString());
    updateDraft();
    if (!gone.isEmpty())
        m_services.dialogs.message(GoneDraftPicturesText + QLatin1Char('\n') +
                                   gone.join(QLatin1Char('\n')));
}
