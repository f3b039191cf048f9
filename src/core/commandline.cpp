// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/commandline.h"

#include "core/buildinfo.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include <utility>

namespace
{

// Options the application object takes for itself; any other unknown option is a mistake that
// must be answered before that object exists, since without a display it would abort.
bool leftForQt(const QStringList& unknownOptions)
{
    static const QStringList qtOptions{
        QStringLiteral("platform"),
        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"),
        QStringLiteral("geometry"),
        QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),
        QStringLiteral("title"),
        QStringLiteral("display"),
        QStringLiteral("name"),
        QStringLiteral("style"),
        QStringLiteral("stylesheet"),
        QStringLiteral("session"),
        QStringLiteral("widgetcount"),
        QStringLiteral("reverse"),
        QStringLiteral("dialogs"),
        QStringLiteral("nograb"),
        QStringLiteral("dograb"),
        QStringLiteral("visual"),
        QStringLiteral("ncols"),
        QStringLiteral("cmap"),
        QStringLiteral("qmljsdebugger"),
        QStringLiteral("fontengine"),
    };
    if (unknownOptions.isEmpty())
        return false;
    for (const QString& option : unknownOptions)
        if (!qtOptions.contains(option))
            return false;
    return true;
}

// The parser's own texts are English; the program speaks Russian.
QString russianError(const QCommandLineParser& parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.size() == 1)
        return QStringLiteral("Неизвестный параметр: %1.").arg(unknown.first());
    if (!unknown.isEmpty())
        return QStringLiteral("Неизвестные параметры: %1.").arg(unknown.join(QStringLiteral(", ")));
    static const QRegularExpression missing(QStringLiteral("^Missing value after '(.*)'\\.$"));
    static const QRegularExpression unexpected(
        QStringLiteral("^Unexpected value after '(.*)'\\.$"));
    const QString text = parser.errorText();
    if (const auto match = missing.match(text); match.hasMatch())
        return QStringLiteral("Не указано значение после %1.").arg(match.captured(1));
    if (const auto match = unexpected.match(text); match.hasMatch())
        return QStringLiteral("Лишнее значение после %1.").arg(match.captured(1));
    return text;
}

QString russianHelp(QString text, const QString& program)
{
    const qsizetype options = text.indexOf(QStringLiteral(" [options]"));
    if (options > 0)
        text = QStringLiteral("Использование: ") + program + QStringLiteral(" [параметры]") +
               text.mid(options + 10);
    text.replace(QStringLiteral("\nOptions:\n"), QStringLiteral("\nПараметры:\n"));
    text.replace(QStringLiteral("\nArguments:\n"), QStringLiteral("\nАргументы:\n"));
    return text;
}

} // namespace

