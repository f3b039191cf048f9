// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <span>

// The quiz page's file name in a quiz folder.
inline const QString StartPageName = QStringLiteral("start.htm");

// What the writer puts between the fixed texts of a page line.
enum class PageInsert { None, Title, OrderText, Question, Extension, Answer, Credit, SiteLink };

// One line of the quiz page: fixed text, the value inserted after it, fixed text after that.
// slot is the slot number for questions and extensions, the answer cell (1..6) for answers.
// namesFile: the line refers to one file of the quiz folder through a src or background
// attribute; its name is fixed text, or for an Extension line "k." + extension up to the quote.
struct PageTemplateLine {
    const char* before;
    PageInsert what;
    int slot;
    const char* after;
    bool namesFile = false;
};

constexpr bool NamesFile = true;

// The page's 166 lines in order; each is written followed by CR LF. Shared by the writer and the
// reader so that the two can never disagree about the page.
std::span<const PageTemplateLine> pageTemplate();

// The value of a Credit or SiteLink line: fixed when the program is built, the same on every page.
QString pageBuildValue(PageInsert what);
