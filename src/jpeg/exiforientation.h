// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The Exif Orientation (1-8) held by the payload of one APP1 segment, which starts "Exif\0" and
// a pad byte, then a TIFF header. Anything missing, damaged or out of range gives 1, as stored.
// It reads the way Chromium does, so a picture is drawn here as the quiz page will draw it: the
// first valid Orientation among IFD0's entries, taking in the entries of an Exif sub-IFD at the
// point where IFD0 refers to it (one level only); a directory that claims more entries than the
// segment holds is read as far as whole entries go.
int exifOrientation(const QByteArray& app1Payload);
