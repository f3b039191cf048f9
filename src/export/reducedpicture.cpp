// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/reducedpicture.h"

#include "jpeg/jpegdecoder.h"
#include "jpeg/jpegwriter.h"

QByteArray reducedPicture(std::FILE* jpeg, bool* damaged)
{
    const ReducedJpeg picture = decodeJpegStreamReduced(jpeg, MaxSentPictureHeight);
    if (damaged)
        *damaged = picture.damaged;
    return writeJpeg(picture.image, 85, picture.iccProfile);
}
