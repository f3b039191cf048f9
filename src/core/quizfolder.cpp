// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizfolder.h"

#include "core/errorreason.h"
#include "core/filecopy.h"
#include "core/picturelocation.h"
#include "core/quirvelerror.h"
#include "core/quizrecovery.h"
#include "core/startpage.h"
#include "core/texts.h"

#include "config-quirvel.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <cerrno>

const QStringList DecorationNames = {QUIRVEL_DECORATIONS};

namespace
{

std::error_code makeFolder(const QString& path)
{
    errno = 0;
    return QDir().mkdir(path) ? std::error_code() : lastSystemError();
}

// Copies source into the staging folder as `staged` and makes its bytes last through a power cut.
// A picture's copy loses where it was taken.
std::error_code stageFile(const QString& source, const QString& staged, IShell& shell,
                          bool picture = false)
{
    if (const auto error = shell.copyToNewFile(source, staged))
        return error;
    if (picture)
        if (const auto error = PictureLocation::removeFromFile(staged))
            return error;
    return shell.syncToDisk(staged);
}

} // namespace

QuizFolder::QuizFolder(const QuizSetup& setup, IShell& shell)
    : m_setup(setup), m_shell(shell), m_lock(setup.quizFolder()),
      m_folderLabel(QStringLiteral("Папка ") + setup.quizFolder())
{
}

void QuizFolder::recover()
{
    recoverQuizFolder(m_setup.quizFolder(), m_shell, m_lock);
}

QuizFolder::~QuizFolder() = default;

QString QuizFolder::stagedPath(const QString& name) const
{
    return m_newFolder + QLatin1Char('/') + name;
}

void QuizFolder::stage(const AnswerOrder& order, QStringList& problems)
{
    if (!isLocked())
        throw QuirvelError(CoreText::Locked);
    // Inside the quiz folder, so that every rename stays on one file system.
    errno = 0;
    m_staging = std::make_unique<QTemporaryDir>(m_setup.quizFolder() + QLatin1Char('/') +
                                                QuizStaging::Prefix + QStringLiteral("XXXXXX"));
    // The reason mkdtemp gave (a read-only or vanished quiz folder).
    const std::error_code madeStaging = lastSystemError();
    m_newFolder = m_staging->path() + QLatin1Char('/') + QuizStaging::NewFolder;
    const std::error_code stagingError =
        m_staging->isValid() ? makeFolder(m_newFolder) : madeStaging;
    m_names.clear();
    m_staged = m_placed = false;
    // Gone with whatever is in it, unless it is marked for the commit.
    const auto dropUnmarked = qScopeGuard([this] {
        if (!m_staged)
            m_staging.reset();
    });
    m_staged = stagePictures(stagingError, problems) && stageDecorations(problems) &&
               stagePage(order) && markForCommit(problems);
}

// Every source is read before anything in the quiz folder changes: a source may be one of the
// numbered files about to be replaced.
bool QuizFolder::stagePictures(std::error_code stagingError, QStringList& problems)
{
    bool allCopied = true;
    for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
        const QuizSlot& slot = m_setup.slot(k);
        const QString name = QString::number(k) + QLatin1Char('.') + slot.extension;
        const auto error = stagingError
                               ? stagingError
                               : stageFile(slot.picturePath, stagedPath(name), m_shell, true);
        if (error) {
            problems << withReason(CoreText::CopyFailed,
                                   QStringLiteral("Картинка %1 (%2)")
                                       .arg(k)
                                       .arg(QFileInfo(slot.picturePath).fileName()),
                                   error);
            allCopied = false;
            // A full disk stays full for the other pictures: one box says it.
            if (error.value() == ENOSPC || error.value() == EDQUOT)
                break;
        }
        m_names << name;
    }
    return allCopied;
}

bool QuizFolder::stageDecorations(QStringList& problems)
{
    for (const QString& name : DecorationNames) {
        const QString source = m_setup.suppliedFolder + QLatin1Char('/') + name;
        // A decoration the program was supplied without is only named; the quiz keeps an old
        // copy, if it has one.
        if (!anythingAt(source)) {
            problems << withReason(CoreText::DecorationFailed, name,
                                   std::make_error_code(std::errc::no_such_file_or_directory));
            continue;
        }
        if (const auto error = stageFile(source, stagedPath(name), m_shell)) {
            problems << withReason(CoreText::DecorationFailed, name, error);
            return false;
        }
        m_names << name;
    }
    return true;
}

bool QuizFolder::stagePage(const AnswerOrder& order)
{
    // It syncs new/ too, the last name to arrive there. The page goes last, so that a new page is
    // never left pointing at pictures that did not come.
    writeStartPage(m_setup, order, m_newFolder);
    m_names << StartPageName;
    return true;
}

bool QuizFolder::markForCommit(QStringList& problems)
{
    // The staging folder's own name must last before kept/ in it may hold the old quiz.
    std::error_code marked = m_shell.syncToDisk(m_setup.quizFolder());
    if (!marked)
        marked =
            QuizStaging::writeMarker(m_staging->path(), QuizStaging::CommitMarker, m_names, m_shell)
                .error;
    if (marked)
        problems << withReason(CoreText::DeleteFailed, m_folderLabel, marked);
    return !marked;
}

QString QuizFolder::commit()
{
    const QString quizFolder = m_setup.quizFolder();
    // From here on the staging folder says what is to be done with it, should this process die.
    m_staging->setAutoRemove(false);
    FileFailure failure;
    try {
        failure = QuizStaging::rollForward(quizFolder, m_staging->path(), m_names, m_shell);
    } catch (...) {
        undo();
        throw;
    }
    if (failure) {
        undo();
        return withReason(CoreText::DeleteFailed,
                          failure.path == quizFolder ? m_folderLabel
                                                     : QFileInfo(failure.path).fileName(),
                          failure.error);
    }
    m_placed = true;
    // The new quiz is whole; an old file that will not go is only reported.
    const FileFailure left = QuizStaging::removeStaging(m_staging->path(), m_shell);
    m_staging.reset();
    return left ? withReason(CoreText::DeleteFailed, m_folderLabel, left.error) : QString();
}

void QuizFolder::undo()
{
    using namespace QuizStaging;
    const QString staging = m_staging->path();
    if (!markRollback(staging, m_shell) &&
        !rollBack(m_setup.quizFolder(), staging, m_names, m_shell))
        removeStaging(staging, m_shell);
    m_staging.reset();
}
