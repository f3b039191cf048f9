// SPDX-License-Identifier: GPL-3.0-or-later
// makequiz: builds a quiz folder with the program's own page writer and folder assembly, without
// the windows, so that browser tests and screenshot scripts play exactly what users get.
//
//   makequiz [quiz.json] [--program DIR] [--folder NAME] [--title TEXT]
//            [--picture PATH]x6 [--question TEXT]x6 [--answer TEXT]x6
//            [--order 3,1,2,6,4,5 | --seed N]
//   makequiz --recover --program DIR --folder NAME
//
// quiz.json: {"programFolder", "folderName", "title", "slots": [{"picture", "question", "answer"}
// x6], "order": [6 numbers] or "seed": N}; options given on the command line win. Without order
// or seed the answers are shuffled from the clock, as in the program. The folder name defaults to
// the title. On success prints {"quizFolder", "page", "order"} as JSON; any message the program
// would have shown makes it fail, so a half-made quiz never passes for a good one. --recover only
// finishes or undoes what an interrupted generation left, as the program does at its start.

#include "core/filecopy.h"
#include "core/generationcommand.h"
#include "core/quirvelerror.h"
#include "core/quizfolder.h"
#include "core/quizrecovery.h"
#include "core/quizsetup.h"
#include "core/services.h"
#include "core/shuffle.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <random>
#include <utility>

namespace
{

class Failure
{
public:
    explicit Failure(QString message, int status = 2) : text(std::move(message)), code(status) {}
    QString text;
    int code;
};

// Nobody is there to answer: every question is noted and answered the cautious way.
class UnattendedDialogs : public IDialogs
{
public:
    QStringList shown;
    void message(const QString& text) override { shown << QStringLiteral("message: ") + text; }
    bool confirm(const QString& text) override
    {
        shown << QStringLiteral("confirm: ") + text;
        return false;
    }
    bool yesNo(const QString&, const QString& text, bool) override
    {
        shown << QStringLiteral("yes/no: ") + text;
        return false;
    }
    std::optional<QString> input(const QString&, const QString& prompt, const QString&) override
    {
        shown << QStringLiteral("input: ") + prompt;
        return std::nullopt;
    }
    void error(const QString& text) override { shown << QStringLiteral("error: ") + text; }
    std::optional<QString> chooseFolder(const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
};

class CopyingShell : public IShell
{
public:
    QStringList opened;
    std::error_code copyToNewFile(const QString& source, const QString& target) override
    {
        return ::copyToNewFile(source, target);
    }
    std::error_code renameFile(const QString& from, const QString& to) override
    {
        return ::renameFile(from, to);
    }
    std::error_code removeFile(const QString& path) override { return ::removeFile(path); }
    std::error_code syncToDisk(const QString& path) override { return ::syncToDisk(path); }
    void openDocument(const QString& path, std::function<void()> failed) override
    {
        opened << path;
        failed();
    }
};

void printLine(FILE* stream, const QString& text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fputc('\n', stream);
}

// The answer box keeps line breaks as CR LF; a bare LF from a script or JSON means the same.
QString asTyped(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

AnswerOrder orderFrom(const QList<int>& entries)
{
    if (entries.size() != 6)
        throw Failure(QStringLiteral("the order needs six numbers"));
    AnswerOrder order;
    QStringList parts;
    QList<int> seen;
    for (int k = 0; k < 6; ++k) {
        const int n = entries[k];
        if (n < 1 || n > 6 || seen.contains(n))
            throw Failure(QStringLiteral("the order must hold each of 1 to 6 once"));
        seen << n;
        order.entries[static_cast<size_t>(k)] = n;
        parts << QString::number(n);
    }
    order.text = parts.join(QStringLiteral(", "));
    return order;
}

AnswerOrder seededOrder(quint32 seed)
{
    std::mt19937 generator(seed);
    return shuffleAnswers(
        [&generator](int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator); });
}

struct Request {
    QString programFolder;
    QString folderName;
    QString title;
    QStringList pictures, questions, answers;
    QList<int> order;
    bool hasSeed = false;
    quint32 seed = 0;
    bool recover = false;
};

void readJson(const QString& path, Request& r)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(path + QStringLiteral(": ") + file.errorString());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (!doc.isObject())
        throw Failure(path + QStringLiteral(": ") + error.errorString());
    const QJsonObject o = doc.object();
    r.programFolder = o.value(QStringLiteral("programFolder")).toString();
    r.folderName = o.value(QStringLiteral("folderName")).toString();
    r.title = o.value(QStringLiteral("title")).toString();
    for (const QJsonValue& v : o.value(QStringLiteral("slots")).toArray()) {
        const QJsonObject slot = v.toObject();
        r.pictures << slot.value(QStringLiteral("picture")).toString();
        r.questions << slot.value(QStringLiteral("question")).toString();
        r.answers << slot.value(QStringLiteral("answer")).toString();
    }
    for (const QJsonValue& v : o.value(QStringLiteral("order")).toArray())
        r.order << v.toInt();
    if (o.contains(QStringLiteral("seed"))) {
        r.hasSeed = true;
        r.seed = static_cast<quint32>(o.value(QStringLiteral("seed")).toDouble());
    }
}

Request parseArguments(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds a quiz folder the way the program does."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("quiz.json"), QStringLiteral("Quiz description."),
                                 QStringLiteral("[quiz.json]"));
    // name, description, value name (none: a switch)
    const char* const options[][3] = {{"program", "Program folder with the decorations.", "dir"},
                                      {"folder", "Quiz folder name.", "name"},
                                      {"title", "Quiz title.", "text"},
                                      {"picture", "Picture of the next slot (six times).", "path"},
                                      {"question", "Question of the next slot.", "text"},
                                      {"answer", "Answer of the next slot.", "text"},
                                      {"order", "Answer order, e.g. 3,1,2,6,4,5.", "list"},
                                      {"seed", "Seed for a repeatable shuffle.", "n"},
                                      {"recover", "Only recover the quiz folder.", ""}};
    for (const auto& [name, description, value] : options)
        parser.addOption({QString::fromLatin1(name), QString::fromLatin1(description),
                          QString::fromLatin1(value)});
    parser.process(app);

