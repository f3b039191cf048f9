#pragma once

#include "core/igenerationview.h"
#include "core/quizsetup.h"
#include "core/services.h"
#include "core/shuffle.h"

#include <QString>
#include <functional>

// The body of the "Генерация - просмотр" button: checks the quiz, creates its folder the first
// time, writes the folder's contents and offers to open the page. A failure to write the page
// leaves run() as a QuirvelError for the caller's error box; a quiz that cannot be placed whole
// ends run() after its own message boxes.
class GenerationCommand
{
public:
    using Shuffle = std::function<AnswerOrder()>;

    static constexpr int ProgressMaximum = 100;
    static constexpr int ProgressSteps = 101;
    static constexpr int ProgressStepMilliseconds = 50;
    static constexpr int DonePauseMilliseconds = 2000;

    GenerationCommand(QuizSetup& setup, IGenerationView& view, Services& services);

    void run();

    const AnswerOrder& lastOrder() const { return m_order; }
    // The page the command last tried to open.
    const QString& lastPagePath() const { return m_lastPagePath; }
    // Replaces the clock-seeded shuffle; an empty function restores it.
    void setShuffle(Shuffle shuffle) { m_shuffle = std::move(shuffle); }

private:
    // False when the user cancelled.
    bool askForQuizFolder();

    QuizSetup& m_setup;
    IGenerationView& m_view;
    Services& m_services;
    Shuffle m_shuffle;
    AnswerOrder m_order;
    QString m_lastPagePath;
};

// Blanks and control characters (everything up to U+0020) removed at both ends.
QString trimBlanksAndControls(const QString& text);

// A folder name that stays directly below the quizzes folder: not "." or "..", and without a
// path separator or NUL character.
bool isPlainFolderName(const QString& name);
