// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quizfolder.h"

#include "core/errorreason.h"
#include "core/filecopy.h"
#include "core/picturelocation.h"
#include "core/quizrecovery.h"
#include "core/startpage.h"

#include "config-quirvel.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>

const QStringList DecorationNames = {QUIRVEL_DECORATIONS};

namespace
{

const QString CopyFailedText = QStringLiteral("Ошибка при копировании");
const QString DecorationFailedText = QStringLiteral("Ошибка при копировании дополнений");
const QString DeleteFailedText = QStringLiteral("Ошибка при удалении файла");

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

bool writeQuizPage(const QuizSetup& setup, const AnswerOrder& order, IShell& shell,
                   IDialogs& dialogs)
{
    using namespace QuizStaging;
    const QString quizFolder = setup.quizFolder();
    // Inside the quiz folder, so that every rename stays on one file system. Until the commit it
    // goes away with whatever is in it, however this function ends.
    errno = 0;
    QTemporaryDir staging(quizFolder + QLatin1Char('/') + Prefix + QStringLiteral("XXXXXX"));
    // The reason mkdtemp gave (a read-only or vanished quiz folder).
    const std::error_code madeStaging = lastSystemError();
    const QString newFolder = staging.path() + QLatin1Char('/') + NewFolder;
    const std::error_code stagingError = staging.isValid() ? makeFolder(newFolder) : madeStaging;

    // Every source is read before anything in the quiz folder changes: a source may be one of the
    // numbered files about to be replaced.
    QStringList names;
    bool allCopied = true;
    for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
        const QuizSlot& slot = setup.slot(k);
        const auto error = stagingError
                               ? stagingError
                               : stageFile(slot.picturePath,
                                           newFolder + QLatin1Char('/') + QString::number(k) +
                                               QLatin1Char('.') + slot.extension,
                                           shell, true);
        if (error) {
            dialogs.message(withReason(CopyFailedText,
                                       QStringLiteral("Картинка %1 (%2)")
                                           .arg(k)
                                           .arg(QFileInfo(slot.picturePath).fileName()),
                                       error));
            allCopied = false;
            // A full disk stays full for the other pictures: one box says it.
            if (error.value() == ENOSPC || error.value() == EDQUOT)
                break;
        }
        names << QString::number(k) + QLatin1Char('.') + slot.extension;
    }
    if (!allCopied)
        return false;

    for (const QString& name : DecorationNames) {
        const QString source = setup.suppliedFolder + QLatin1Char('/') + name;
        // A decoration the program was supplied without is only named; the quiz keeps an old
        // copy, if it has one.
        if (!anythingAt(source)) {
            dialogs.message(withReason(DecorationFailedText, name,
                                       std::make_error_code(std::errc::no_such_file_or_directory)));
            continue;
        }
        if (const auto error = stageFile(source, newFolder + QLatin1Char('/') + name, shell)) {
            dialogs.message(withReason(DecorationFailedText, name, error));
            return false;
        }
        names << name;
    }

    // It syncs new/ too, the last name to arrive there.
    writeStartPage(setup, order, newFolder);
    // The page goes last, so that a new page is never left pointing at pictures that did not come.
    names << StartPageName;

    const QString folderLabel = QStringLiteral("Папка ") + quizFolder;
    // The staging folder's own name must last before kept/ in it may hold the old quiz.
    std::error_code marked = shell.syncToDisk(quizFolder);
    if (!marked)
        marked = writeMarker(staging.path(), CommitMarker, names, shell).error;
    if (marked) {
        dialogs.message(withReason(DeleteFailedText, folderLabel, marked));
        return false;
    }
    // From here on the staging folder says what is to be done with it, should this process die.
    staging.setAutoRemove(false);
    // What cannot go back now waits for the next recovery rather than being lost.
    const auto undo = [&] {
        if (!markRollback(staging.path(), shell) &&
            !rollBack(quizFolder, staging.path(), names, shell))
            removeStaging(staging.path(), shell);
    };
    FileFailure failure;
    try {
        failure = rollForward(quizFolder, staging.path(), names, shell);
    } catch (...) {
        undo();
        throw;
    }
    if (failure) {
        // Undone before it is reported: a kill during the box must not bring the new quiz back.
        undo();
        dialogs.message(withReason(DeleteFailedText,
                                   failure.path == quizFolder ? folderLabel
                                                              : QFileInfo(failure.path).fileName(),
                                   failure.error));
        return false;
    }

    // The new quiz is whole; an old file that will not go is only reported.
    if (const FileFailure left = removeStaging(staging.path(), shell))
        dialogs.message(withReason(DeleteFailedText, folderLabel, left.error));
    return true;
}