CommandLine readCommandLine(const QStringList& arguments, bool qtOptionsPresent)
{
    QCommandLineParser parser;
    // "-reverse" is one of Qt's options, not the short options r, e, v ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("QUIRVEL %1: создание тестов-викторин с картинками").arg(programVersion()));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Показать эту справку и выйти."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Показать версию программы и выйти."));
    const QCommandLineOption exportPage(
        QStringLiteral("export-page"),
        QStringLiteral("Сохранить викторину из QUIZFOLDER одним файлом FILE (.htm) и выйти."),
        QStringLiteral("FILE"));
    const QCommandLineOption exportScorm(
        QStringLiteral("export-scorm"),
        QStringLiteral("Сохранить викторину из QUIZFOLDER пакетом SCORM 1.2 FILE (.zip) и выйти."),
        QStringLiteral("FILE"));
    const QCommandLineOption printSheet(
        QStringLiteral("print-sheet"),
        QStringLiteral("Сохранить лист для печати викторины из QUIZFOLDER в FILE (.pdf) и выйти."),
        QStringLiteral("FILE"));
    const QCommandLineOption classroom(
        QStringLiteral("classroom"),
        QStringLiteral("Провести викторину из QUIZFOLDER в классе: напечатать адрес для учеников и "
                       "выводить каждый результат строкой JSON, пока программу не остановят."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("С --classroom: порт, 0 - любой свободный (по умолчанию 8765)."),
        QStringLiteral("N"));
    const QCommandLineOption address(
        QStringLiteral("address"),
        QStringLiteral("С --classroom: принимать учеников только по адресу A."),
        QStringLiteral("A"));
    const QCommandLineOption csv(
        QStringLiteral("csv"),
        QStringLiteral("С --classroom: при остановке сохранить таблицу результатов в FILE (.csv)."),
        QStringLiteral("FILE"));
    const QCommandLineOption pupilRate(
        QStringLiteral("pupil-rate"),
        QStringLiteral("С --classroom: результатов в минуту от одного ученика (20)."),
        QStringLiteral("N"));
    const QCommandLineOption addressRate(
        QStringLiteral("address-rate"),
        QStringLiteral("С --classroom: отправок в минуту с одного адреса (60)."),
        QStringLiteral("N"));
    const QCommandLineOption maxPupils(QStringLiteral("max-pupils"),
                                       QStringLiteral("С --classroom: учеников в классе (200)."),
                                       QStringLiteral("N"));
    const QList<const QCommandLineOption*> classroomOptions{&port,      &address,     &csv,
                                                            &pupilRate, &addressRate, &maxPupils};
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(exportPage);
    parser.addOption(exportScorm);
    parser.addOption(printSheet);
    parser.addOption(classroom);
    for (const QCommandLineOption* option : classroomOptions)
        parser.addOption(*option);
    parser.addPositionalArgument(
        QStringLiteral("QUIZFOLDER"),
        QStringLiteral("Папка викторины, созданной программой, или её start.htm: викторина "
                       "открывается для правки."),
        QStringLiteral("[QUIZFOLDER]"));

    const bool parsed = parser.parse(arguments);
    const QString program = QFileInfo(arguments.value(0, QStringLiteral("quirvel"))).fileName();
    CommandLine line;
    if (parser.isSet(help)) {
        line.outcome = CommandLine::Outcome::Print;
        // The parser names the program only once an application object exists, and then by
        // its whole path.
        line.text = russianHelp(parser.helpText(), program);
    } else if (parser.isSet(version)) {
        line.outcome = CommandLine::Outcome::Print;
        line.text = QStringLiteral("%1 %2\n").arg(program, programVersion());
    } else if (qtOptionsPresent && leftForQt(parser.unknownOptionNames())) {
        // The rest is read again once Qt has taken its own options out.
        line.exportAsked =
            parser.isSet(exportPage) || parser.isSet(exportScorm) || parser.isSet(printSheet);
    } else {
        const QList<std::pair<const QCommandLineOption*, QuizExport>> exports{
            {&exportPage, QuizExport::Page},
            {&exportScorm, QuizExport::Scorm},
            {&printSheet, QuizExport::Sheet},
        };
        int asked = 0;
        for (const auto& [option, kind] : exports) {
            if (parsed && parser.isSet(*option)) {
                asked += int(parser.values(*option).size());
                line.exportKind = kind;
                line.exportFile = QFileInfo(parser.value(*option)).absoluteFilePath();
            }
        }
        const QStringList positional = parser.positionalArguments();
        QString mistake;
        const bool inClass = parsed && parser.isSet(classroom);
        bool classroomOnly = false;
        for (const QCommandLineOption* option : classroomOptions)
            classroomOnly = classroomOnly || (parsed && parser.isSet(*option));
        // A number in range, or -1.
        auto number = [&](const QCommandLineOption& option, int least, int most, int preset) {
            if (!parser.isSet(option))
                return preset;
            bool ok = false;
            const int value = parser.value(option).toInt(&ok);
            return ok && value >= least && value <= most ? value : -1;
        };
        auto& room = line.classroom;
        if (inClass) {
            room.port = number(port, 0, 65535, room.port);
            room.resultsPerPupil = number(pupilRate, 1, 1000000, room.resultsPerPupil);
            room.resultsPerAddress = number(addressRate, 1, 1000000, room.resultsPerAddress);
            room.pupils = number(maxPupils, 1, 100000, room.pupils);
            room.address = parser.value(address);
            if (parser.isSet(csv))
                room.csvFile = QFileInfo(parser.value(csv)).absoluteFilePath();
        }
        if (!parsed)
            mistake = russianError(parser);
        else if (classroomOnly && !inClass)
            mistake =
                QStringLiteral("Параметры --port, --address, --csv, --pupil-rate, "
                               "--address-rate и --max-pupils действуют только с --classroom.");
        else if (inClass && asked > 0)
            mistake = QStringLiteral("Викторину в классе нельзя проводить вместе с сохранением.");
        else if (inClass && positional.size() != 1)
            mistake = positional.isEmpty()
                          ? QStringLiteral("Не указана папка викторины для класса.")
                          : QStringLiteral("Лишние аргументы: %1")
                                .arg(positional.mid(1).join(QLatin1Char(' ')));
        else if (inClass && (room.port < 0 || room.resultsPerPupil < 0 ||
                             room.resultsPerAddress < 0 || room.pupils < 0))
            mistake = QStringLiteral("Неверное число: порт от 0 до 65535, пределы больше нуля.");
        else if (asked > 1)
            mistake = QStringLiteral("Можно сделать только одно сохранение за раз.");
        else if (asked == 1 && positional.size() != 1)
            mistake =
                positional.isEmpty()
                    ? QStringLiteral("Не указана папка викторины для сохранения.")
                    : QStringLiteral("Сохранение не открывает викторину: лишние аргументы: %1")
                          .arg(positional.mid(1).join(QLatin1Char(' ')));
        else if (positional.size() > 1)
            mistake = QStringLiteral("Лишние аргументы: %1")
                          .arg(positional.mid(1).join(QLatin1Char(' ')));
        if (!mistake.isEmpty()) {
            line.outcome = CommandLine::Outcome::Fail;
            line.text = mistake + QStringLiteral("\nСправка: %1 --help\n").arg(program);
        } else {
            if (asked == 1)
                line.outcome = CommandLine::Outcome::Export;
            line.exportAsked = asked == 1;
            if (inClass)
                line.outcome = CommandLine::Outcome::Classroom;
            if (!positional.isEmpty())
                line.quizFolder = QFileInfo(positional.first()).absoluteFilePath();
        }
    }
    return line;
}
