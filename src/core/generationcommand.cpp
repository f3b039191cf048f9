// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/generationcommand.h"

#include "core/errorreason.h"
#include "core/pagetemplate.h"
#include "core/quirvelerror.h"
#include "core/quizfolder.h"
#include "core/texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr qsizetype MaxNameBytes = 255;

bool isForbidden(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f || QStringLiteral("\\/:*?\"<>|").contains(c);
}

// Fails, like the system call, when the folder already exists; a name refused by
// folderNameProblem fails the same way without touching the disk. The quizzes folder itself
// (QUIRVEL among the documents) appears only together with a quiz's own folder. The text is the
// second line of the box: what and why.
QString createQuizFolder(const QuizSetup& setup)
{
    const QString what = QStringLiteral("Папка «%1»").arg(setup.folderName);
    const QString problem = folderNameProblem(setup.folderName);
    if (!problem.isEmpty())
        return what + QStringLiteral(": ") + problem;
    std::error_code error;
    std::filesystem::create_directories(
        std::filesystem::path(QFile::encodeName(setup.quizzesFolder).toStdString()), error);
    if (!error && ::mkdir(QFile::encodeName(setup.quizFolder()).constData(), 0777) != 0)
        error = lastSystemError();
    if (!error)
        return {};
    return withReason(QString(), what, error).mid(1);
}

} // namespace

