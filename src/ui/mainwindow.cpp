// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"

#include "core/draftoffer.h"
#include "core/draftstore.h"
#include "core/generatedquiz.h"
#include "core/instructions.h"
#include "core/quirvelerror.h"
#include "core/quizrecovery.h"
#include "core/texts.h"
#include "core/unsavedwork.h"
#include "ui/aboutdialog.h"
#include "ui/filedropfilter.h"
#include "ui/fonts.h"
#include "ui/generationinfodialog.h"
#include "ui/inputgate.h"
#include "ui/mainwindowgeometry.h"
#include "ui/offeredpictures.h"
#include "ui/picturebrowser.h"
#include "ui/quizmenu.h"
#include "ui/rule.h"
#include "ui/slotmenu.h"
#include "ui/slotpanel.h"
#include "ui/slotstrip.h"
#include "ui/texts.h"
#include "ui/windowaccess.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>

#include <limits>
#include <optional>

using namespace MainWindowGeometry;

namespace
{

QPushButton* button(QWidget* window, QAnyStringView name, const QString& text,
                    const QRect& geometry)
{
    return Fonts::placed(new QPushButton(text, window), name, geometry);
}

// Converted pictures live beside the drafts.
QString convertedFolder(const ProgramPlaces& places)
{
    const QString drafts =
        places.draftsFolder.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                  QStringLiteral("/drafts")
            : places.draftsFolder;
    return QFileInfo(QDir::cleanPath(drafts)).dir().filePath(QStringLiteral("pictures"));
}

} // namespace

MainWindow::MainWindow(Services& services, const ProgramPlaces& places, QWidget* parent)
    : QWidget(parent), m_services(services)
{
    setObjectName(QStringLiteral("MainWindow"));
    buildLayout();
    m_editor = new QuizEditor(m_services.dialogs, m_titleEdit, m_slotStrip, m_slotPanel,
                              convertedFolder(places), this);
    m_editor->setup().initialise(places);
    m_generation = std::make_unique<GenerationCommand>(
        m_editor->setup(), static_cast<IGenerationView&>(*this), m_services);
    m_unsavedWork = new UnsavedWork(
        [this] { return m_editor->work(); },
        places.draftsFolder.isEmpty() ? nullptr : std::make_unique<DraftStore>(places.draftsFolder),
        this);
    m_quizMenu = new QuizMenu(
        this, m_services.dialogs, [this] { return heldFolder(); },
        [this] { return setup().suppliedFolder; });
    connectHandlers();
    m_pictureBrowser->startIn(PictureBrowser::startFolder(places.quizzesInDocuments));
}

MainWindow::~MainWindow() = default;

