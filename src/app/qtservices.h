#pragma once

#include "services.h"

// The real dialogs, shell and pauses of the running program.

class QtDialogs : public IDialogs
{
public:
    void Message(const QString& text) override;
    bool Confirm(const QString& text) override;
    bool YesNo(const QString& caption, const QString& text) override;
    QString Input(const QString& caption, const QString& prompt, const QString& preset) override;
    void Error(const QString& text) override;
};

class QtShell : public IShell
{
public:
    // How long opening waits for the desktop's opener to say it has no program for the file; an
    // opener still busy after that has handed the file to its viewer.
    explicit QtShell(int openerAnswerMs = 2000) : m_openerAnswerMs(openerAnswerMs) {}
    bool ShellCopy(const QString& source, const QString& folder) override;
    bool OpenDocument(const QString& path) override;

private:
    int m_openerAnswerMs;
};

// Waits while the window keeps repainting but takes no input.
class QtPauser : public IPauser
{
public:
    void Pause(int milliseconds) override;
};

QString ApplicationTitle();