QString trimBlanksAndControls(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

QString folderNameProblem(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("пустое имя");
    for (const QChar c : name) {
        if (isForbidden(c))
            return QStringLiteral("недопустимый символ «%1»")
                .arg(c.unicode() < 0x20 || c.unicode() == 0x7f
                         ? QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                         : QString(c));
    }
    // "." and ".." end in a dot as well.
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return QStringLiteral("имя не может кончаться точкой или пробелом");
    static const QRegularExpression reserved(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    if (reserved.match(name).hasMatch())
        return QStringLiteral("имя зарезервировано");
    if (name.toUtf8().size() > MaxNameBytes)
        return QStringLiteral("слишком длинное имя");
    return {};
}

QString cleanedFolderName(const QString& title)
{
    QString name;
    for (const QChar c : title)
        if (!isForbidden(c))
            name += c;
    const auto trimEnd = [&name] {
        while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
            name.chop(1);
    };
    trimEnd();
    while (name.toUtf8().size() > MaxNameBytes)
        name.chop(name.size() > 1 && name.back().isLowSurrogate() ? 2 : 1);
    trimEnd();
    return name;
}

bool placeQuiz(QuizFolder& folder, const AnswerOrder& order, IDialogs& dialogs)
{
    QStringList problems;
    const auto show = [&] {
        for (const QString& problem : problems)
            dialogs.message(problem);
    };
    try {
        folder.stage(order, problems);
    } catch (const QuirvelError&) {
        // What went wrong before the throw is still news to the user.
        show();
        throw;
    }
    show();
    if (!folder.isStaged())
        return false;
    if (const QString problem = folder.commit(); !problem.isEmpty())
        dialogs.message(problem);
    return folder.isPlaced();
}

bool placeQuiz(const QuizSetup& setup, const AnswerOrder& order, IShell& shell, IDialogs& dialogs)
{
    QuizFolder folder(setup, shell);
    return placeQuiz(folder, order, dialogs);
}

GenerationCommand::GenerationCommand(QuizSetup& setup, IGenerationView& view, Services& services)
    : m_setup(setup), m_view(view), m_services(services)
{
}

GenerationCommand::Outcome GenerationCommand::run()
{
    if (!takeTitleAndPictures())
        return Outcome::Stopped;
    const bool newFolder = m_setup.firstGeneration;
    if (newFolder && !askForQuizFolder())
        return Outcome::Stopped;
    const Outcome outcome = writeQuizFolder(newFolder);
    if (outcome == Outcome::Placed)
        offerPage();
    return outcome;
}

bool GenerationCommand::takeTitleAndPictures()
{
    IDialogs& dialogs = m_services.dialogs;
    // A title of blanks passes here on purpose; it only becomes empty after trimming.
    if (m_view.titleText().isEmpty()) {
        dialogs.message(CoreText::NoTitle);
        return false;
    }
    m_setup.title = trimBlanksAndControls(m_view.titleText());
    m_view.setTitleText(m_setup.title);
    if (!m_setup.isComplete())
        dialogs.message(CoreText::NoPictures);
    return m_setup.isComplete();
}

GenerationCommand::Outcome GenerationCommand::writeQuizFolder(bool newFolder)
{
    IDialogs& dialogs = m_services.dialogs;
    const QString quizFolder = m_setup.quizFolder();
    QuizFolder folder(m_setup, m_services.shell);
    if (!folder.isLocked()) {
        dialogs.message(CoreText::Locked);
        showFailure();
        return Outcome::Failed;
    }
    try {
        folder.recover();
    } catch (const QuirvelError& e) {
        dialogs.message(e.text());
        showFailure();
        return Outcome::Failed;
    }
    // A page deleted since leaves nothing to overwrite.
    const PageStamp page = stampOf(quizFolder);
    if (!newFolder && page.folder == m_page.folder && page.page.isValid() &&
        !page.isSameFile(m_page) &&
        !dialogs.yesNo(CoreText::FolderCaption, CoreText::Changed, false))
        return Outcome::Stopped;

    m_view.showInfoWindow();
    m_order = m_shuffle ? m_shuffle() : shuffleAnswers();
    showProgress();

    // A quiz that cannot be placed whole ends the command here, and so does a page that cannot be
    // written (by its exception).
    auto failed = qScopeGuard([&] {
        showFailure();
        if (newFolder)
            dropEmptyFolder(quizFolder);
    });
    if (!placeQuiz(folder, m_order, dialogs))
        return Outcome::Failed;
    failed.dismiss();
    return Outcome::Placed;
}

void GenerationCommand::showProgress()
{
    m_view.showStatus(CoreText::Generating);
    for (int step = 0; step < ProgressSteps; ++step) {
        m_view.setProgressPosition(std::min(m_view.progressPosition() + 1, ProgressMaximum));
        m_services.pauser.pause(ProgressStepMilliseconds);
    }
}

void GenerationCommand::offerPage()
{
    const QString quizFolder = m_setup.quizFolder();
    rememberQuizPage(quizFolder);
    m_view.showStatus(CoreText::Done);
    m_services.pauser.pause(DonePauseMilliseconds);
    m_view.setProgressPosition(0);
    m_view.showStatus(CoreText::Resting);

    IDialogs& dialogs = m_services.dialogs;
    if (!dialogs.confirm(CoreText::ViewQuestion))
        return;
    m_lastPagePath = quizFolder + QLatin1Char('/') + StartPageName;
    m_services.shell.openDocument(m_lastPagePath, [&dialogs, page = m_lastPagePath] {
        dialogs.message(CoreText::CannotShow + page);
    });
}

void GenerationCommand::rememberQuizPage(const QString& quizFolder)
{
    m_page = quizFolder.isEmpty() ? PageStamp() : stampOf(quizFolder);
}

GenerationCommand::PageStamp GenerationCommand::stampOf(const QString& quizFolder)
{
    const QString clean = QDir::cleanPath(quizFolder);
    const QString resolved = QFileInfo(clean).canonicalFilePath();
    const QString folder = resolved.isEmpty() ? clean : resolved;
    return PageStamp{folder, FileIdentity::of(folder + QLatin1Char('/') + StartPageName)};
}

bool GenerationCommand::PageStamp::isSameFile(const PageStamp& other) const
{
    return page.device == other.page.device && page.inode == other.page.inode &&
           page.size == other.page.size && page.modifiedNs == other.page.modifiedNs;
}

// The folder this generation made holds nothing of a quiz yet: left, it would only take the name,
// so it goes and the next generation asks for one again. rmdir leaves a folder that holds
// anything.
void GenerationCommand::dropEmptyFolder(const QString& quizFolder)
{
    if (::rmdir(QFile::encodeName(quizFolder).constData()) == 0)
        m_setup.firstGeneration = true;
}

// Until the next generation the window says that this one did not arrive.
void GenerationCommand::showFailure()
{
    m_view.setProgressPosition(0);
    m_view.showStatus(CoreText::Failed);
}

// Only a newly made folder ends the loop with OK: an existing one could hold another quiz. Cancel
// leaves it, so a program folder that takes no new folder cannot hold the user captive.
bool GenerationCommand::askForQuizFolder()
{
    IDialogs& dialogs = m_services.dialogs;
    const QString previousName = m_setup.folderName;
    for (;;) {
        dialogs.message(CoreText::FolderWarning);
        const std::optional<QString> name = dialogs.input(
            CoreText::FolderCaption, CoreText::FolderPrompt, cleanedFolderName(m_setup.title));
        if (!name) {
            m_setup.folderName = previousName;
            return false;
        }
        m_setup.folderName = *name;
        const QString problem = createQuizFolder(m_setup);
        if (problem.isEmpty())
            break;
        dialogs.message(CoreText::FolderFailed + QLatin1Char('\n') + problem);
    }
    m_setup.firstGeneration = false;
    return true;
}
