// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Root writes into read-only folders, so as root (CI is) a row about such a folder would see
// nothing fail. That row runs again in a child process that is still root but has no
// CAP_DAC_OVERRIDE (setpriv, from util-linux), which respects the folder's permissions.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

// True when this process can create a file in a folder that forbids it.
inline bool writesIntoReadOnlyFolders()
{
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool wrote = QFile(dir.path() + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return wrote;
}

// Runs the current test row in such a child. Empty when the row ran there and passed; otherwise
// what went wrong, with the child's output.
inline QString rerunRespectingPermissions()
{
    const QString marker = QStringLiteral("QUIRVEL_RESPECTING_PERMISSIONS");
    if (qEnvironmentVariableIsSet(marker.toLatin1().constData()))
        return QStringLiteral("the child still writes into read-only folders");
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(marker, QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("setpriv"),
                {QStringLiteral("--inh-caps=-dac_override"),
                 QStringLiteral("--bounding-set=-dac_override"), QStringLiteral("--"),
                 QCoreApplication::applicationFilePath(), function + u':' + tag});
    const bool finished = child.waitForFinished(240 * 1000);
    const QString output = QString::fromUtf8(child.readAll());
    // A row that skipped there did not run either.
    const QString passed = QStringLiteral("::%1(%2)").arg(function, tag);
    const QStringList lines = output.split(u'\n');
    const bool ran = std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
        return line.startsWith(QStringLiteral("PASS   : ")) && line.endsWith(passed);
    });
    if (finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 && ran)
        return {};
    return QStringLiteral("setpriv child (%1): %2\n%3")
        .arg(finished ? QString::number(child.exitCode()) : child.errorString(), passed, output);
}
