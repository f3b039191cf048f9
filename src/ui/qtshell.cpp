// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qtshell.h"

#include "core/filecopy.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <memory>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace
{
constexpr int PollMs = 50;
constexpr int Running = -1;
} // namespace

QtShell::QtShell(int openerAnswerMs, QObject* parent)
    : QObject(parent), m_openerAnswerMs(openerAnswerMs)
{
}

std::error_code QtShell::copyToNewFile(const QString& source, const QString& target)
{
    return ::copyToNewFile(source, target);
}

std::error_code QtShell::renameFile(const QString& from, const QString& to)
{
    return ::renameFile(from, to);
}

std::error_code QtShell::removeFile(const QString& path)
{
    return ::removeFile(path);
}

std::error_code QtShell::syncToDisk(const QString& path)
{
    return ::syncToDisk(path);
}

void QtShell::openDocument(const QString& path, std::function<void()> failed)
{
    // The desktop launcher reports success even for a missing file; the shell would not.
    const QFileInfo document(path);
    if (!document.isFile()) {
        failed();
        return;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        // A relative path would become a relative URL that no launcher can resolve.
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(document.absoluteFilePath())))
            failed();
        return;
    }
    // The launcher is not a QProcess: one still running when the program ends must be neither
    // killed nor waited for. A thread of its own reaps it whenever it ends; the window only
    // listens for its first m_openerAnswerMs.
    const QByteArray program = QFile::encodeName(opener);
    const QByteArray argument = QFile::encodeName(document.absoluteFilePath());
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>(argument.constData()),
                    nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.constData(), nullptr, nullptr, argv, environ) != 0) {
        failed();
        return;
    }
    auto status = std::make_shared<std::atomic<int>>(Running);
    std::thread([pid, status] {
        int raw = 0;
        while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
        }
        status->store(WIFEXITED(raw) ? WEXITSTATUS(raw) : 128);
    }).detach();

    auto* timer = new QTimer(this);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    connect(timer, &QTimer::timeout, this,
            [this, timer, status, clock, failed = std::move(failed)] {
                const int code = status->load();
                if (code == Running && clock->elapsed() < m_openerAnswerMs)
                    return;
                timer->stop();
                timer->deleteLater();
                if (code == Running)
                    return;
                emit openerAnswered(code == 0);
                if (code != 0)
                    failed();
            });
    timer->start(PollMs);
}
