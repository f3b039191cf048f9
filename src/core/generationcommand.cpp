#include "core/generationcommand.h"

#include "core/quizfolder.h"

#include <QDir>
#include <algorithm>

namespace
{

const QString NoTitleText = QStringLiteral("А почему нет названия у викторины?");
const QString NoPicturesText = QStringLiteral("А почему не все картинки выбраны ?");
const QString FolderWarningText = QStringLiteral(
    "Будьте внимательны при названии папки для викторины. В названии не должно быть запрещенных "
    "символов (Точек, звездочек, кавычек, знаков прямой и обр.дробей и некоторых других. Могут "
    "возникнуть проблемы при ее создании или при доступе к ней.");
const QString FolderCaption = QStringLiteral("Внимание!");
const QString FolderPrompt = QStringLiteral("Укажите название папки для размещения викторины.   )");
const QString FolderFailedText = QStringLiteral("Ошибка при создании папки для викторины. ");
const QString GeneratingText = QStringLiteral("Выполняется генерация");
const QString DoneText = QStringLiteral("Генерация выполнена");
const QString RestText = QStringLiteral("Выбирай картинки, делай подписи, жми генерацию...");
const QString ViewQuestion = QStringLiteral("Просматривать будете?");
const QString CannotShowText =
    QStringLiteral("Не могу продемонстрировать страничку! Проверьте путь к викторине: ");

// Fails, like the system call, when the folder already exists; an empty name or one that would
// reach outside the quizzes folder fails the same way without touching the disk. The quizzes
// folder itself (QUIRVEL among the documents) appears only together with a quiz's own folder.
bool createQuizFolder(const QuizSetup& setup)
{
    if (setup.folderName.isEmpty() || !isPlainFolderName(setup.folderName))
        return false;
    return QDir().mkpath(setup.quizzesFolder) && QDir().mkdir(setup.quizFolder());
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

bool isPlainFolderName(const QString& name)
{
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    // The backslash is refused as well: the quiz folder is meant to be copied to any desktop, and
    // on some of them it separates folders.
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QChar(0));
}

GenerationCommand::GenerationCommand(QuizSetup& setup, IGenerationView& view, Services& services)
    : m_setup(setup), m_view(view), m_services(services)
{
}

void GenerationCommand::run()
{
    IDialogs& dialogs = m_services.dialogs;

    // A title of blanks passes here on purpose; it only becomes empty after trimming.
    if (m_view.titleText().isEmpty()) {
        dialogs.message(NoTitleText);
        return;
    }
    m_setup.title = trimBlanksAndControls(m_view.titleText());
    m_view.setTitleText(m_setup.title);

    if (!m_setup.isComplete()) {
        dialogs.message(NoPicturesText);
        return;
    }

    if (m_setup.firstGeneration && !askForQuizFolder())
        return;

    m_view.showInfoWindow();

    m_order = m_shuffle ? m_shuffle() : shuffleAnswers();

    m_view.showStatus(GeneratingText);
    for (int step = 0; step < ProgressSteps; ++step) {
        m_view.setProgressPosition(std::min(m_view.progressPosition() + 1, ProgressMaximum));
        m_services.pauser.pause(ProgressStepMilliseconds);
    }

    // A quiz that cannot be placed whole ends the command here, and so does a page that cannot be
    // written (by its exception); status and bar stay as they are.
    if (!writeQuizPage(m_setup, m_order, m_services.shell, dialogs))
        return;
    copyDecorations(m_setup, m_services.shell, dialogs);

    m_view.showStatus(DoneText);
    m_services.pauser.pause(DonePauseMilliseconds);
    m_view.setProgressPosition(0);
    m_view.showStatus(RestText);

    if (!dialogs.confirm(ViewQuestion))
        return;
    m_lastPagePath = m_setup.quizFolder() + QStringLiteral("/start.htm");
    if (!m_services.shell.openDocument(m_lastPagePath))
        dialogs.message(CannotShowText + m_lastPagePath);
}

// Only a newly made folder ends the loop with OK: an existing one could hold another quiz. Cancel
// leaves it, so a program folder that takes no new folder cannot hold the user captive.
bool GenerationCommand::askForQuizFolder()
{
    IDialogs& dialogs = m_services.dialogs;
    const QString previousName = m_setup.folderName;
    for (;;) {
        dialogs.message(FolderWarningText);
        const std::optional<QString> name =
            dialogs.input(FolderCaption, FolderPrompt, m_setup.title);
        if (!name) {
            m_setup.folderName = previousName;
            return false;
        }
        m_setup.folderName = *name;
        if (createQuizFolder(m_setup))
            break;
        dialogs.message(FolderFailedText);
    }
    m_setup.firstGeneration = false;
    return true;
}
