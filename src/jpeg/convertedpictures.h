// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

// The JPEG files made from pictures of other kinds, each kept once as <sha256 of the source>.jpg
// in one folder beside the drafts: slots, drafts and the generation then use them by path like any
// chosen JPEG. No quiz folder's numbered name ("1.jpg") can be one of them.
class ConvertedPictures
{
public:
    explicit ConvertedPictures(const QString& folder) : m_folder(folder) {}

    QString folder() const { return m_folder; }
    // The JPEG file a slot takes for the file at path, whatever its name: path itself when it
    // holds a JPEG, else its conversion, made the first time. Throws QuirvelError with the reason
    // in a few Russian words ("это PDF, а не картинка"); the file itself is only read.
    QString fileFor(const QString& path) const;
    // The same for a picture's bytes (pasted or dragged from a program): a JPEG's are kept as they
    // are.
    QString fileForData(const QByteArray& data) const;
    // Deletes the files kept here that inUse does not name.
    void prune(const QSet<QString>& inUse) const;

private:
    QString m_folder;
};
