#include "core/quirvelerror.h"
#include "core/quizpagereader.h"
#include "core/startpage.h"
#include "processmemory.h"

#include <QtTest>

class TestQuizPageReader : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void typedReferenceOfLackingCharacter_data();
    void typedReferenceOfLackingCharacter();
    void refused_data();
    void refused();
    void fileSizeLimit();
};

static QByteArray pageOf(const QuizSetup& setup, const AnswerOrder& order)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeStartPage(buffer, setup, order);
    return buffer.data();
}

static QuizSetup setupOf(const QString& title, const QStringList& questions,
                        const QStringList& answers)
{
    QuizSetup setup;
    setup.title = title;
    for (int k = 1; k <= 6; ++k) {
        setup.slot(k).question = questions.value(k - 1);
        setup.slot(k).answer = answers.value(k - 1);
    }
    return setup;
}

static QuizSetup setupOf(const QuizPageContents& page)
{
    QuizSetup setup = setupOf(page.title, {page.questions.begin(), page.questions.end()},
                             {page.answers.begin(), page.answers.end()});
    for (int k = 1; k <= 6; ++k)
        setup.slot(k).extension = page.extensions[k - 1];
    return setup;
}

static AnswerOrder orderOf(const QList<int>& entries)
{
    AnswerOrder order;
    QStringList parts;
    for (int k = 0; k < 6; ++k) {
        order.entries[k] = entries[k];
        parts << QString::number(entries[k]);
    }
    order.text = parts.join(QStringLiteral(", "));
    return order;
}

template <class Source> static QString refusal(const Source& source)
{
    try {
        readQuizPage(source);
    } catch (const QuirvelError& e) {
        return e.text();
    }
    return QStringLiteral("<read>");
}

static QString notAPage(int line)
{
    return QStringLiteral("Это не страница викторины, созданная программой QUIRVEL, или она была "
                          "изменена (строка %1)")
        .arg(line);
}

void TestQuizPageReader::roundTrip_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QList<int>>("order");
    const QString nul(QChar(0));
    QTest::newRow("markup, quotes, multi-line answer, empty texts")
        << "Осень <b>«листопад»</b>"
        << QStringList{"Что это?", "", "\"В кавычках\"", "a & b < c", "Ёлка №5", "€ – „“"}
        << QStringList{"Клён", "две строки:\r\nвторая", "", " края ", "<i>курсив</i>", "\r\n"}
        << QList<int>{3, 1, 2, 6, 4, 5};
    QTest::newRow("all empty") << QString() << QStringList() << QStringList()
                               << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("references typed as text")
        << "&#1040;&#8364;"
        << QStringList{"&#1040;", "&#x41; &#0223; &#99999999;", "&#", "&#;", "&#1114112;", "&&#;#"}
        << QStringList{"&#8364;", "a&#12", "&amp;&lt;", "&#223", "&#9;", "&#13;&#10;"}
        << QList<int>{6, 5, 4, 3, 2, 1};
    QTest::newRow("characters the code page lacks")
        << "Straße 😀"
        << QStringList{"漢字",
                       QString(QChar(0xD800)) + "&#56320;",
                       QString(QChar(0xDC00)) + "x",
                       QString(QChar(0xFFFD)),
                       "a" + nul + "b",
                       QString(QChar(0xD83D))}
        << QStringList{"ß\r\n😀\r\n", "ü&#1040;ü", "\t", "", "", "🎉"}
        << QList<int>{2, 4, 6, 1, 3, 5};
    QTest::newRow("texts holding pieces of the page")
        << "<title>x</title>\r\n<SCRIPT language=JavaScript>"
        << QStringList{"</td> \r\n<td width=\"25%\"", "(2). ", "", "", "", "jpg\" height=\"160\">"}
        << QStringList{"</font></b></td> \r\n<b><font size=\"5\">", "</html>  \r\n", "", "", "", ""}
        << QList<int>{5, 6, 1, 2, 3, 4};
}

void TestQuizPageReader::roundTrip()
{
    QFETCH(QString, title);
    QFETCH(QStringList, questions);
    QFETCH(QStringList, answers);
    QFETCH(QList<int>, order);
    const QByteArray page = pageOf(setupOf(title, questions, answers), orderOf(order));

    const QuizPageContents read = readQuizPage(page);
    QCOMPARE(read.title, title);
    for (int k = 1; k <= 6; ++k) {
        QCOMPARE(read.questions[k - 1], questions.value(k - 1));
        QCOMPARE(read.answers[k - 1], answers.value(k - 1));
    }
    QCOMPARE(QList<int>(read.order.entries.begin(), read.order.entries.end()), order);
    QCOMPARE(pageOf(setupOf(read), read.order), page);
}

