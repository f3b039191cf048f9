// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quirvelerror.h"
#include "core/quizfolder.h"
#include "core/startpage.h"
#include "export/exportedquiz.h"
#include "export/quizexport.h"
#include "export/typedtext.h"
#include "jpeg/jpegdecoder.h"
#include "testjpeg.h"

#include <QColorSpace>
#include <QProcess>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>

namespace
{

// The segment markers before the scan, in order.
QList<int> markers(const QByteArray& jpeg)
{
    QList<int> found;
    for (qsizetype at = 2; at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF;) {
        const int marker = uchar(jpeg[at + 1]);
        found << marker;
        if (marker == 0xDA)
            break;
        at += 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
    }
    return found;
}

} // namespace

class TestQuizExport : public QObject
{
    Q_OBJECT
    std::optional<QTemporaryDir> m_folder;
    QString m_quiz;
    QString m_supplied;

private slots:
    // A generated quiz: a sideways phone photo with a profile, a small picture, four others; one
    // decoration missing, to be taken from the supplied files.
    void init()
    {
        m_folder.emplace();
        QVERIFY(m_folder->isValid());
        m_quiz = m_folder->filePath("quiz");
        m_supplied = QUIRVEL_DECOR_DIR;
        QVERIFY(QDir().mkpath(m_quiz));
        QuizSetup setup;
        setup.title = "Звери <b> & птицы";
        for (int k = 1; k <= 6; ++k)
            setup.slot(k) = {
                {}, true, QString("Кто №%1?").arg(k), QString("Ответ %1").arg(k), "jpg"};
        setup.slot(3).answer += "\r\nна двух строках"; // moves the later lines of the page
        writeStartPage(setup, AnswerOrder{{3, 1, 2, 6, 4, 5}, "3, 1, 2, 6, 4, 5"}, m_quiz);
        const QByteArray icc = QColorSpace(QColorSpace::SRgb).iccProfile();
        QVERIFY(writeFile(m_quiz + "/1.jpg",
                          withSegmentsAfterSoi(
                              encodeJpeg(cornerMarks(1600, 1000)),
                              exifOrientationSegment(6) +
                                  jpegSegment(0xE2, QByteArray("ICC_PROFILE\0\1\1", 14) + icc))));
        QVERIFY(writeFile(m_quiz + "/2.jpg", encodeJpeg(cornerMarks(200, 150))));
        for (int k = 3; k <= 6; ++k)
            QVERIFY(
                writeFile(m_quiz + QString("/%1.jpg").arg(k), encodeJpeg(cornerMarks(3000, 2000))));
        for (const QString& name : DecorationNames.mid(1))
            QVERIFY(QFile::copy(m_supplied + "/" + name, m_quiz + "/" + name));
    }

