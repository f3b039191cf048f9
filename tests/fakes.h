#pragma once

// Test doubles for the seams: dialogs answered in advance, a shell that really copies but can be
// told to fail, and pauses that only count.

#include "core/filecopy.h"
#include "core/services.h"

#include <QQueue>
#include <QSet>
#include <QStringList>

class ScriptedDialogs : public IDialogs
{
public:
    // Every call is logged as "Message: text", "Confirm: text", "YesNo: caption|text",
    // "Input: caption|prompt|preset", "Error: text", "ChooseFolder: caption|start".
    QStringList log;
    QQueue<bool> confirmAnswers;   // empty queue: Cancel
    QQueue<bool> yesNoAnswers;     // empty queue: No
    QQueue<QString> inputAnswers;  // empty queue: Cancel, the preset comes back
    QQueue<QString> folderAnswers; // empty queue: Cancel

    void message(const QString& text) override { log << QStringLiteral("Message: ") + text; }
    bool confirm(const QString& text) override
    {
        log << QStringLiteral("Confirm: ") + text;
        return !confirmAnswers.isEmpty() && confirmAnswers.dequeue();
    }
    bool yesNo(const QString& caption, const QString& text) override
    {
        log << QStringLiteral("YesNo: ") + caption + QLatin1Char('|') + text;
        return !yesNoAnswers.isEmpty() && yesNoAnswers.dequeue();
    }
    QString input(const QString& caption, const QString& prompt, const QString& preset) override
    {
        log << QStringLiteral("Input: ") + caption + QLatin1Char('|') + prompt + QLatin1Char('|') +
                   preset;
        return inputAnswers.isEmpty() ? preset : inputAnswers.dequeue().left(InputMaxLength);
    }
    void error(const QString& text) override { log << QStringLiteral("Error: ") + text; }
    std::optional<QString> chooseFolder(const QString& caption, const QString& start) override
    {
        log << QStringLiteral("ChooseFolder: ") + caption + QLatin1Char('|') + start;
        if (folderAnswers.isEmpty())
            return std::nullopt;
        return folderAnswers.dequeue();
    }

    QStringList messages() const { return filtered(QStringLiteral("Message: ")); }
    QStringList errors() const { return filtered(QStringLiteral("Error: ")); }

private:
    QStringList filtered(const QString& prefix) const
    {
        QStringList out;
        for (const QString& line : log)
            if (line.startsWith(prefix))
                out << line.mid(prefix.size());
        return out;
    }
};

class RecordingShell : public IShell
{
public:
    QStringList copies;           // "source -> folder"
    QStringList opened;           // documents asked to open
    QSet<QString> failingSources; // copies of these sources fail without touching anything
    bool openResult = true;

    bool copyIntoFolder(const QString& source, const QString& folder) override
    {
        copies << source + QStringLiteral(" -> ") + folder;
        if (failingSources.contains(source))
            return false;
        return ::copyIntoFolder(source, folder);
    }
    bool openDocument(const QString& path) override
    {
        opened << path;
        return openResult;
    }
};

class CountingPauser : public IPauser
{
public:
    int calls = 0;
    qint64 totalMilliseconds = 0;
    void pause(int milliseconds) override
    {
        ++calls;
        totalMilliseconds += milliseconds;
    }
};
