// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/commandline.h"

#include "core/buildinfo.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include <initializer_list>

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

// An option that takes a value.
struct ValueOption {
    const char* name;
    const char* valueName;
    QString description;
};

// Adds the options to the parser in the order given, which the help keeps.
QList<QCommandLineOption> addValueOptions(QCommandLineParser& parser,
                                          std::initializer_list<ValueOption> table)
{
    QList<QCommandLineOption> options;
    for (const ValueOption& entry : table) {
        options.append(QCommandLineOption(QString::fromLatin1(entry.name), entry.description,
                                          QString::fromLatin1(entry.valueName)));
        parser.addOption(options.last());
    }
    return options;
}

// How many values the options got, all together.
int timesGiven(const QCommandLineParser& parser, const QList<QCommandLineOption>& options)
{
    int count = 0;
    for (const QCommandLineOption& option : options)
        count += int(parser.values(option).size());
    return count;
}

// Every option the program takes, in the order the help lists them.
struct Options {
    QCommandLineParser parser;
    const QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Показать эту справку и выйти.")};
    const QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Показать версию программы и выйти.")};
    QList<QCommandLineOption> exports;
    const QCommandLineOption classroom{
        QStringLiteral("classroom"),
        QStringLiteral("Провести викторину из QUIZFOLDER в классе: напечатать адрес для учеников и "
                       "выводить каждый результат строкой JSON, пока программу не остановят.")};
    const QCommandLineOption newLesson{
        QStringLiteral("new-lesson"),
        QStringLiteral("С --classroom: начать новый урок, а не продолжать сегодняшний.")};
    QList<QCommandLineOption> classroomOptions;

    Options()
    {
        // "-reverse" is one of Qt's options, not the short options r, e, v ...
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(
            QStringLiteral("QUIRVEL %1: создание тестов-викторин с картинками")
                .arg(programVersion()));
        parser.addOption(help);
        parser.addOption(version);
        exports = addValueOptions(
            parser,
            {{"export-page", "FILE",
              QStringLiteral(
                  "Сохранить викторину из QUIZFOLDER одним файлом FILE (.htm) и выйти.")},
             {"export-scorm", "FILE",
              QStringLiteral(
                  "Сохранить викторину из QUIZFOLDER пакетом SCORM 1.2 FILE (.zip) и выйти.")},
             {"print-sheet", "FILE",
              QStringLiteral(
                  "Сохранить лист для печати викторины из QUIZFOLDER в FILE (.pdf) и выйти.")}});
        parser.addOption(classroom);
        parser.addOption(newLesson);
        classroomOptions = addValueOptions(
            parser,
            {{"port", "N",
              QStringLiteral("С --classroom: порт, 0 - любой свободный (по умолчанию 8765).")},
             {"address", "A",
              QStringLiteral("С --classroom: принимать учеников только по адресу A.")},
             {"csv", "FILE",
              QStringLiteral(
                  "С --classroom: при остановке сохранить таблицу результатов в FILE (.csv).")},
             {"pupil-rate", "N",
              QStringLiteral("С --classroom: результатов в минуту от одного ученика (20).")},
             {"address-rate", "N",
              QStringLiteral("С --classroom: входов учеников в минуту с одного адреса (60).")},
             {"max-pupils", "N", QStringLiteral("С --classroom: учеников в классе (200).")},
             {"pupils-per-address", "N",
              QStringLiteral("С --classroom: учеников в классе с одного адреса (40).")}});
        parser.addPositionalArgument(
            QStringLiteral("QUIZFOLDER"),
            QStringLiteral("Папка викторины, созданной программой, или её start.htm: викторина "
                           "открывается для правки."),
            QStringLiteral("[QUIZFOLDER]"));
    }
};

// The --classroom values; a number out of its range becomes -1.
void readClassroom(const Options& options, CommandLine::Classroom& room)
{
    const QCommandLineParser& parser = options.parser;
    room.newLesson = parser.isSet(options.newLesson);
    auto number = [&](const char* option, int least, int most, int preset) {
        const QString name = QString::fromLatin1(option);
        if (!parser.isSet(name))
            return preset;
        bool ok = false;
        const int value = parser.value(name).toInt(&ok);
        return ok && value >= least && value <= most ? value : -1;
    };
    room.port = number("port", 0, 65535, room.port);
    room.resultsPerPupil = number("pupil-rate", 1, 1000000, room.resultsPerPupil);
    room.joinsPerAddress = number("address-rate", 1, 1000000, room.joinsPerAddress);
    room.pupils = number("max-pupils", 1, 100000, room.pupils);
    room.pupilsPerAddress = number("pupils-per-address", 1, 100000, room.pupilsPerAddress);
    room.address = parser.value(QStringLiteral("address"));
    if (parser.isSet(QStringLiteral("csv")))
        room.csvFile = QFileInfo(parser.value(QStringLiteral("csv"))).absoluteFilePath();
}

