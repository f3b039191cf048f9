#include "core/quizfolder.h"

#include "core/startpage.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <array>
#include <filesystem>
#include <memory>
#include <system_error>

const QStringList DecorationNames = {
    QStringLiteral("11.gif"),    QStringLiteral("22.gif"),   QStringLiteral("33.gif"),
    QStringLiteral("44.gif"),    QStringLiteral("55.gif"),   QStringLiteral("66.gif"),
    QStringLiteral("line1.gif"), QStringLiteral("fong.gif"),
};

namespace
{

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

bool anythingAt(const QString& path)
{
    std::error_code ec;
    return std::filesystem::symlink_status(fsPath(path), ec).type() !=
           std::filesystem::file_type::not_found;
}

bool renameOnto(const QString& from, const QString& to)
{
    std::error_code ec;
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    return !ec;
}

// One slot's picture, copied into a private folder of its own so that neither its name nor the
// numbered files around it can clash with it before it is placed.
struct StagedPicture {
    std::unique_ptr<QTemporaryDir> folder;
    QString file; // empty when the copy failed
};

} // namespace

void writeQuizPage(const QuizSetup& setup, const AnswerOrder& order, IShell& shell,
                   IDialogs& dialogs)
{
    const QString quizFolder = setup.quizFolder();
    {
        // Every source is read before anything in the quiz folder is deleted: a source may be one
        // of the numbered files about to be replaced. The staging folders go away with this block,
        // whatever ends it.
        std::array<StagedPicture, QuizSetup::SlotCount> staged;
        for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
            const QString source = setup.slot(k).picturePath;
            StagedPicture& picture = staged[static_cast<size_t>(k - 1)];
            picture.folder =
                std::make_unique<QTemporaryDir>(quizFolder + QStringLiteral("/.quirvel-XXXXXX"));
            if (!picture.folder->isValid())
                continue;
            if (shell.copyIntoFolder(source, picture.folder->path()))
                picture.file =
                    picture.folder->path() + QLatin1Char('/') + QFileInfo(source).fileName();
        }

        for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
            const QString target = quizFolder + QLatin1Char('/') + QString::number(k) +
                                   QLatin1Char('.') + setup.slot(k).extension;
            if (anythingAt(target) && !QFile::remove(target))
                dialogs.message(QStringLiteral("Ошибка при удалении файла"));
            const StagedPicture& picture = staged[static_cast<size_t>(k - 1)];
            // A failed copy is reported at its slot's turn, so the boxes come in slot order.
            if (picture.file.isEmpty()) {
                dialogs.message(QStringLiteral("Ошибка при копировании"));
                continue;
            }
            // A failed rename leaves no numbered file; the page then shows a broken picture.
            renameOnto(picture.file, target);
        }
    }
    writeStartPage(setup, order, quizFolder);
}

void copyDecorations(const QuizSetup& setup, IShell& shell, IDialogs& dialogs)
{
    const QString quizFolder = setup.quizFolder();
    for (const QString& name : DecorationNames) {
        if (!shell.copyIntoFolder(setup.suppliedFolder + QLatin1Char('/') + name, quizFolder))
            dialogs.message(QStringLiteral("Ошибка при копировании дополнений"));
    }
}
