// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test doubles for the seams: dialogs answered in advance, a shell that really copies, renames and
// deletes but can be told to fail, and pauses that only count.

#include "core/filecopy.h"
#include "core/services.h"

#include <QQueue>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

class ScriptedDialogs : public IDialogs
{
public:
    // Every call is logged as "Message: text", "Confirm: text", "YesNo: caption|text",
    // "Input: caption|prompt|preset", "Error: text", "ChooseFolder: caption|start",
    // "SaveFile: caption|proposedPath|filter", "OpenFile: caption|start|filter".
    QStringList log;
    QQueue<bool> confirmAnswers;  // empty queue: Cancel
    QQueue<bool> yesNoAnswers;    // empty queue: No
    QQueue<QString> inputAnswers; // empty queue: Cancel, nothing comes back
    // An input answer for OK pressed on the preset as it stands.
    static inline const QString KeepPreset = QStringLiteral("<OK on the preset>");
    QQueue<QString> folderAnswers; // empty queue: Cancel
    QQueue<QString> saveAnswers;   // empty queue: Cancel
    QQueue<QString> openAnswers;   // empty queue: Cancel

    void message(const QString& text) override { log << QStringLiteral("Message: ") + text; }
    bool confirm(const QString& text) override
    {
        log << QStringLiteral("Confirm: ") + text;
        return !confirmAnswers.isEmpty() && confirmAnswers.dequeue();
    }
    bool yesNo(const QString& caption, const QString& text, bool defaultYes = true) override
    {
        log << QStringLiteral("YesNo: ") + caption + QLatin1Char('|') + text +
                   (defaultYes ? QString() : QStringLiteral(" [No]"));
        return !yesNoAnswers.isEmpty() && yesNoAnswers.dequeue();
    }
    std::optional<QString> input(const QString& caption, const QString& prompt,
                                 const QString& preset) override
    {
        log << QStringLiteral("Input: ") + caption + QLatin1Char('|') + prompt + QLatin1Char('|') +
                   preset;
        if (inputAnswers.isEmpty())
            return std::nullopt;
        const QString answer = inputAnswers.dequeue();
        return (answer == KeepPreset ? preset : answer).left(InputMaxLength);
    }
    void error(const QString& text) override { log << QStringLiteral("Error: ") + text; }
    std::optional<QString> chooseFolder(const QString& caption, const QString& start) override
    {
        log << QStringLiteral("ChooseFolder: ") + caption + QLatin1Char('|') + start;
        if (folderAnswers.isEmpty())
            return std::nullopt;
        return folderAnswers.dequeue();
    }
    std::optional<QString> saveFile(const QString& caption, const QString& proposedPath,
                                    const QString& filter) override
    {
        log << QStringLiteral("SaveFile: ") + caption + QLatin1Char('|') + proposedPath +
                   QLatin1Char('|') + filter;
        if (saveAnswers.isEmpty())
            return std::nullopt;
        return saveAnswers.dequeue();
    }

    std::optional<QString> openFile(const QString& caption, const QString& start,
                                    const QString& filter) override
    {
        log << QStringLiteral("OpenFile: ") + caption + QLatin1Char('|') + start +
                   QLatin1Char('|') + filter;
        if (openAnswers.isEmpty())
            return std::nullopt;
        return openAnswers.dequeue();
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
    QStringList copies;           // "source -> target"
    QStringList fileChanges;      // "rename from -> to", "remove path", "sync path"
    QStringList opened;           // documents asked to open
    QSet<QString> failingSources; // copies of these sources fail without touching anything
    // The first copy, rename, remove or sync whose line ("copy source -> target", or as in
    // fileChanges) matches this pattern fails without touching anything; empty: none.
    QString failing;
    int failingMatch = 1; // which of the operations it matches fails
    // What a failing operation reports.
    std::error_code failure = std::make_error_code(std::errc::no_space_on_device);
    bool openResult = true;
    bool failed() const { return m_failed; }

    std::error_code copyToNewFile(const QString& source, const QString& target) override
    {
        copies << source + QStringLiteral(" -> ") + target;
        if (failingSources.contains(source) || fails(QStringLiteral("copy ") + copies.last()))
            return failure;
        return ::copyToNewFile(source, target);
    }
    std::error_code renameFile(const QString& from, const QString& to) override
    {
        fileChanges << QStringLiteral("rename ") + from + QStringLiteral(" -> ") + to;
        return fails(fileChanges.last()) ? failure : ::renameFile(from, to);
    }
    std::error_code removeFile(const QString& path) override
    {
        fileChanges << QStringLiteral("remove ") + path;
        return fails(fileChanges.last()) ? failure : ::removeFile(path);
    }
    std::error_code syncToDisk(const QString& path) override
    {
        fileChanges << QStringLiteral("sync ") + path;
        return fails(fileChanges.last()) ? failure : ::syncToDisk(path);
    }
    void openDocument(const QString& path, std::function<void()> failed) override
    {
        opened << path;
        if (!openResult)
            failed();
    }

private:
    bool fails(const QString& line)
    {
        if (m_failed || failing.isEmpty() || !QRegularExpression(failing).match(line).hasMatch())
            return false;
        return m_failed = ++m_matches == failingMatch;
    }
    bool m_failed = false;
    int m_matches = 0;
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

// The scripted dialogs, recording shell and counting pauses, wired into Services. Tests that
// keep the old names bind them: auto& [dialogs, shell, pauser, services] = fakes;
struct FakeServices {
    ScriptedDialogs dialogs;
    RecordingShell shell;
    CountingPauser pauser;
    Services services{dialogs, shell, pauser};
};