// Typed references that the page cannot tell from what they name: the same bytes are written
// either way, and they come back as that other text.
void TestQuizPageReader::typedReferenceOfLackingCharacter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("ß") << "&#223;"
                       << "ß";
    QTest::newRow("high surrogate typed, low one lone")
        << "&#55296;" + QString(QChar(0xDC00)) << QString(QChar(0xD800)) + "&#56320;";
}

void TestQuizPageReader::typedReferenceOfLackingCharacter()
{
    QFETCH(QString, typed);
    QFETCH(QString, readBack);
    const AnswerOrder order = orderOf({4, 1, 6, 2, 5, 3});
    const QByteArray page = pageOf(setupOf(typed, {typed}, {typed}), order);
    const QuizPageContents read = readQuizPage(page);
    QCOMPARE(read.title, readBack);
    QCOMPARE(read.questions[0], readBack);
    QCOMPARE(read.answers[0], readBack);
    QCOMPARE(pageOf(setupOf(read), read.order), page);
}

// Lines are counted in the file: the page's are the template's up to the two-line answer (line
// 100).
void TestQuizPageReader::refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    const QByteArray page =
        pageOf(setupOf("Title", {"Q"}, {"one", "two\r\nlines"}), orderOf({3, 1, 2, 6, 4, 5}));
    const auto line = [&page](int n) { return page.split('\n')[n - 1].chopped(1); };
    const auto changed = [&page](int n, const QByteArray& text) {
        QList<QByteArray> lines = page.split('\n');
        lines[n - 1] = text + '\r';
        return lines.join('\n');
    };
    QTest::newRow("empty file") << QByteArray() << 1;
    QTest::newRow("foreign page") << QByteArray("<html><body>Hi</body></html>\r\n") << 1;
    for (const qsizetype cut : {qsizetype(1), qsizetype(900), page.size() / 2, page.size() - 1})
        QTest::addRow("cut at %lld", qlonglong(cut))
            << page.left(cut) << int(page.left(cut).count('\n') + 1);
    QTest::newRow("line 1 without its blank") << page.mid(1) << 1;
    QTest::newRow("line feeds only") << QByteArray(page).replace("\r\n", "\n") << 1;
    QTest::newRow("titles differ") << changed(37, line(37) + "!") << 37;
    QTest::newRow("order repeats an entry")
        << changed(9, "var potv=new array(3, 1, 2, 6, 4, 4)") << 9;
    QTest::newRow("order spaced otherwise") << changed(9, "var potv=new array(3,1,2,6,4,5)") << 9;
    QTest::newRow("other credit") << changed(49, line(49).replace("QUIRVEL", "X")) << 49;
    QTest::newRow("script changed")
        << changed(15, "    a = eval(document.all(\"form\"+i).amount.value); ") << 15;
    QTest::newRow("undefined byte in a question")
        << changed(55, line(55).replace("(1). Q", "(1). \x98")) << 55;
    QTest::newRow("line added at the end") << page + "<p>\r\n" << 168;
    QTest::newRow("last line changed") << page.chopped(4) + "\r\n" << 167;
}

void TestQuizPageReader::refused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QCOMPARE(refusal(bytes), notAPage(line));
}

void TestQuizPageReader::fileSizeLimit()
{
    QTemporaryDir dir;
    const AnswerOrder order = orderOf({2, 3, 1, 5, 6, 4});
    writeStartPage(setupOf("Из файла", {}, {"ответ"}), order, dir.path());
    const QuizPageContents read = readQuizPage(dir.path() + "/start.htm");
    QCOMPARE(read.title, QStringLiteral("Из файла"));
    QCOMPARE(read.answers[0], QStringLiteral("ответ"));
    QCOMPARE(read.order.text, order.text);

    // A file of exactly the limit is read (and refused as no page), one byte more is not read.
    const QString path = dir.filePath("big.htm");
    QFile big(path);
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(MaxQuizPageSize));
    big.close();
    QCOMPARE(refusal(path), QStringLiteral("Файл «%1» не является страницей викторины, созданной "
                                           "программой QUIRVEL, или был изменён (строка 1)")
                                .arg(path));
    const QString tooBig = QStringLiteral("Файл «%1» больше 16 МБ: это не страница викторины");
    QVERIFY(big.resize(MaxQuizPageSize + 1));
    QCOMPARE(refusal(path), tooBig.arg(path));
    // Refused unread: the memory does not grow by the file's size.
    QVERIFY(big.resize(qint64(256) << 20));
    if (resetPeakMemory()) {
        const qint64 before = statusKb("VmRSS");
        QCOMPARE(refusal(path), tooBig.arg(path));
        QVERIFY(statusKb("VmHWM") - before < 16 * 1024);
    }
    QVERIFY(big.remove());
    QVERIFY(refusal(path).startsWith(QStringLiteral("Не удаётся открыть файл «%1»: ").arg(path)));
}

QTEST_GUILESS_MAIN(TestQuizPageReader)
#include "tst_quizpagereader.moc"