    Request r;
    r.recover = parser.isSet(QStringLiteral("recover"));
    if (parser.positionalArguments().size() > 1)
        throw Failure(QStringLiteral("at most one quiz.json"));
    if (!parser.positionalArguments().isEmpty())
        readJson(parser.positionalArguments().first(), r);
    // Given on the command line, an option wins over quiz.json.
    for (const auto& [name, into] :
         {std::pair{"program", &r.programFolder}, {"folder", &r.folderName}, {"title", &r.title}})
        if (parser.isSet(QLatin1String(name)))
            *into = parser.value(QLatin1String(name));
    for (const auto& [name, into] :
         {std::pair{"picture", &r.pictures}, {"question", &r.questions}, {"answer", &r.answers}})
        if (parser.isSet(QLatin1String(name)))
            *into = parser.values(QLatin1String(name));
    if (parser.isSet(QStringLiteral("order"))) {
        r.order.clear();
        for (const QString& part : parser.value(QStringLiteral("order")).split(QLatin1Char(',')))
            r.order << part.trimmed().toInt();
    }
    if (parser.isSet(QStringLiteral("seed"))) {
        r.hasSeed = true;
        r.seed = parser.value(QStringLiteral("seed")).toUInt();
    }
    return r;
}

int run(const QCoreApplication& app)
{
    const Request r = parseArguments(app);
    if (r.programFolder.isEmpty())
        throw Failure(QStringLiteral("no program folder given"));
    if (r.recover) {
        CopyingShell shell;
        try {
            recoverQuizFolder(QDir(r.programFolder).absoluteFilePath(r.folderName), shell);
        } catch (const QuirvelError& e) {
            throw Failure(e.text(), 3);
        }
        return 0;
    }
    if (r.pictures.size() != 6)
        throw Failure(QStringLiteral("six pictures are needed, got %1").arg(r.pictures.size()));
    if (r.questions.size() > 6 || r.answers.size() > 6)
        throw Failure(QStringLiteral("at most six questions and six answers"));

    QuizSetup setup;
    setup.initialise(QDir(r.programFolder).absolutePath());
    setup.title = r.title;
    setup.folderName = r.folderName.isEmpty() ? r.title : r.folderName;
    if (setup.folderName.isEmpty())
        throw Failure(QStringLiteral("no folder name and no title to take it from"));
    for (int k = 1; k <= 6; ++k) {
        setup.selectSlot(k);
        setup.setPicture(QDir(r.pictures[k - 1]).absolutePath());
        if (k <= r.questions.size())
            setup.setQuestion(r.questions[k - 1], false);
        if (k <= r.answers.size())
            setup.setAnswer(asTyped(r.answers[k - 1]));
    }
    setup.selectSlot(1);
    setup.firstGeneration = false;

    if (!QDir().mkpath(setup.quizFolder()))
        throw Failure(QStringLiteral("cannot create ") + setup.quizFolder());

    const AnswerOrder answerOrder = !r.order.isEmpty() ? orderFrom(r.order)
                                    : r.hasSeed        ? seededOrder(r.seed)
                                                       : shuffleAnswers();
    UnattendedDialogs dialogs;
    CopyingShell shell;
    (void)placeQuiz(setup, answerOrder, shell, dialogs);
    if (!dialogs.shown.isEmpty() || !shell.opened.isEmpty()) {
        for (const QString& line : dialogs.shown)
            printLine(stderr, QStringLiteral("makequiz: the program would show ") + line);
        for (const QString& path : shell.opened)
            printLine(stderr, QStringLiteral("makequiz: the program would open ") + path);
        return 3;
    }

    QJsonArray entries;
    for (int k = 1; k <= 6; ++k)
        entries << answerOrder[k];
    const QJsonObject result{
        {QStringLiteral("quizFolder"), QDir::cleanPath(setup.quizFolder())},
        {QStringLiteral("page"),
         QDir::cleanPath(setup.quizFolder() + QStringLiteral("/start.htm"))},
        {QStringLiteral("order"), entries},
    };
    printLine(stdout, QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Compact)));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    try {
        return run(app);
    } catch (const Failure& f) {
        printLine(stderr, QStringLiteral("makequiz: ") + f.text);
        return f.code;
    } catch (const QuirvelError& e) {
        printLine(stderr, QStringLiteral("makequiz: the program would report: ") + e.text());
        return 4;
    }
}
