#pragma once

#include <QString>

// What the program asks of the user. The real program shows Qt dialogs; tests answer in advance.
class IDialogs
{
public:
    virtual ~IDialogs() = default;
    // Plain message box: application title as caption, no icon, one OK button.
    virtual void Message(const QString& text) = 0;
    // "Confirm" box with a question icon, OK (default) and Cancel; true only for OK.
    virtual bool Confirm(const QString& text) = 0;
    // Yes/No box without icon; true only for Yes.
    virtual bool YesNo(const QString& caption, const QString& text) = 0;
    // Input box, at most 255 characters; Cancel or closing returns the preset unchanged.
    virtual QString Input(const QString& caption, const QString& prompt, const QString& preset) = 0;
    // Standard error box: caption = application title, stop icon, OK. The text is final.
    virtual void Error(const QString& text) = 0;
};

// The desktop shell: copying a file into a folder and opening a document.
class IShell
{
public:
    virtual ~IShell() = default;
    // Copies source into folder under its own name, replacing a file of that name without asking.
    virtual bool ShellCopy(const QString& source, const QString& folder) = 0;
    // Opens a document with the program the desktop associates with it; does not wait.
    virtual bool OpenDocument(const QString& path) = 0;
};

// The fixed pauses of the progress display; tests pass one that does not wait.
class IPauser
{
public:
    virtual ~IPauser() = default;
    virtual void Pause(int milliseconds) = 0;
};

struct Services {
    IDialogs& dialogs;
    IShell& shell;
    IPauser& pauser;
};
