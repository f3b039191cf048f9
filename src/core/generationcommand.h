// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/fileidentity.h"
#include "core/igenerationview.h"
#include "core/quizfolder.h"
#include "core/quizsetup.h"
#include "core/services.h"
#include "core/shuffle.h"

#include <QString>
#include <functional>

// The body of the "Генерация - просмотр" button: checks the quiz, creates its folder the first
// time, writes the folder's contents and offers to open the page. A failure to write the page
// leaves run() as a QuirvelError for the caller's error box; a quiz that cannot be placed whole
// ends run() after its own message boxes. Either way a folder made for it and left empty goes.
// A folder another writer holds (QuizFolder's lock) is refused, and a page changed since this
// window last wrote or reopened it is replaced only when the user agrees.
class GenerationCommand
{
public:
    using Shuffle = std::function<AnswerOrder()>;

    static constexpr int ProgressMaximum = 100;
    static constexpr int ProgressSteps = 101;
    static constexpr int ProgressStepMilliseconds = 50;
    static constexpr int DonePauseMilliseconds = 2000;

    // How the last run ended: stopped before anything was written (a missing text, a
    // cancelled question), with the quiz placed, or failed.
    enum class Outcome { Stopped, Placed, Failed };

    GenerationCommand(QuizSetup& setup, IGenerationView& view, Services& services);

    // Whatever it throws counts as Failed.
    Outcome run();

    const AnswerOrder& lastOrder() const { return m_order; }
    // The page the command last tried to open.
    const QString& lastPagePath() const { return m_lastPagePath; }
    // Replaces the clock-seeded shuffle; an empty function restores it.
    void setShuffle(Shuffle shuffle) { m_shuffle = std::move(shuffle); }
    // Notes the page in quizFolder as this window's own, as a reopen does; an empty folder forgets.
    void rememberQuizPage(const QString& quizFolder);

private:
    // The page as this window last saw it. Its folder is kept resolved: one folder has many
    // spellings (a doubled separator, a link), and only a different file means another writer.
    struct PageStamp {
        QString folder;
        FileIdentity page;
        bool isSameFile(const PageStamp& other) const;
    };
    static PageStamp stampOf(const QString& quizFolder);

    // False, after saying what is missing, without a title or a picture.
    bool takeTitleAndPictures();
    // False when the user cancelled.
    bool askForQuizFolder();
    // Holds the folder against other windows, finishes what a killed generation left there, asks
    // before replacing a page another window changed, and places the quiz after the progress.
    Outcome writeQuizFolder(bool newFolder);
    void showProgress();
    // Says the quiz is done and offers to open its page.
    void offerPage();
    void showFailure();
    void dropEmptyFolder(const QString& quizFolder);

    QuizSetup& m_setup;
    IGenerationView& m_view;
    Services& m_services;
    Shuffle m_shuffle;
    AnswerOrder m_order;
    QString m_lastPagePath;
    PageStamp m_page;
};

// Places the quiz in its folder and shows what went wrong, one box each, in the order it
// happened. True when the new quiz is in place; otherwise the folder holds the previous quiz. A
// page that cannot be written, or a folder another writer holds, throws QuirvelError.
[[nodiscard]] bool placeQuiz(QuizFolder& folder, const AnswerOrder& order, IDialogs& dialogs);
// The same through a QuizFolder of its own.
[[nodiscard]] bool placeQuiz(const QuizSetup& setup, const AnswerOrder& order, IShell& shell,
                             IDialogs& dialogs);

// Blanks and control characters (everything up to U+0020) removed at both ends.
QString trimBlanksAndControls(const QString& text);

// Why a quiz folder may not be called name, in the user's words; empty when it may. Refused is
// whatever makes the folder hard to copy to other desktops and sticks: the characters
// \ / : * ? " < > | and control characters, a trailing dot or blank, a reserved device name
// (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without extension), more than 255 bytes in UTF-8.
QString folderNameProblem(const QString& name);

// The title made into an acceptable folder name: forbidden characters dropped, trailing dots and
// blanks trimmed, cut to 255 bytes in UTF-8.
QString cleanedFolderName(const QString& title);
