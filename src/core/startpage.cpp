// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/startpage.h"

#include "core/buildinfo.h"
#include "core/cp1251.h"
#include "core/errorreason.h"
#include "core/filecopy.h"
#include "core/pagetemplate.h"
#include "core/quirvelerror.h"

#include <QSaveFile>

#include <cerrno>
#include <iterator>
#include <unistd.h>

namespace
{

using Insert = PageInsert;
using TemplateLine = PageTemplateLine;

// Every blank below is part of the page; the tabs of lines 18, 19, 22 and 23 are written as "\t".
// The player's entry is read with Number() so that a letter simply counts as a wrong answer, and
// the check time is the browser's HH:MM:SS.
// clang-format off
constexpr TemplateLine PageTemplate[] = {
    {R"~( <html><head>)~", Insert::None, 0, ""}, // 1
    {R"~(<meta http-equiv="Content-Language" content="ru">)~", Insert::None, 0, ""}, // 2
    {R"~(<meta http-equiv="Content-Type" content="text/html; charset=windows-1251">)~", Insert::None, 0, ""}, // 3
    {R"~(<title>)~", Insert::Title, 0, R"~(</title>)~"}, // 4
    {R"~(<SCRIPT language=JavaScript>)~", Insert::None, 0, ""}, // 5
    {R"~(<!-- )~", Insert::None, 0, ""}, // 6
    {R"~(function Check() { )~", Insert::None, 0, ""}, // 7
    {R"~(var a=0, i=0, vop=6, osh=vop, n=0, k=0 )~", Insert::None, 0, ""}, // 8
    {R"~(var potv=new Array()~", Insert::OrderText, 0, R"~())~"}, // 9
    {R"~(var q=confirm("Проверить выполненный тест?"))~", Insert::None, 0, ""}, // 10
    {R"~(if (q) {                                     )~", Insert::None, 0, ""}, // 11
    {R"~(for (i = 0; i < vop; i++)                    )~", Insert::None, 0, ""}, // 12
    {R"~({                                             )~", Insert::None, 0, ""}, // 13
    {R"~(    n=potv[i];                                )~", Insert::None, 0, ""}, // 14
    {R"~(    a = Number(document.all("form"+i).amount.value); )~", Insert::None, 0, ""}, // 15
    {R"~(   if (a==n) {                                   )~", Insert::None, 0, ""}, // 16
    {R"~(        document.all("form"+i).rem.value=" Правильно "; k++; )~", Insert::None, 0, ""}, // 17
    {"\t" R"~(document.all("form"+i).fon.style.background ="lime"; )~", Insert::None, 0, ""}, // 18
    {"\t" R"~(}  )~", Insert::None, 0, ""}, // 19
    {R"~(    else { )~", Insert::None, 0, ""}, // 20
    {R"~(        document.all("form"+i).rem.value=" Ответ неверен "; )~", Insert::None, 0, ""}, // 21
    {"\t" R"~(document.all("form"+i).fon.style.background ="red";         )~", Insert::None, 0, ""}, // 22
    {"\t" R"~( }  )~", Insert::None, 0, ""}, // 23
    {R"~(}     )~", Insert::None, 0, ""}, // 24
    {R"~(   osh-=k )~", Insert::None, 0, ""}, // 25
    {R"~(   alert("Правильных ответов: " + k  + ".") )~", Insert::None, 0, ""}, // 26
    {R"~(xdate=new Date()    )~", Insert::None, 0, ""}, // 27
    {R"~(xs=new String(xdate)  )~", Insert::None, 0, ""}, // 28
    {R"~(xs=xdate.toTimeString().slice(0,8)      )~", Insert::None, 0, ""}, // 29
    {R"~(document.all.rez.value=document.all.rez.value+"Правильных: "+k+", a ошибок: "+osh+", время: "+xs+".\n"  )~", Insert::None, 0, ""}, // 30
    {R"~(}  )~", Insert::None, 0, ""}, // 31
    {R"~(}    )~", Insert::None, 0, ""}, // 32
    {R"~(// --> )~", Insert::None, 0, ""}, // 33
    {R"~(</SCRIPT> )~", Insert::None, 0, ""}, // 34
    {R"~(</head>    )~", Insert::None, 0, ""}, // 35
    {R"~(<body  bgcolor="#FFFFFF" background="fong.gif" topmargin="0"> )~", Insert::None, 0, "", NamesFile}, // 36
    {R"~(<i><b><font face="Arial" size="6" color="#FF0000">)~", Insert::Title, 0, ""}, // 37
    {R"~(</font></b></i><br>      )~", Insert::None, 0, ""}, // 38
    {R"~(<table border="1" width="100%" id="table1"> )~", Insert::None, 0, ""}, // 39
    {R"~(<tr>   )~", Insert::None, 0, ""}, // 40
    {R"~(<td colspan="3" height="16" align="left" valign="top"> )~", Insert::None, 0, ""}, // 41
    {R"~(<b><font face="Arial" size="5"><font color="#008000">Тест-викторина.</font> </font> )~", Insert::None, 0, ""}, // 42
    {R"~(<font face="Arial"size="2">            )~", Insert::None, 0, ""}, // 43
    {R"~(&nbsp;&nbsp;&nbsp;Установи номера картинок и ответов в соответствие, потом ></font><font face="Arial"size="2">&nbsp; )~", Insert::None, 0, ""}, // 44
    {R"~(</font> )~", Insert::None, 0, ""}, // 45
    {R"~(<input type=button value=" Проверь!" onClick="Check()"> )~", Insert::None, 0, ""}, // 46
    {R"~(<td width="25%" align="left" valign="top">  )~", Insert::None, 0, ""}, // 47
    {R"~(<p align="center">Создано программой       )~", Insert::None, 0, ""}, // 48
    {R"~(<font color="#FF0000">QUIRVEL</font>)~", Insert::Credit, 0, R"~( &nbsp;&nbsp;  )~"}, // 49
    {"", Insert::SiteLink, 0, "  "}, // 50
    {R"~(</td>  )~", Insert::None, 0, ""}, // 51
    {R"~(</tr>   )~", Insert::None, 0, ""}, // 52
    {R"~(<tr>    )~", Insert::None, 0, ""}, // 53
    {R"~(<td width="25%" align="left" valign="top">  )~", Insert::None, 0, ""}, // 54
    {R"~(<img border="0" src="11.gif" width="40" height="30"> (1). )~", Insert::Question, 1, R"~(</td> )~", NamesFile}, // 55
    {R"~(<td width="25%" align="left" valign="top">     )~", Insert::None, 0, ""}, // 56
    {R"~(<img border="0" src="22.gif" width="40" height="30">  (2). )~", Insert::Question, 2, R"~(</td>  )~", NamesFile}, // 57
    {R"~(<td width="25%" rowspan="2" valign="top">                                      )~", Insert::None, 0, ""}, // 58
    {R"~(<form name=form0>     )~", Insert::None, 0, ""}, // 59
    {R"~( <input type=button value=" << " onClick="javascript:this.form.amount.value--;"> )~", Insert::None, 0, ""}, // 60
    {R"~( <input type=text size=1 maxlength=1 name=amount value=5 style="font-family: Arial;   font-size: 12pt; font-weight: bold"> )~", Insert::None, 0, ""}, // 61
    {R"~( <input type=button value=" >> " onClick="javascript:this.form.amount.value++;">    )~", Insert::None, 0, ""}, // 62
    {R"~(<input type=button name=fon value="         ???        " style="background: aqua" onClick='alert("Какой номер картинки слева соответствует этому ответу")' > )~", Insert::None, 0, ""}, // 63
    {R"~( <input type=text name=rem size=15 maxlength=15 value=" Не проверено"> )~", Insert::None, 0, ""}, // 64
    {R"~(</form>   )~", Insert::None, 0, ""}, // 65
    {R"~(<b><font size="5">)~", Insert::Answer, 1, R"~(</font></b></td> )~"}, // 66
    {R"~(<td rowspan="2" valign="top" width="24%">         )~", Insert::None, 0, ""}, // 67
    {R"~(<form name=form1>  )~", Insert::None, 0, ""}, // 68
    {R"~(<input type=button value=" << " onClick="javascript:this.form.amount.value--;">  )~", Insert::None, 0, ""}, // 69
    {R"~(<input type=text size=1 maxlength=1 name=amount value=5 style="font-family: Arial; font-size: 12pt; font-weight: bold"> )~", Insert::None, 0, ""}, // 70
    {R"~(<input type=button value=" >> " onClick="javascript:this.form.amount.value++;">       )~", Insert::None, 0, ""}, // 71
    {R"~(<input type=button name=fon value="         ???        " style="background: aqua" onClick='alert("Какой номер картинки слева соответствует этому ответу")' > )~", Insert::None, 0, ""}, // 72
    {R"~(<input type=text name=rem size=15 maxlength=15 value=" Не проверено"> )~", Insert::None, 0, ""}, // 73
    {R"~(</form>    )~", Insert::None, 0, ""}, // 74
    {R"~(<b><font size="5">)~", Insert::Answer, 2, R"~(</font></b></td> )~"}, // 75
    {R"~(</tr>  )~", Insert::None, 0, ""}, // 76
    {R"~(<tr>      )~", Insert::None, 0, ""}, // 77
    {R"~(<td width="25%" align="left" valign="top"> )~", Insert::None, 0, ""}, // 78
    {R"~(<img border="0" src="1.)~", Insert::Extension, 1, R"~(" height="160"></td> )~", NamesFile}, // 79
    {R"~( <td width="25%" align="left" valign="top">)~", Insert::None, 0, ""}, // 80
    {R"~( <img border="0" src="2.)~", Insert::Extension, 2, R"~("  height="160"></td> )~", NamesFile}, // 81
    {R"~(</tr>      )~", Insert::None, 0, ""}, // 82
    {R"~(<tr> )~", Insert::None, 0, ""}, // 83
    {R"~(<td colspan="4" height="16"> )~", Insert::None, 0, ""}, // 84
    {R"~(<img border="0" src="line1.gif"  width="760" height="5"></td> )~", Insert::None, 0, "", NamesFile}, // 85
    {R"~(</tr> )~", Insert::None, 0, ""}, // 86
    {R"~(<tr>   )~", Insert::None, 0, ""}, // 87
    {R"~( <td width="25%" align="left" valign="top"> )~", Insert::None, 0, ""}, // 88
    {R"~( <img border="0" src="33.gif" width="40" height="30">  (3). )~", Insert::Question, 3, R"~(</td> )~", NamesFile}, // 89
    {R"~( <td width="25%" align="left" valign="top">  )~", Insert::None, 0, ""}, // 90
    {R"~( <img border="0" src="44.gif" width="40" height="30">  (4). )~", Insert::Question, 4, R"~(</td> )~", NamesFile}, // 91
    {R"~( <td width="25%" valign="top" rowspan="2">  )~", Insert::None, 0, ""}, // 92
    {R"~(<form name=form2>  )~", Insert::None, 0, ""}, // 93
    {R"~( <input type=button value=" << " onClick="javascript:this.form.amount.value--;"> )~", Insert::None, 0, ""}, // 94
    {R"~( <input type=text size=1 maxlength=1 name=amount value=5 style="font-family: Arial; font-size: 12pt; font-weight: bold"> )~", Insert::None, 0, ""}, // 95
    {R"~( <input type=button value=" >> " onClick="javascript:this.form.amount.value++;">  )~", Insert::None, 0, ""}, // 96
    {R"~( <input type=button name=fon value="         ???        " style="background: aqua" onClick='alert("Какой номер картинки слева соответствует этому ответу")' >  )~", Insert::None, 0, ""}, // 97
    {R"~( <input type=text name=rem size=15 maxlength=15 value=" Не проверено">  )~", Insert::None, 0, ""}, // 98
    {R"~(</form> )~", Insert::None, 0, ""}, // 99
    {R"~(<b><font size="5">)~", Insert::Answer, 3, R"~(</font></b>  )~"}, // 100
    {R"~(</td>)~", Insert::None, 0, ""}, // 101
    {R"~(<td valign="top" rowspan="2" width="24%"> )~", Insert::None, 0, ""}, // 102
    {R"~(<form name=form3> )~", Insert::None, 0, ""}, // 103
    {R"~( <input type=button value=" << " onClick="javascript:this.form.amount.value--;"> )~", Insert::None, 0, ""}, // 104
    {R"~( <input type=text size=1 maxlength=1 name=amount value=5 style="font-family: Arial; font-size: 12pt; font-weight: bold"> )~", Insert::None, 0, ""}, // 105
    {R"~( <input type=button value=" >> " onClick="javascript:this.form.amount.value++;"> )~", Insert::None, 0, ""}, // 106
    {R"~( <input type=button name=fon value="         ???        " style="background: aqua" onClick='alert("Какой номер картинки слева соответствует этому ответу")' > )~", Insert::None, 0, ""}, // 107
    {R"~( <input type=text name=rem size=15 maxlength=15 value=" Не проверено"> )~", Insert::None, 0, ""}, // 108
    {R"~(</form>  )~", Insert::None, 0, ""}, // 109
    {R"~(<b><font size="5">)~", Insert::Answer, 4, R"~(</font></b></td> )~"}, // 110
    {R"~(</tr>   )~", Insert::None, 0, ""}, // 111
    {R"~(<tr>     )~", Insert::None, 0, ""}, // 112
    {R"~(<td width="25%" align="left" valign="top"> )~", Insert::None, 0, ""}, // 113
    {R"~(<img border="0" src="3.)~", Insert::Extension, 3, R"~( " height="160"></td> )~", NamesFile}, // 114
    {R"~(<td width="24%" align="left" valign="top"> )~", Insert::None, 0, ""}, // 115
    {R"~(<img border="0" src="4.)~", Insert::Extension, 4, R"~("  height="160"></td> )~", NamesFile}, // 116
    {R"~(</tr> )~", Insert::None, 0, ""}, // 117
    {R"~(<tr>  )~", Insert::None, 0, ""}, // 118
    {R"~(<td colspan="4" height="16"> )~", Insert::None, 0, ""}, // 119
    {R"~(<img border="0" src="line1.gif" width="760" height="5"></td> )~", Insert::None, 0, "", NamesFile}, // 120
    {R"~(</tr> )~", Insert::None, 0, ""}, // 121
    {R"~(<tr>   )~", Insert::None, 0, ""}, // 122
    {R"~(<td width="25%" align="left" valign="top"> )~", Insert::None, 0, ""}, // 123
    {R"~(<img border="0" src="55.gif" width="40" height="30"> (5). )~", Insert::Question, 5, R"~( </td> )~", NamesFile}, // 124
    {R"~(<td width="25%" align="left" valign="top"> )~", Insert::None, 0, ""}, // 125
    {R"~(<img border="0" src="66.gif" width="40" height="30"> (6). )~", Insert::Question, 6, R"~(</td> )~", NamesFile}, // 126
    {R"~(<td width="25%" valign="top" rowspan="2">  )~", Insert::None, 0, ""}, // 127
    {R"~(<form name=form4> )~", Insert::None, 0, ""}, // 128
    {R"~( <input type=button value=" << " onClick="javascript:this.form.amount.value--;"> )~", Insert::None, 0, ""}, // 129
    {R"~( <input type=text size=1 maxlength=1 name=amount value=5 style="font-family: Arial; font-size: 12pt; font-weight: bold"> )~", Insert::None, 0, ""}, // 130
    {R"~( <input type=button value=" >> " onClick="javascript:this.form.amount.value++;"> )~", Insert::None, 0, ""}, // 131
    {R"~( <input type=button name=fon value="         ???        " style="background: aqua" onClick='alert("Какой номер картинки слева соответствует этому ответу")' > )~", Insert::None, 0, ""}, // 132
    {R"~( <input type=text name=rem size=15 maxlength=15 value=" Не проверено">  )~", Insert::None, 0, ""}, // 133
    {R"~(</form>  )~", Insert::None, 0, ""}, // 134
    {R"~(<b><font size="5">)~", Insert::Answer, 5, R"~(</font></b></td> )~"}, // 135
    {R"~(<td valign="top" width="25%" rowspan="2"> )~", Insert::None, 0, ""}, // 136
    {R"~(<form name=form5> )~", Insert::None, 0, ""}, // 137
    {R"~( <input type=button value=" << " onClick="javascript:this.form.amount.value--;"> )~", Insert::None, 0, ""}, // 138
    {R"~( <input type=text size=1 maxlength=1 name=amount value=5 style="font-family: Arial; font-size: 12pt; font-weight: bold"> )~", Insert::None, 0, ""}, // 139
    {R"~( <input type=button value=" >> " onClick="javascript:this.form.amount.value++;"> )~", Insert::None, 0, ""}, // 140
    {R"~( <input type=button name=fon value="         ???        " style="background:  aqua" onClick='alert("Какой номер картинки слева соответствует этому ответу")' > )~", Insert::None, 0, ""}, // 141
    {R"~( <input type=text name=rem size=15 maxlength=15 value=" Не проверено"> )~", Insert::None, 0, ""}, // 142
    {R"~(</form>  )~", Insert::None, 0, ""}, // 143
    {R"~(<b><font size="5">)~", Insert::Answer, 6, R"~(</font></b></td> )~"}, // 144
    {R"~(</tr>  )~", Insert::None, 0, ""}, // 145
    {R"~(<tr> )~", Insert::None, 0, ""}, // 146
    {R"~(<td width="25%" align="left" valign="top"> )~", Insert::None, 0, ""}, // 147
    {R"~(<img border="0" src="5.)~", Insert::Extension, 5, R"~("  height="160"></td> )~", NamesFile}, // 148
    {R"~(<td width="24%" align="left" valign="top"> )~", Insert::None, 0, ""}, // 149
    {R"~(<img border="0" src="6.)~", Insert::Extension, 6, R"~(" height="160"></td> )~", NamesFile}, // 150
    {R"~(</tr> )~", Insert::None, 0, ""}, // 151
    {R"~(</table> )~", Insert::None, 0, ""}, // 152
    {R"~(<TEXTAREA name=rez rows=3 cols=70 value="" type="text" style="font-family: Arial; font-size: 12pt; font-weight: bold"> Ваши результаты:  </TEXTAREA> )~", Insert::None, 0, ""}, // 153
    {R"~(<br> )~", Insert::None, 0, ""}, // 154
    {R"~(&nbsp;<p><b><font size="5" face="Arial">Инструкция. )~", Insert::None, 0, ""}, // 155
    {R"~(</font></b></p> )~", Insert::None, 0, ""}, // 156
    {R"~(<p><span lang="en-us">&nbsp;&nbsp;&nbsp; <font color="#0000FF">&nbsp;</font></span><font color="#0000FF"><i><b><font size="5">Установите номера в ячейках ответов справа, которые, по вашему мнению, соответствуют картинкам слева. )~", Insert::None, 0, ""}, // 157
    {R"~(</font></b></i></font></p> )~", Insert::None, 0, ""}, // 158
    {R"~(<p><i><b><font size="5" color="#0000FF">Кнопка "Проверка", покажет результат тестирования. )~", Insert::None, 0, ""}, // 159
    {R"~(</font></b></i></p> )~", Insert::None, 0, ""}, // 160
    {R"~(<p><i><b><font size="5" color="#0000FF">Попытки ответов и проверок можно повторять многократно. )~", Insert::None, 0, ""}, // 161
    {R"~(</font></b></i></p>   )~", Insert::None, 0, ""}, // 162
    {R"~(<p><font color="#FF0000" size="5" face="Arial">Удачи, шевелите мозгами... </font> )~", Insert::None, 0, ""}, // 163
    {R"~(</p>  )~", Insert::None, 0, ""}, // 164
    {R"~(</body>  )~", Insert::None, 0, ""}, // 165
    {R"~(</html>  )~", Insert::None, 0, ""}, // 166
};
// clang-format on
static_assert(std::size(PageTemplate) == 166);

} // namespace

std::span<const PageTemplateLine> pageTemplate()
{
    return PageTemplate;
}

QString pageBuildValue(PageInsert what)
{
    if (what == Insert::Credit)
        return QLatin1Char(' ') + authorCredit();
    if (what == Insert::SiteLink)
        return QStringLiteral("<a href=\"") + siteUrl() + QStringLiteral("\">") + siteHost() +
               QStringLiteral("</a>");
    return {};
}

namespace
{

QString insertedValue(const TemplateLine& line, const QuizPageContents& contents)
{
    const auto ofSlot = [](const std::array<QString, QuizSetup::SlotCount>& texts, int k) {
        return texts[size_t(k - 1)];
    };
    switch (line.what) {
    case Insert::None:
        return {};
    case Insert::Title:
        return contents.title;
    case Insert::OrderText:
        return contents.order.text;
    case Insert::Question:
        return ofSlot(contents.questions, line.slot);
    case Insert::Extension:
        return ofSlot(contents.extensions, line.slot);
    case Insert::Answer:
        return ofSlot(contents.answers, contents.order[line.slot]);
    case Insert::Credit:
    case Insert::SiteLink:
        return pageBuildValue(line.what);
    }
    return {};
}

QuizPageContents pageContents(const QuizSetup& setup, const AnswerOrder& order)
{
    QuizPageContents contents{setup.title, {}, {}, {}, order};
    for (int k = 1; k <= QuizSetup::SlotCount; ++k) {
        contents.questions[size_t(k - 1)] = setup.slot(k).question;
        contents.answers[size_t(k - 1)] = setup.slot(k).answer;
        contents.extensions[size_t(k - 1)] = setup.slot(k).extension;
    }
    return contents;
}

QuirvelError writeFailure(std::error_code error = lastSystemError())
{
    return QuirvelError(cannotWrite(StartPageName, error));
}

} // namespace

QByteArray renderPage(const QuizPageContents& contents, const PageFileSource& fileSource)
{
    QByteArray page;
    for (const TemplateLine& line : PageTemplate) {
        const QString before = QString::fromUtf8(line.before);
        const QString value = insertedValue(line, contents);
        const QString text = before + value + QString::fromUtf8(line.after);
        if (!line.namesFile || !fileSource) {
            page += toWindows1251(text) + "\r\n";
            continue;
        }
        // The name is the attribute's whole value: a picture's ends in its inserted extension,
        // one of them in a blank before the quote.
        qsizetype start = before.indexOf(QLatin1String(" src=\""));
        if (start < 0)
            start = before.indexOf(QLatin1String(" background=\""));
        Q_ASSERT(start >= 0);
        start = before.indexOf(QLatin1Char('"'), start) + 1;
        const qsizetype end =
            text.indexOf(QLatin1Char('"'),
                         line.what == Insert::Extension ? before.size() + value.size() : start);
        page += toWindows1251(text.left(start)) +
                fileSource(text.mid(start, end - start).trimmed()) + toWindows1251(text.mid(end)) +
                "\r\n";
    }
    return page;
}

void writeStartPage(QIODevice& out, const QuizSetup& setup, const AnswerOrder& order)
{
    const QByteArray bytes = renderPage(pageContents(setup, order));
    // A short write (full disk, size limit) is continued until the device either takes the rest
    // or fails with the system's reason; the page never silently loses its tail.
    for (qsizetype done = 0; done < bytes.size();) {
        errno = 0;
        const qint64 written = out.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            throw writeFailure();
        done += written;
    }
}

void writeStartPage(const QuizSetup& setup, const AnswerOrder& order, const QString& quizFolder)
{
    // The page goes to a temporary file beside start.htm and replaces it only when complete.
    // Unbuffered, because a buffered flush at commit() can drop a partly written tail unnoticed.
    QSaveFile file(quizFolder + QLatin1Char('/') + StartPageName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw writeFailure();
    writeStartPage(file, setup, order);
    // commit() ignores a failed sync; a page lost in a power cut must fail here instead.
    errno = 0;
    if (::fdatasync(file.handle()) != 0)
        throw writeFailure();
    errno = 0;
    if (!file.commit())
        throw writeFailure();
    if (const std::error_code error = syncToDisk(quizFolder))
        throw writeFailure(error);
}
