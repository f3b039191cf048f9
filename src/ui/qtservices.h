#pragma once

#include "core/services.h"

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
    bool ShellCopy(const QString& source, const QString& folder) override;
    bool OpenDocument(const QString& path) override;
};

// Waits while the window keeps repainting but takes no input.
class QtPauser : public IPauser
{
public:
    void Pause(int milliseconds) override;
};

QString ApplicationTitle();
