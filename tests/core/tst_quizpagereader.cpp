// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quirvelerror.h"
#include "core/quizpagereader.h"
#include "core/startpage.h"
#include "processmemory.h"

#include <QtTest>

namespace
{

QuizPageContents contents(const QString& title, const QStringList& questions,
                          const QStringList& answers, const QString& order)
{
    QuizPageContents c;
    c.title = title;
    for (int k = 0; k < 6; ++k) {
        c.questions[k] = questions.value(k);
        c.answers[k] = answers.value(k);
        c.extensions[k] = k % 2 ? "jpg" : "jpeg";
        c.order.entries[k] = order[3 * k].digitValue();
    }
    c.order.text = order;
    return c;
}

QByteArray pageOf(const QuizPageContents& c)
{
    QuizSetup setup;
    setup.title = c.title;
    for (int k = 1; k <= 6; ++k)
        setup.slot(k) = {{}, false, c.questions[k - 1], c.answers[k - 1], c.extensions[k - 1]};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeStartPage(buffer, setup, c.order);
    return buffer.data();
}

template <class Source> QString refusal(const Source& source)
{
    try {
        readQuizPage(source);
    } catch (const QuirvelError& e) {
        return e.text();
    }
    return "<read>";
}

QStringList texts(const QuizPageContents& c)
{
    return QStringList{c.title} + QStringList(c.questions.begin(), c.questions.end()) +
           QStringList(c.answers.begin(), c.answers.end());
}

} // namespace

