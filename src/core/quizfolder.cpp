#include "core/quizfolder.h"

#include "core/filecopy.h"
#include "core/startpage.h"

#include "config-quirvel.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>

const QStringList DecorationNames = {QUIRVEL_DECORATIONS};

namespace
{

const QString CopyFailedText = QStringLiteral("Ошибка при копировании");
const QString DeleteFailedText = QStringLiteral("Ошибка при удалении файла");

// One file of the new quiz on its way into the quiz folder.
struct Replacement {
    QString staged; // complete, in the staging folder
    QString target; // its place in the quiz folder
    QString kept;   // where the file it replaces waits; empty while there is none
    bool placed = false;
};

// Renames every staged file over its target, moving the old one aside first so that it can still
// be put back. Stops at the first failure.
bool replaceAll(QList<Replacement>& set, const QString& keptFolder, IShell& shell)
{
    for (Replacement& r : set) {
        if (anythingAt(r.target)) {
            const QString kept = keptFolder + QLatin1Char('/') + QFileInfo(r.target).fileName();
            if (!shell.renameFile(r.target, kept))
                return false;
            r.kept = kept;
        }
        if (!shell.renameFile(r.staged, r.target))
            return false;
        r.placed = true;
    }
    return true;
}

// Undoes replaceAll, last file first; false when something could not go back.
bool putBack(const QList<Replacement>& set, IShell& shell)
{
    bool whole = true;
    for (auto r = set.crbegin(); r != set.crend(); ++r) {
        if (!r->kept.isEmpty())
            whole = shell.renameFile(r->kept, r->target) && whole;
        else if (r->placed)
            whole = shell.removeFile(r->target) && whole;
    }
    return whole;
}

} // namespace

bool writeQuizPage(const QuizSetup& setup, const AnswerOrder& order, IShell& shell,
                   IDialogs& dialogs)
{
    const QString quizFolder = setup.quizFolder();
    // Inside the quiz folder, so that every rename stays on one file system. It goes away with
    // whatever is left in it, however this function ends.
    QTemporaryDir staging(quizFolder + QStringLiteral("/.quirvel-XXXXXX"));
    QList<Replacement> set;

    // Every source is read before anything in the quiz folder changes: a source may be one of the
    // numbered files about to be replaced. Each slot has a folder of its own, so that equal file
    // names from different folders cannot clash.
    bool allCopied = true;
    for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
        const QString source = setup.slot(k).picturePath;
        const QString slotFolder = staging.path() + QLatin1Char('/') + QString::number(k);
        if (staging.isValid() && QDir().mkdir(slotFolder) &&
            shell.copyIntoFolder(source, slotFolder)) {
            set.append({slotFolder + QLatin1Char('/') + QFileInfo(source).fileName(),
                        quizFolder + QLatin1Char('/') + QString::number(k) + QLatin1Char('.') +
                            setup.slot(k).extension,
                        {}});
            continue;
        }
        dialogs.message(CopyFailedText);
        allCopied = false;
    }
    if (!allCopied)
        return false;

    writeStartPage(setup, order, staging.path());
    set.append({staging.path() + QStringLiteral("/start.htm"),
                quizFolder + QStringLiteral("/start.htm"),
                {}});

    // The page goes last, so that a new page is never left pointing at pictures that did not come.
    const QString keptFolder = staging.path() + QStringLiteral("/kept");
    bool replaced = false;
    try {
        replaced = QDir().mkdir(keptFolder) && replaceAll(set, keptFolder, shell);
    } catch (...) {
        if (!putBack(set, shell))
            staging.setAutoRemove(false);
        throw;
    }
    if (!replaced) {
        dialogs.message(DeleteFailedText);
        // An old file that cannot go back stays in the staging folder rather than be lost.
        if (!putBack(set, shell))
            staging.setAutoRemove(false);
        return false;
    }

    // The new quiz is whole; an old file that will not go is only reported.
    bool removed = true;
    for (const Replacement& r : set)
        if (!r.kept.isEmpty())
            removed = shell.removeFile(r.kept) && removed;
    if (!removed)
        dialogs.message(DeleteFailedText);
    return true;
}

void copyDecorations(const QuizSetup& setup, IShell& shell, IDialogs& dialogs)
{
    const QString quizFolder = setup.quizFolder();
    for (const QString& name : DecorationNames) {
        if (!shell.copyIntoFolder(setup.suppliedFolder + QLatin1Char('/') + name, quizFolder))
            dialogs.message(QStringLiteral("Ошибка при копировании дополнений"));
    }
}
