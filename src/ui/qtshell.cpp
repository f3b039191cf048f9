#include "ui/qtshell.h"

#include "core/filecopy.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

QtShell::QtShell(int openerAnswerMs, QObject* parent)
    : QObject(parent), m_openerAnswerMs(openerAnswerMs)
{
}

bool QtShell::copyIntoFolder(const QString& source, const QString& folder)
{
    return ::copyIntoFolder(source, folder);
}

bool QtShell::renameFile(const QString& from, const QString& to)
{
    return ::renameFile(from, to);
}

bool QtShell::removeFile(const QString& path)
{
    return ::removeFile(path);
}

bool QtShell::openDocument(const QString& path)
{
    // The desktop launcher reports success even for a missing file; the shell would not.
    const QFileInfo document(path);
    if (!document.isFile())
        return false;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        // A relative path would become a relative URL that no launcher can resolve.
        return QDesktopServices::openUrl(QUrl::fromLocalFile(document.absoluteFilePath()));
    }
    // xdg-open answers at once, with a failure, when no program on the machine opens this kind of
    // file; that is the case the user must hear about. One that is still busy after a moment has
    // handed the file to its viewer and is left to it.
    auto* process = new QProcess(this);
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start(opener, {document.absoluteFilePath()});
    if (!process->waitForStarted()) {
        process->deleteLater();
        return false;
    }
    if (!process->waitForFinished(m_openerAnswerMs))
        return true;
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}
