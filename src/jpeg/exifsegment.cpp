// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeg/exifsegment.h"

#include "jpeg/exiforientation.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

#include <jerror.h>

namespace
{

constexpr JOCTET Signature[5] = {'E', 'x', 'i', 'f', 0};
// Chromium passes over an Exif segment this short and takes the next one.
constexpr unsigned int ShortestTaken = 7;

// Takes `count` bytes from the source into `out`.
void take(j_decompress_ptr cinfo, JOCTET* out, size_t count)
{
    jpeg_source_mgr* src = cinfo->src;
    while (count > 0) {
        // Resuming inside a segment would need its state kept across calls; our sources never
        // suspend, so a source that does is refused instead.
        if (src->bytes_in_buffer == 0 && !src->fill_input_buffer(cinfo))
            ERREXIT(cinfo, JERR_CANT_SUSPEND);
        const size_t n = std::min(count, src->bytes_in_buffer);
        std::memcpy(out, src->next_input_byte, n);
        out += n;
        src->next_input_byte += n;
        src->bytes_in_buffer -= n;
        count -= n;
    }
}

boolean skip(j_decompress_ptr cinfo, unsigned int count)
{
    if (count > 0)
        cinfo->src->skip_input_data(cinfo, long(count));
    return TRUE;
}

// Called by the library with the APP1 marker read and the segment's length next.
boolean readApp1(j_decompress_ptr cinfo)
{
    ExifSegment& segment = *static_cast<ExifSegment*>(cinfo->client_data);
    JOCTET length[2];
    take(cinfo, length, sizeof length);
    // The length counts its own two bytes; a smaller one is an empty segment, as in the library.
    const unsigned int size = std::max(length[0] << 8 | length[1], 2) - 2;
    if (segment.data || size < ShortestTaken)
        return skip(cinfo, size);
    JOCTET head[sizeof Signature];
    take(cinfo, head, sizeof head);
    if (std::memcmp(head, Signature, sizeof head) != 0)
        return skip(cinfo, size - unsigned(sizeof head));
    // At most 65533 bytes, once per picture: every later segment is skipped above.
    auto* data = static_cast<JOCTET*>(
        cinfo->mem->alloc_large(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, size));
    std::memcpy(data, head, sizeof head);
    take(cinfo, data + sizeof head, size - sizeof head);
    segment = {data, size};
    return TRUE;
}

} // namespace

void saveFirstExifSegment(j_decompress_ptr cinfo, ExifSegment* segment)
{
    *segment = {};
    cinfo->client_data = segment;
    jpeg_set_marker_processor(cinfo, JPEG_APP0 + 1, readApp1);
}

int exifOrientation(const ExifSegment& segment)
{
    if (!segment.data)
        return 1;
    return exifOrientation(
        QByteArray::fromRawData(reinterpret_cast<const char*>(segment.data), segment.size));
}