void MainWindow::buildLayout()
{
    setWindowTitle(UiText::WindowCaption);
    // The layout is fixed, so a larger window would only add an empty grey area.
    setFixedSize(OuterWidth - 2 * FrameBorder, OuterHeight - 2 * FrameBorder - CaptionHeight);
    const QFont windowFont = Fonts::windowFont(font());
    setFont(windowFont);
    buildHeader(windowFont);
    buildBody(windowFont);

    for (QWidget* w :
         std::initializer_list<QWidget*>{m_programNameLabel, m_statusLabel, m_progressBar,
                                         m_headerRule, m_browserRule, m_titleCaption})
        w->setFocusPolicy(Qt::NoFocus);
    const QList<QWidget*> order = focusOrder();
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void MainWindow::buildHeader(const QFont& windowFont)
{
    using Fonts::label, Fonts::placed;
    m_programNameLabel =
        label(this, "programNameLabel", QStringLiteral("QUIRVEL"), At::ProgramName);
    m_programNameLabel->setFont(Fonts::pixelFont(windowFont, 32, false, true));
    Fonts::setTextColour(m_programNameLabel, Qt::blue);
    Fonts::sizeToText(m_programNameLabel);

    m_statusLabel = label(this, "statusLabel", CoreText::Resting, At::Status);
    m_statusLabel->setFont(Fonts::pixelFont(windowFont, 13));
    m_statusLabel->setWordWrap(true);
    Fonts::setTextColour(m_statusLabel, Qt::red);

    m_progressBar = placed(new QProgressBar(this), "progressBar", At::Progress);
    m_progressBar->setRange(0, GenerationCommand::ProgressMaximum);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_progressBar->setAccessibleName(QStringLiteral("Ход генерации"));

    m_generateButton =
        button(this, "generateButton", QStringLiteral("Генерация - просмотр"), At::Generate);
    m_generateButton->setFont(Fonts::pixelFont(windowFont, 16, true));
    m_newButton = button(this, "newButton", QStringLiteral("New"), At::New);
    m_infoButton = button(this, "infoButton", QStringLiteral("Info"), At::Info);

    m_headerRule = placed(new Rule(this), "headerRule", At::HeaderRule);
    m_browserRule = placed(new Rule(this), "browserRule", At::BrowserRule);
}

void MainWindow::buildBody(const QFont& windowFont)
{
    m_pictureBrowser = new PictureBrowser(m_services.dialogs, this);
    m_pictureBrowser->move(At::PictureBrowser);
    m_instructionsButton =
        button(this, "instructionsButton", QStringLiteral("Инструкция"), At::Instructions);
    m_exitButton = button(this, "exitButton", QStringLiteral("Выход"), At::Exit);

    m_titleEdit = Fonts::placed(new QLineEdit(this), "titleEdit", At::TitleEdit);
    m_titleEdit->setFont(Fonts::pixelFont(windowFont, 13, true));
    m_titleEdit->setMaxLength(std::numeric_limits<int>::max());
    m_titleEdit->setAccessibleName(QStringLiteral("Название викторины"));
    m_titleCaption = Fonts::label(this, "titleCaption", QStringLiteral("<- Название викторины"),
                                  At::TitleCaption);
    m_titleCaption->setFont(Fonts::pixelFont(windowFont, 13));
    Fonts::sizeToText(m_titleCaption);
    // No '&' in the caption, so the tie changes nothing on screen.
    m_titleCaption->setBuddy(m_titleEdit);

    m_slotStrip = new SlotStrip(this);
    m_slotStrip->move(At::SlotStrip);
    m_slotPanel = new SlotPanel(this);
    m_slotPanel->move(At::SlotPanel);
}

QList<QWidget*> MainWindow::focusOrder() const
{
    QList<QWidget*> order{m_generateButton, m_infoButton};
    order << m_pictureBrowser->focusStops() << m_slotStrip->answerCopy(1) << m_titleEdit;
    for (int k = 2; k <= SlotCount; ++k)
        order << m_slotStrip->answerCopy(k);
    order << m_slotPanel->answerEdit();
    for (int k = 1; k <= SlotCount; ++k)
        order << m_slotStrip->slotButton(k);
    return order << m_instructionsButton << m_exitButton << m_slotPanel->questionEdit()
                 << m_newButton << m_slotPanel->oneForAllCheck();
}

void MainWindow::connectHandlers()
{
    connect(m_pictureBrowser, &PictureBrowser::fileChosen, m_editor,
            InputGate::ifOpen(this, m_editor, &QuizEditor::choosePicture));
    for (const auto& [button, handler] : {std::pair{m_exitButton, &MainWindow::exitProgram},
                                          {m_generateButton, &MainWindow::generateQuiz},
                                          {m_infoButton, &MainWindow::showAbout},
                                          {m_instructionsButton, &MainWindow::showInstructions},
                                          {m_newButton, &MainWindow::startNewQuiz}})
        connect(button, &QPushButton::clicked, this, InputGate::ifOpen(this, this, handler));
    connect(m_editor, &QuizEditor::changed, m_unsavedWork, &UnsavedWork::noteChange);
    connect(m_unsavedWork, &UnsavedWork::draftFailed, this, [this](const QString& reason) {
        showStatus(QStringLiteral("Черновик не сохраняется: %1").arg(reason));
    });
    // At the end of the desktop session the window closes without a question; the draft stays for
    // the next start.
    connect(qApp, &QGuiApplication::commitDataRequest, m_unsavedWork, &UnsavedWork::writeDraft);
    connect(m_quizMenu, &QuizMenu::openRequested, this, &MainWindow::openQuiz);
    connect(m_quizMenu, &QuizMenu::exported, this, &MainWindow::showStatus);

    m_dropFilter = new FileDropFilter(this, m_slotStrip);
    connect(m_dropFilter, &FileDropFilter::picturesDropped, m_editor, &QuizEditor::dropPictures);
    connect(m_dropFilter, &FileDropFilter::pictureDataDropped, m_editor,
            &QuizEditor::dropPictureData);
    connect(m_dropFilter, &FileDropFilter::quizDropped, this, &MainWindow::reopenQuiz);
    m_slotMenu = new SlotMenu(this, m_editor->history());
    connect(m_slotMenu, &SlotMenu::pasteRequested, this, &MainWindow::pastePicture);
    connect(m_slotMenu, &SlotMenu::pictureFileRequested, this,
            [this] { m_editor->openPictureFile(m_pictureBrowser->folder()); });
    connect(m_dropFilter, &FileDropFilter::skipped, this, [this](const QStringList& names) {
        m_services.dialogs.message(UiText::Skipped + QLatin1Char('\n') +
                                   names.join(QLatin1Char('\n')));
    });
    WindowAccess::install(this, setup(), m_quizMenu->menu(), m_slotStrip, focusOrder());
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    // A slot's own menu on its thumbnail or on the preview, which shows the current slot.
    QWidget* under = childAt(event->pos());
    const int k = m_slotStrip->slotAt(under);
    if ((k || (under && under->objectName() == QLatin1String("preview"))) &&
        InputGate::isOpen(this)) {
        if (k)
            m_editor->chooseSlot(k);
        m_slotMenu->popup(event->globalPos());
        return;
    }
    m_quizMenu->popup(event->globalPos());
}

void MainWindow::pastePicture()
{
    if (!InputGate::isOpen(this))
        return;
    const OfferedPictures offer = OfferedPictures::from(QGuiApplication::clipboard()->mimeData());
    if (!offer.files.isEmpty())
        m_editor->dropPictures(offer.files, 0);
    else if (!offer.data.isEmpty())
        m_editor->dropPictureData(offer.data, 0);
    else
        m_services.dialogs.message(UiText::NoPastedPicture);
}

void MainWindow::pruneConvertedPictures(bool closing)
{
    const std::optional<QStringList> drafted =
        drafts() ? drafts()->picturesOfDrafts() : std::optional<QStringList>(QStringList());
    if (!drafted)
        return;
    // A closing window's pictures are needed only as far as its draft names them.
    QSet<QString> inUse = closing ? QSet<QString>() : m_editor->picturesInUse();
    for (const QString& path : *drafted)
        inUse << path;
    m_editor->converted().prune(inUse);
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
    m_editor->showEmpty();
}

const QImage& MainWindow::cleanThumbnail() const
{
    return m_slotStrip->cleanThumbnail();
}

void MainWindow::startNewQuiz()
{
    guarded(m_services.dialogs, [this] {
        if (!m_services.dialogs.yesNo(CoreText::WarningCaption, UiText::NewQuestion))
            return;
        m_editor->clear();
        m_unsavedWork->forget();
    });
}

void MainWindow::showAbout()
{
    if (m_about)
        m_about->exec();
}

void MainWindow::showInstructions()
{
    guarded(m_services.dialogs, [this] {
        openInstructions(setup().suppliedFolder, m_services.shell, m_services.dialogs);
    });
}

void MainWindow::generateQuiz()
{
    // The pauses keep painting but hold user input back, both what arrives during the run and
    // what is still queued when it ends, so none of it acts later.
    auto outcome = GenerationCommand::Outcome::Failed;
    InputGate::shutWhile(
        this, [&] { guarded(m_services.dialogs, [&] { outcome = m_generation->run(); }); });
    if (outcome == GenerationCommand::Outcome::Placed) {
        // Over empty space: the exports are otherwise found only by a right click.
        setToolTip(UiText::ExportsTip);
        m_unsavedWork->saved(setup().quizFolder(), m_editor->work());
    } else if (outcome == GenerationCommand::Outcome::Failed)
        m_unsavedWork->forget();
}

QString MainWindow::titleText() const
{
    return m_titleEdit->text();
}

void MainWindow::setTitleText(const QString& text)
{
    m_editor->setTitle(text);
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

void MainWindow::openQuiz()
{
    // Shortcuts are matched before any widget sees the key, so the gate's filter cannot keep this
    // one back.
    if (!InputGate::isOpen(this))
        return;
    guarded(m_services.dialogs, [this] {
        const std::optional<QString> folder =
            m_services.dialogs.chooseFolder(UiText::OpenCaption, setup().quizzesFolder);
        if (folder)
            InputGate::shutWhile(this, [&] { reopen(*folder); });
    });
}

void MainWindow::reopenQuiz(const QString& path)
{
    InputGate::shutWhile(this, [&] { guarded(m_services.dialogs, [&] { reopen(path); }); });
}

// The page is read and checked before anything is asked or changed, so a refused folder leaves
// the window as it was.
void MainWindow::reopen(const QString& path)
{
    try {
        recoverQuizFolder(QFileInfo(path).isDir() ? path : QFileInfo(path).path(),
                          m_services.shell);
    } catch (const QuirvelError& e) {
        m_services.dialogs.message(e.text());
    }
    const GeneratedQuiz quiz = readGeneratedQuiz(path);
    if (m_editor->holdsComposition() &&
        !m_services.dialogs.yesNo(UiText::OpenCaption, UiText::OpenQuestion))
        return;
    const bool whole = m_editor->reopen(quiz);
    m_generation->rememberQuizPage(quiz.folder);
    // With a slot left empty the window no longer holds what the folder does.
    if (whole)
        m_unsavedWork->saved(quiz.folder, m_editor->work());
    else
        m_unsavedWork->forget();
    m_editor->nameProblems();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (qApp->isSavingSession()) {
        m_unsavedWork->writeDraft();
    } else if ((m_unsavedWork->holdsUnsavedWork() &&
                !m_services.dialogs.yesNo(CoreText::WarningCaption, UiText::ExitQuestion, false)) ||
               (m_quizMenu->classRunning() &&
                !m_services.dialogs.yesNo(CoreText::WarningCaption, UiText::ClassRunningQuestion,
                                          false)) ||
               !m_quizMenu->stopClass()) {
        event->ignore();
        return;
    } else {
        m_unsavedWork->discardDraft();
    }
    m_slotStrip->releaseCleanThumbnail();
    pruneConvertedPictures(true);
    event->accept();
}

void MainWindow::offerDraft()
{
    guarded(m_services.dialogs, [&] {
        const std::optional<DraftStore::Orphan> chosen =
            m_unsavedWork->offerOrphans(m_services.dialogs);
        if (!chosen) {
            pruneConvertedPictures(false);
            return;
        }
        m_editor->restore(chosen->draft);
        m_unsavedWork->forget();
        DraftStore::discard(chosen->path);
        m_editor->nameProblems();
    });
}
