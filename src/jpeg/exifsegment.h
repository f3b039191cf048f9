// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio> // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>

// The first Exif APP1 segment of a picture being decoded: the one segment the library is let keep,
// so a file with megabytes of Exif spread over many segments costs at most 64 KB. The payload
// ("Exif\0", pad byte, TIFF block) lies in the decompressor's image pool: valid from
// jpeg_read_header() until jpeg_finish_decompress() or jpeg_destroy_decompress().
struct ExifSegment {
    const JOCTET* data = nullptr;
    unsigned int size = 0;
};

// Makes the library pass every APP1 segment to a reader that keeps the first one holding Exif
// (payload starting "Exif\0", more than 6 bytes: the one Chromium takes) and skips the others
// without storing them. Call after jpeg_create_decompress() and before jpeg_read_header();
// `segment` is found through cinfo->client_data and must outlive the header read. The source
// must not suspend (memory and stdio sources never do): a suspending one is a library error.
void saveFirstExifSegment(j_decompress_ptr cinfo, ExifSegment* segment);

// The kept segment's Orientation (1-8), or 1 when there is none; read after jpeg_read_header().
int exifOrientation(const ExifSegment& segment);
