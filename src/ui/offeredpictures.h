// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>

class QMimeData;

// The pictures a drag or the clipboard offers, read out of its data once: a program may quit
// between two questions about what it holds (on X11 its data then answers with nothing).
// Copied or dragged files come as text/uri-list or x-special/gnome-copied-files; a picture copied
// or dragged from a browser as image/* data. Nothing is ever fetched from the network.
struct OfferedPictures {
    QStringList files;   // local files, in the order offered
    QStringList folders; // local folders
    QStringList remote;  // web addresses offered without the picture's data
    QByteArray data;     // a picture's bytes, when no file is offered
    // Whether anything at all is offered.
    bool isEmpty() const
    {
        return files.isEmpty() && folders.isEmpty() && remote.isEmpty() && data.isEmpty();
    }

    static OfferedPictures from(const QMimeData* mime);
    // Whether mime's formats promise a file or a picture, without asking for the data.
    static bool promised(const QMimeData* mime);
};
