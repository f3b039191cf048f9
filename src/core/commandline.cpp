#include "core/commandline.h"

#include "core/buildinfo.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace
{

// Options the application object takes for itself; any other unknown option is a mistake that
// must be answered before that object exists, since without a display it would abort.
bool leftForQt(const QStringList& unknownOptions)
{
    static const QStringList qtOptions{
        QStringLiteral("platform"),     QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"), QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("geometry"),
        QStringLiteral("qwindowicon"),  QStringLiteral("qwindowtitle"),
        QStringLiteral("title"),        QStringLiteral("display"),
        QStringLiteral("name"),         QStringLiteral("style"),
        QStringLiteral("stylesheet"),   QStringLiteral("session"),
        QStringLiteral("widgetcount"),  QStringLiteral("reverse"),
        QStringLiteral("dialogs"),      QStringLiteral("nograb"),
        QStringLiteral("dograb"),       QStringLiteral("visual"),
        QStringLiteral("ncols"),        QStringLiteral("cmap"),
        QStringLiteral("qmljsdebugger"), QStringLiteral("fontengine"),
    };
    if (unknownOptions.isEmpty())
        return false;
    for (const QString& option : unknownOptions)
        if (!qtOptions.contains(option))
            return false;
    return true;
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
    parser.addOption(help);
    parser.addOption(version);
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
        line.text = parser.helpText();
        const qsizetype options = line.text.indexOf(QStringLiteral(" [options]"));
        if (options > 0)
            line.text = QStringLiteral("Usage: ") + program + line.text.mid(options);
    } else if (parser.isSet(version)) {
        line.outcome = CommandLine::Outcome::Print;
        line.text = QStringLiteral("%1 %2\n").arg(program, programVersion());
    } else if (qtOptionsPresent && leftForQt(parser.unknownOptionNames())) {
        // The rest is read again once Qt has taken its own options out.
    } else if (!parsed || parser.positionalArguments().size() > 1) {
        line.outcome = CommandLine::Outcome::Fail;
        line.text = (parsed ? QStringLiteral("Лишние аргументы: %1")
                                  .arg(parser.positionalArguments().mid(1).join(QLatin1Char(' ')))
                            : parser.errorText()) +
                    QStringLiteral("\nСправка: %1 --help\n").arg(program);
    } else if (!parser.positionalArguments().isEmpty()) {
        line.quizFolder = QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
    }
    return line;
}