    void exports_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("breakage");
        QTest::addColumn<QString>("error");
        const QString missing = "Картинка 4 (4.jpg): файл или папка не найдены";
        const QString full = "Не удаётся записать файл «%1»: системная ошибка 27"; // EFBIG
        for (const auto& [kind, name] : {std::pair{0, "page"}, {1, "package"}, {2, "sheet"}}) {
            QTest::addRow("%s, whole", name) << kind << QString() << QString();
            QTest::addRow("%s, missing picture", name) << kind << "missing" << missing;
            QTest::addRow("%s, full disk", name) << kind << "limit" << full;
        }
        QTest::newRow("undecodable picture") << 1 << "garbage"
                                             << "Картинка 4 (4.jpg): это не JPEG-файл";
        QTest::newRow("cut picture, sent and named") << 2 << "cut" << QString();
    }
    // Whole or not at all: the old file stays unless the new one is complete.
    void exports()
    {
        QFETCH(int, kind);
        QFETCH(QString, breakage);
        QFETCH(QString, error);
        const QString out = m_folder->filePath("out/export");
        QVERIFY(QDir().mkpath(m_folder->filePath("out")));
        QVERIFY(writeFile(out, "old"));
        if (breakage == "missing")
            QVERIFY(QFile::remove(m_quiz + "/4.jpg"));
        if (breakage == "garbage")
            QVERIFY(writeFile(m_quiz + "/4.jpg", QByteArray(5000, 'x')));
        QFile four(m_quiz + "/4.jpg");
        if (breakage == "cut")
            QVERIFY(four.open(QIODevice::ReadWrite) && four.resize(four.size() / 2));

        rlimit limit{}, unlimited{};
        getrlimit(RLIMIT_FSIZE, &unlimited);
        limit = {breakage == "limit" ? 4096 : unlimited.rlim_cur, unlimited.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        QString failure;
        QStringList notices;
        try {
            notices = exportQuiz(QuizExport(kind), m_quiz, out, m_supplied);
        } catch (const QuirvelError& e) {
            failure = e.text();
        }
        setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY2(error.isEmpty() ? failure.isEmpty() : failure.startsWith(error.arg(out)),
                 qPrintable(failure));
        QCOMPARE(notices, breakage == "cut" ? QStringList{"Картинка 4 (4.jpg) повреждена: "
                                                          "показана не полностью"}
                                            : QStringList());
        QCOMPARE(QDir(m_folder->filePath("out")).entryList(QDir::Files | QDir::Hidden), {"export"});
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        if (!error.isEmpty())
            QCOMPARE(bytes, "old");
        else
            QVERIFY(
                bytes.startsWith(QList<QByteArray>{" <html lang=\"ru\">", "PK\3\4", "%PDF"}[kind]));
        if (kind == 0 && error.isEmpty()) {
            QFile page(m_quiz + "/start.htm");
            QVERIFY(page.open(QIODevice::ReadOnly));
            const QByteArray original = page.readAll();
            QCOMPARE(bytes.count("data:image/"), 15);
            QCOMPARE(bytes.count(" alt=\""), 14);                  // each image but the background
            QCOMPARE(bytes.count("\r\n"), original.count("\r\n")); // same lines, nothing else
            QVERIFY(!bytes.contains(".gif\"") && !bytes.contains(".jpg"));
        }
    }

    // The sheet prints what the page shows: formatting tags applied, others and a local file
    // named in one as typed, emoji in a font the PDF holds, long words broken, and the pupil's
    // part on its one page, its pictures and type made smaller for long answers.
    void sheetKeepsEveryCharacter()
    {
        QuizSetup setup;
        setup.title = "Флаги <i>и</i>  звери 🐻";
        const QString answer = QString("Ответ <b>жирный</b> <img src=\"%1\"> &amp;\r\n")
                                   .arg(m_quiz + "/1.jpg")
                                   .repeated(2);
        for (int k = 1; k <= 6; ++k)
            setup.slot(k) = {{}, true, "Чей флаг 🇮🇸?", answer + QString(100, u'щ'), "jpg"};
        writeStartPage(setup, AnswerOrder{{3, 1, 2, 6, 4, 5}, "3, 1, 2, 6, 4, 5"}, m_quiz);
        const QString out = m_folder->filePath("sheet.pdf");
        exportQuiz(QuizExport::Sheet, m_quiz, out, m_supplied);
        const auto output = [&](const QString& tool, const QStringList& arguments) {
            QProcess process;
            process.start(tool, arguments);
            return process.waitForFinished(60000) ? QString::fromUtf8(process.readAll()) : "";
        };
        const QStringList pages = output("pdftotext", {"-layout", out, "-"}).split('\f');
        QCOMPARE(pages.size(), 3); // two and the end
        QVERIFY2(pages[0].startsWith("Флаги и звери"), qPrintable(pages[0]));
        QCOMPARE(pages[0].count(QString("Ответ жирный <img src=\"%1\"> & ").arg(m_quiz + "/1.jpg")),
                 6);
        QCOMPARE(pages[0].count(u'щ'), 6 * 100);
        QVERIFY(!pages[0].contains("<b>") && !pages[1].contains("<i>"));
        QVERIFY(!pages[0].contains(QString(100, u'щ'))); // broken to fit the width
        const QStringList fonts = output("pdffonts", {out}).split('\n').mid(2);
        const QRegularExpression embedded(" yes +\\S+ +\\S+ +\\d+ +\\d+$");
        QVERIFY2(fonts.filter(embedded).size() == fonts.size() - 1 &&
                     fonts.filter(QRegularExpression("^(Symbola|DejaVuSans) ")).size() == 2,
                 qPrintable(fonts.join('\n')));
    }

    // Upright, at most 640 high and never enlarged, only JFIF and the profile kept.
    // A closing tag ends the elements left open inside it: after "<b><i>x</b>y</i>", z is plain.
    void typedTextClosesInnerTags()
    {
        QTextDocument document;
        QTextCursor cursor(&document);
        insertTypedText(cursor, "<b><i>x</b>y</i>z");
        cursor.movePosition(QTextCursor::End);
        QCOMPARE(document.toPlainText(), "xyz");
        QVERIFY(cursor.charFormat().fontWeight() != QFont::Bold &&
                !cursor.charFormat().fontItalic());
    }

    void sentPictures()
    {
        const ExportedQuiz quiz(m_quiz, m_supplied);
        const QList<QSize> sizes{{400, 640}, {200, 150}, {960, 640}};
        for (int k = 1; k <= 3; ++k) {
            const QByteArray jpeg = quiz.picture(k);
            QCOMPARE(markers(jpeg).first(), 0xE0);
            QVERIFY(!markers(jpeg).contains(0xE1));
            QCOMPARE(markers(jpeg).contains(0xE2), k == 1);
            const QImage image = decodeJpegData(jpeg);
            QCOMPARE(image.size(), sizes[k - 1]);
            if (k == 1) { // turned a quarter clockwise: the red top-left corner is now top-right
                QVERIFY(near(image.pixel(image.width() - 20, 20), MarkRed.rgb()));
                QVERIFY(near(image.pixel(20, 20), MarkGrey.rgb()));
            }
        }
    }
};

QTEST_MAIN(TestQuizExport)
#include "tst_quizexport.moc"
