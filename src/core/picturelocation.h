// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <system_error>

// Where a photo was taken must not leave with a quiz folder, which teachers put on the school's
// site. Exif GPS data is zeroed where it lies and its pointer taken out of IFD0, so that no offset
// moves; an XMP packet that holds GPS is dropped whole. Everything else, the picture data from SOS
// to EOI, the orientation, maker and model included, stays byte for byte, and a JPEG without GPS
// is not touched at all.
class PictureLocation
{
public:
    // Takes the location out of jpeg; true when anything changed. scanReached says whether the
    // segments were read up to the picture data, so that a file's head can be checked alone.
    static bool remove(QByteArray& jpeg, bool* scanReached = nullptr);
    // The same on the file at path, rewritten only when it holds a location.
    static std::error_code removeFromFile(const QString& path);
};
