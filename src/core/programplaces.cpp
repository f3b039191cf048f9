// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/programplaces.h"

#include "core/quizfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{

QString withSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Any one decoration marks the folder: a copy missing some still names each missing file when a
// quiz is made, which beats looking for them somewhere else.
bool holdsDecorations(const QString& folder)
{
    for (const QString& name : DecorationNames)
        if (QFileInfo(folder + QLatin1Char('/') + name).isFile())
            return true;
    return false;
}

} // namespace

ProgramPlaces ProgramPlaces::inOneFolder(const QString& folder)
{
    const QString place = withSeparator(folder);
    return {place, place, false, place + QStringLiteral("drafts")};
}

ProgramPlaces resolveProgramPlaces(const QString& executableFolder, const QString& documentsFolder)
{
    ProgramPlaces places = ProgramPlaces::inOneFolder(executableFolder);
    const bool writable = QFileInfo(executableFolder).isWritable();
    if (holdsDecorations(executableFolder)) {
        if (writable)
            return places;
    } else {
        // Relative to the executable only, so any prefix and a DESTDIR work alike.
        const QString shared =
            QDir(executableFolder + QStringLiteral("/../share/quirvel")).canonicalPath();
        if (!shared.isEmpty() && holdsDecorations(shared))
            places.suppliedFolder = shared + QLatin1Char('/');
        else if (writable)
            return places;
    }
    places.quizzesFolder = QDir::cleanPath(documentsFolder) + QStringLiteral("/QUIRVEL/");
    places.quizzesInDocuments = true;
    return places;
}

ProgramPlaces resolveProgramPlaces(const QString& executableFolder)
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    ProgramPlaces places = resolveProgramPlaces(executableFolder, documents);
    places.draftsFolder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                          QStringLiteral("/drafts");
    return places;
}