class TestQuizPageReader : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QuizPageContents>("written");
        QTest::addColumn<QString>("readBack"); // of every text, when not the typed one
        QTest::newRow("markup, quotes, multi-line answer")
            << contents("Осень <b>«листопад»</b>",
                        {"Что это?", "", "\"В кавычках\"", "a & b < c", "Ёлка №5", "€ – „“"},
                        {"Клён", "две строки:\r\nвторая", "", " края ", "<i>курсив</i>", "\r\n"},
                        "3, 1, 2, 6, 4, 5")
            << QString();
        QTest::newRow("all empty") << contents({}, {}, {}, "1, 2, 3, 4, 5, 6") << QString();
        QTest::newRow("references typed as text")
            << contents("&#1040;&#8364;", {"&#x41; &#0223; &#99999999;", "&#", "&#;", "&#1114112;"},
                        {"a&#12", "&amp;&lt;", "&#223", "&#9;", "&#13;&#10;", "&&#;#"},
                        "6, 5, 4, 3, 2, 1")
            << QString();
        QTest::newRow("characters the code page lacks")
            << contents("Straße 😀",
                        {"漢字", QChar(0xD800) + QString("&#56320;"), QChar(0xDC00) + QString("x"),
                         QChar(0xFFFD), QString("a") + QChar(0) + "b", QChar(0xD83D)},
                        {"ß\r\n😀\r\n", "ü&#1040;ü", "", "", "", "🎉"}, "2, 4, 6, 1, 3, 5")
            << QString();
        QTest::newRow("texts holding pieces of the page")
            << contents(
                   "<title>x</title>\r\n<SCRIPT language=JavaScript>",
                   {"</td> \r\n<td width=\"25%\"", "(2). ", "", "", "", "jpg\" height=\"160\">"},
                   {"</font></b></td> \r\n<b><font size=\"5\">", "</html>  \r\n"},
                   "5, 6, 1, 2, 3, 4")
            << QString();
        QTest::newRow("six answers closing the page's font")
            << contents("Звери", {}, QStringList(6, "</font>"), "2, 1, 4, 3, 6, 5") << QString();
        // Typed references the page cannot tell from what they name come back as that.
        const auto all = [](const QString& text) {
            return contents(text, QStringList(6, text), QStringList(6, text), "4, 1, 6, 2, 5, 3");
        };
        QTest::newRow("typed ß") << all("&#223;") << "ß";
        QTest::newRow("typed high surrogate, lone low one")
            << all("&#55296;" + QString(QChar(0xDC00))) << QChar(0xD800) + QString("&#56320;");
    }
    // Read back as the setup holds it, and written again to the same bytes.
    void roundTrip()
    {
        QFETCH(QuizPageContents, written);
        QFETCH(QString, readBack);
        const QByteArray page = pageOf(written);
        const QuizPageContents read = readQuizPage(page);
        QCOMPARE(texts(read), readBack.isNull() ? texts(written) : QStringList(13, readBack));
        QCOMPARE(read.order.text, written.order.text);
        QVERIFY(read.order.entries == written.order.entries);
        QCOMPARE(pageOf(read), page);
    }

    // Lines are counted in the file: the page's are the template's up to the two-line answer
    // (line 100).
    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        const QByteArray page =
            pageOf(contents("Title", {"Q"}, {"one", "two\r\nlines"}, "3, 1, 2, 6, 4, 5"));
        const auto line = [&page](int n) { return page.split('\n')[n - 1].chopped(1); };
        const auto changed = [&page](int n, const QByteArray& text) {
            QList<QByteArray> lines = page.split('\n');
            lines[n - 1] = text + '\r';
            return lines.join('\n');
        };
        QTest::newRow("empty") << QByteArray() << 1;
        QTest::newRow("last byte cut") << page.chopped(1) << 167;
        QTest::newRow("titles differ") << changed(37, line(37) + "!") << 37;
        QTest::newRow("order repeats") << changed(9, "var potv=new array(3, 1, 2, 6, 4, 4)") << 9;
        QTest::newRow("order spaced") << changed(9, "var potv=new array(3,1,2,6,4,5)") << 9;
        QTest::newRow("other credit") << changed(49, line(49).replace("QUIRVEL", "X")) << 49;
        QTest::newRow("script changed")
            << changed(15, "    a = eval(document.all(\"form\"+i).amount.value); ") << 15;
        QTest::newRow("undefined byte")
            << changed(55, line(55).replace("(1). Q", "(1). \x98")) << 55;
        QTest::newRow("line added") << page + "<p>\r\n" << 168;
    }
    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QCOMPARE(refusal(bytes), QString("Это не страница викторины, созданная программой QUIRVEL, "
                                         "или она была изменена (строка %1)")
                                     .arg(line));
    }

    void fileSizeLimit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("start.htm");
        const QByteArray page = pageOf(contents("Из файла", {}, {"ответ"}, "2, 3, 1, 5, 6, 4"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(page) == page.size());
        file.close();
        QCOMPARE(pageOf(readQuizPage(path)), page);

        // A file of exactly the limit is read (and refused as no page), one byte more is not read.
        QVERIFY(file.resize(0) && file.resize(MaxQuizPageSize));
        QCOMPARE(refusal(path), QString("Файл «%1» не является страницей викторины, созданной "
                                        "программой QUIRVEL, или был изменён (строка 1)")
                                    .arg(path));
        const QString tooBig = "Файл «%1» больше 16 МБ: это не страница викторины";
        QVERIFY(file.resize(MaxQuizPageSize + 1));
        QCOMPARE(refusal(path), tooBig.arg(path));
        // A device with no size to tell beforehand is cut off after the limit.
        QCOMPARE(refusal(QString("/dev/zero")), tooBig.arg("/dev/zero"));
        // Refused unread: the memory does not grow by the file's size.
        QVERIFY(file.resize(qint64(256) << 20));
        if (resetPeakMemory()) {
            const qint64 before = statusKb("VmRSS");
            QCOMPARE(refusal(path), tooBig.arg(path));
            QVERIFY(statusKb("VmHWM") - before < 16 * 1024);
        }
        QVERIFY(file.remove());
        QVERIFY(refusal(path).startsWith(QString("Не удаётся открыть файл «%1»: ").arg(path)));
        QCOMPARE(refusal(path).section("»: ", 1), QString("файл или папка не найдены"));
        QVERIFY(QDir().mkdir(path));
        QCOMPARE(refusal(path).section("»: ", 1), QString("системная ошибка 21")); // EISDIR
    }
};

QTEST_GUILESS_MAIN(TestQuizPageReader)
#include "tst_quizpagereader.moc"