// Why a parsed line cannot run, in the user's words; empty when it can. asked: how many exports.
QString mistakeIn(const Options& options, int asked, const CommandLine::Classroom& room)
{
    const QCommandLineParser& parser = options.parser;
    const QStringList positional = parser.positionalArguments();
    const bool inClass = parser.isSet(options.classroom);
    const QString extra =
        QStringLiteral("Лишние аргументы: %1").arg(positional.mid(1).join(QLatin1Char(' ')));
    if ((timesGiven(parser, options.classroomOptions) > 0 || parser.isSet(options.newLesson)) &&
        !inClass)
        return QStringLiteral("Параметры --port, --address, --csv, --pupil-rate, --address-rate, "
                              "--max-pupils, --pupils-per-address и --new-lesson действуют "
                              "только с --classroom.");
    if (inClass && asked > 0)
        return QStringLiteral("Викторину в классе нельзя проводить вместе с сохранением.");
    if (inClass && positional.size() != 1)
        return positional.isEmpty() ? QStringLiteral("Не указана папка викторины для класса.")
                                    : extra;
    if (inClass && (room.port < 0 || room.resultsPerPupil < 0 || room.joinsPerAddress < 0 ||
                    room.pupils < 0 || room.pupilsPerAddress < 0))
        return QStringLiteral("Неверное число: порт от 0 до 65535, пределы больше нуля.");
    if (asked > 1)
        return QStringLiteral("Можно сделать только одно сохранение за раз.");
    if (asked == 1 && positional.size() != 1)
        return positional.isEmpty()
                   ? QStringLiteral("Не указана папка викторины для сохранения.")
                   : QStringLiteral("Сохранение не открывает викторину: лишние аргументы: %1")
                         .arg(positional.mid(1).join(QLatin1Char(' ')));
    if (positional.size() > 1)
        return extra;
    return {};
}

// What a whole line asks for, once Qt has taken its own options out.
void readWholeLine(const Options& options, bool parsed, const QString& program, CommandLine& line)
{
    const QCommandLineParser& parser = options.parser;
    const QuizExport exportKinds[] = {QuizExport::Page, QuizExport::Scorm, QuizExport::Sheet};
    const int asked = parsed ? timesGiven(parser, options.exports) : 0;
    for (int i = 0; parsed && i < options.exports.size(); ++i) {
        if (parser.isSet(options.exports[i])) {
            line.exportKind = exportKinds[i];
            line.exportFile = QFileInfo(parser.value(options.exports[i])).absoluteFilePath();
        }
    }
    const bool inClass = parsed && parser.isSet(options.classroom);
    if (inClass)
        readClassroom(options, line.classroom);
    const QString mistake =
        parsed ? mistakeIn(options, asked, line.classroom) : russianError(parser);
    if (!mistake.isEmpty()) {
        line.outcome = CommandLine::Outcome::Fail;
        line.text = mistake + QStringLiteral("\nСправка: %1 --help\n").arg(program);
        return;
    }
    if (asked == 1)
        line.outcome = CommandLine::Outcome::Export;
    line.exportAsked = asked == 1;
    if (inClass)
        line.outcome = CommandLine::Outcome::Classroom;
    if (!parser.positionalArguments().isEmpty())
        line.quizFolder = QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
}

} // namespace

CommandLine readCommandLine(const QStringList& arguments, bool qtOptionsPresent)
{
    Options options;
    QCommandLineParser& parser = options.parser;
    const bool parsed = parser.parse(arguments);
    const QString program = QFileInfo(arguments.value(0, QStringLiteral("quirvel"))).fileName();
    CommandLine line;
    if (parser.isSet(options.help)) {
        line.outcome = CommandLine::Outcome::Print;
        // The parser names the program only once an application object exists, and then by
        // its whole path.
        line.text = russianHelp(parser.helpText(), program);
    } else if (parser.isSet(options.version)) {
        line.outcome = CommandLine::Outcome::Print;
        line.text = QStringLiteral("%1 %2\n").arg(program, programVersion());
    } else if (qtOptionsPresent && leftForQt(parser.unknownOptionNames())) {
        // The rest is read again once Qt has taken its own options out.
        line.exportAsked = timesGiven(parser, options.exports) > 0;
    } else {
        readWholeLine(options, parsed, program, line);
    }
    return line;
}
