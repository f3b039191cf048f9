#pragma once

#include "core/quizsetup.h"
#include "core/services.h"
#include "core/shuffle.h"

#include <QString>
#include <functional>

// What the generation command needs of the main window. The window implements it on its own
// widgets; tests implement it on plain fields.
class IGenerationView
{
public:
    virtual ~IGenerationView() = default;

    // The quiz title field. Setting a text that differs from the one shown acts like typing it.
    virtual QString TitleText() const = 0;
    virtual void SetTitleText(const QString& text) = 0;
    // The status caption; it must be repainted at once, since the window is blocked meanwhile.
    virtual void ShowStatus(const QString& text) = 0;
    // The progress bar, range 0 to 100.
    virtual int ProgressPosition() const = 0;
    virtual void SetProgressPosition(int position) = 0;
    // Shows the info window modally and returns however it was closed.
    virtual void ShowInfoWindow() = 0;
};

// The body of the "Генерация - просмотр" button: checks the quiz, creates its folder the first
// time, writes the folder's contents and offers to open the page. A failure to write the page
// leaves Run() as a QuirvelError for the caller's error box.
class GenerationCommand
{
public:
    using Shuffle = std::function<AnswerOrder()>;

    static constexpr int ProgressMaximum = 100;
    static constexpr int ProgressSteps = 101;
    static constexpr int ProgressStepMilliseconds = 50;
    static constexpr int DonePauseMilliseconds = 2000;

    GenerationCommand(TQuizSetup& setup, IGenerationView& view, Services& services);

    void Run();

    const AnswerOrder& LastOrder() const { return m_order; }
    // The page the command last tried to open.
    const QString& LastPagePath() const { return m_lastPagePath; }
    // Replaces the clock-seeded shuffle; an empty function restores it.
    void SetShuffle(Shuffle shuffle) { m_shuffle = std::move(shuffle); }

private:
    void AskForQuizFolder();

    TQuizSetup& m_setup;
    IGenerationView& m_view;
    Services& m_services;
    Shuffle m_shuffle;
    AnswerOrder m_order;
    QString m_lastPagePath;
};

// Blanks and control characters (everything up to U+0020) removed at both ends.
QString TrimBlanksAndControls(const QString& text);

// A folder name that stays directly below the program folder: not "." or "..", and without a
// path separator or NUL character.
bool IsPlainFolderName(const QString& name);
