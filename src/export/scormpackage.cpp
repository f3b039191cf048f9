// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/scormpackage.h"

#include "core/pagetemplate.h"
#include "core/quirvelerror.h"
#include "core/quizfolder.h"
#include "export/exportedquiz.h"
#include "export/exportfile.h"

#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <ctime>

namespace
{

const QString ManifestName = QStringLiteral("imsmanifest.xml");
const QString LaunchName = QStringLiteral("launch.htm");

// Text for XML and HTML: markup characters escaped, and the control characters XML 1.0 cannot
// hold dropped.
QByteArray escaped(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r'))
            continue;
        if (c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            continue;
        switch (c.unicode()) {
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        case '\'':
            out += QStringLiteral("&apos;");
            break;
        default:
            out += c;
        }
    }
    return out.toUtf8();
}

// The launch page. It finds the LMS's API the SCORM 1.2 way, shows start.htm in a full-size frame
// and reports after every check the player confirmed: the page's script appends a line to the
// results box only then (Cancel, or a letter in a cell, stops it before). Opened from disk there
// is no API and the frame cannot be reached; the quiz simply plays.
const char LaunchScript[] = R"~~(
(function () {
  function findApi(win) {
    for (var hops = 0; win && hops < 500; hops++) {
      if (win.API) return win.API;
      if (!win.parent || win.parent === win) return null;
      win = win.parent;
    }
    return null;
  }
  var api = null;
  try { api = findApi(window); } catch (e) { api = null; }
  if (!api) { try { api = window.opener ? findApi(window.opener) : null; } catch (e) { api = null; } }
  var started = false, finished = false;
  if (api) { try { started = String(api.LMSInitialize("")) === "true"; } catch (e) { started = false; } }
  // " Правильно ", the verdict of a right answer.
  var Right = " \u041f\u0440\u0430\u0432\u0438\u043b\u044c\u043d\u043e ";
  function resultsLength(doc) {
    var box = doc.getElementsByName("rez")[0];
    return box ? box.value.length : 0;
  }
  function report(doc) {
    if (!started || finished) return;
    var right = 0;
    for (var i = 0; i < 6; i++) {
      var form = doc.forms["form" + i];
      if (form && form.rem && form.rem.value === Right) right++;
    }
    api.LMSSetValue("cmi.core.score.raw", String(Math.round(100 * right / 6)));
    api.LMSSetValue("cmi.core.score.min", "0");
    api.LMSSetValue("cmi.core.score.max", "100");
    api.LMSSetValue("cmi.core.lesson_status", "completed");
    api.LMSCommit("");
  }
  var frame = document.getElementById("quiz");
  frame.addEventListener("load", function () {
    var quiz;
    try {
      quiz = frame.contentWindow;
      if (typeof quiz.Check !== "function") return;
    } catch (e) {
      return; // a file: page is another origin
    }
    var check = quiz.Check;
    quiz.Check = function () {
      var doc = quiz.document, before = resultsLength(doc);
      try {
        return check.apply(this, arguments);
      } finally {
        if (resultsLength(doc) > before) { try { report(doc); } catch (e) {} }
      }
    };
  });
  window.addEventListener("pagehide", function () {
    if (!started || finished) return;
    finished = true;
    try { api.LMSFinish(""); } catch (e) {}
  });
  frame.src = "start.htm";
})();
)~~";

la_ssize_t writeBlock(archive*, void* client, const void* buffer, size_t size)
{
    // A failed write is kept by the file and reported after the close: a write error puts
    // libarchive into its fatal state, in which it no longer frees the entry's deflate stream.
    static_cast<ExportFile*>(client)->tryWrite(static_cast<const char*>(buffer), qint64(size));
    return la_ssize_t(size);
}

struct ArchiveGuard {
    archive* a;
    ~ArchiveGuard() { archive_write_free(a); }
};

// The package's files in the order they are written, the manifest first.
QStringList scormPackageFiles(const ExportedQuiz& quiz)
{
    QStringList files{ManifestName, LaunchName, StartPageName};
    for (int k = 1; k <= QuizSetup::SlotCount; ++k)
        files << quiz.pictureName(k);
    files << DecorationNames;
    return files;
}

QByteArray scormManifest(const QString& title, const QStringList& files)
{
    QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<manifest identifier="QUIRVEL-QUIZ" version="1.0"
          xmlns="http://www.imsproject.org/xsd/imscp_rootv1p1p2"
          xmlns:adlcp="http://www.adlnet.org/xsd/adlcp_rootv1p2">
  <metadata>
    <schema>ADL SCORM</schema>
    <schemaversion>1.2</schemaversion>
  </metadata>
  <organizations default="ORG-1">
    <organization identifier="ORG-1">
      <title>)";
    xml += escaped(title) + R"(</title>
      <item identifier="ITEM-1" identifierref="RES-1">
        <title>)" +
           escaped(title) + R"(</title>
      </item>
    </organization>
  </organizations>
  <resources>
    <resource identifier="RES-1" type="webcontent" adlcp:scormtype="sco" href=")" +
           escaped(LaunchName) + "\">\n";
    for (const QString& name : files)
        if (name != ManifestName)
            xml += "      <file href=\"" + escaped(name) + "\"/>\n";
    xml += "    </resource>\n  </resources>\n</manifest>\n";
    return xml;
}

QByteArray scormLaunchPage(const QString& title)
{
    return "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">\n<title>" +
           escaped(title) +
           "</title>\n<style>html, body { margin: 0; height: 100%; overflow: hidden; }\n"
           "iframe { display: block; border: 0; width: 100%; height: 100%; }</style>\n"
           "</head><body>\n<iframe id=\"quiz\" title=\"Викторина\"></iframe>\n<script>" +
           QByteArray(LaunchScript) + "</script>\n</body></html>\n";
}

} // namespace

void writeScormPackage(const ExportedQuiz& quiz, const QString& file)
{
    const QStringList files = scormPackageFiles(quiz);
    const QString& title = quiz.contents().title;
    ExportFile out(file);
    archive* a = archive_write_new();
    if (!a)
        throw std::bad_alloc();
    ArchiveGuard guard{a};
    auto check = [&](int status) {
        if (status == ARCHIVE_OK)
            return;
        if (out.failed())
            out.throwFailure();
        // The library's own message is English; only its failure is said.
        throw QuirvelError(
            QStringLiteral("Не удаётся записать файл «%1»: ошибка библиотеки архивов").arg(file));
    };
    check(archive_write_set_format_zip(a));
    check(archive_write_set_bytes_in_last_block(a, 1));
    check(archive_write_open2(a, &out, nullptr, writeBlock, nullptr, nullptr));
    const std::time_t now = std::time(nullptr);
    for (const QString& name : files) {
        const QByteArray bytes = name == ManifestName    ? scormManifest(title, files)
                                 : name == LaunchName    ? scormLaunchPage(title)
                                 : name == StartPageName ? quiz.page()
                                                         : quiz.file(name);
        archive_entry* entry = archive_entry_new();
        if (!entry)
            throw std::bad_alloc();
        archive_entry_set_pathname(entry, name.toUtf8().constData());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, bytes.size());
        archive_entry_set_mtime(entry, now, 0);
        const int status = archive_write_header(a, entry);
        archive_entry_free(entry);
        check(status);
        if (archive_write_data(a, bytes.constData(), size_t(bytes.size())) != bytes.size())
            check(ARCHIVE_FATAL);
    }
    check(archive_write_close(a));
    if (out.failed())
        out.throwFailure();
    out.commit();
}
