#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the corpus of bad and awkward JPEG files that tst_hostile feeds to the picture decoder.

    python3 tests/hostile/make-corpus.py [output folder]   (default: tests/hostile/corpus)

Needs cjpeg/jpegtran (libjpeg-turbo-progs) and a C compiler with libjpeg headers (for the CMYK
pictures, which cjpeg cannot write). Everything is deterministic, so running it again gives the
same files. The files are committed; only pictures too big to commit are built by the test itself.
"""

import os
import random
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(HERE, "corpus")

# Annex K luminance tables, enough for any scan header we write by hand.
DC_BITS = [0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0]
DC_VALS = list(range(12))
AC_BITS = [0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D]
AC_VALS = bytes.fromhex(
    "01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a161718191a"
    "25262728292a3435363738393a434445464748494a535455565758595a636465666768696a737475767778"
    "797a838485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9bac2c3c4c5c6c7"
    "c8c9cad2d3d4d5d6d7d8d9dae1e2e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7f8f9fa")


def seg(marker, payload):
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload


def dqt(table=0, precision16=False):
    if precision16:
        return seg(0xDB, bytes([0x10 | table]) + struct.pack(">64H", *([1] * 64)))
    return seg(0xDB, bytes([table]) + bytes([1] * 64))


def dht():
    return seg(0xC4, bytes([0x00]) + bytes(DC_BITS) + bytes(DC_VALS) + bytes([0x10]) +
               bytes(AC_BITS) + AC_VALS)


def sof(marker, precision, width, height, ncomp):
    body = struct.pack(">BHHB", precision, height, width, ncomp)
    for c in range(ncomp):
        body += bytes([c + 1, 0x11, 0])
    return seg(marker, body)


def sos(ncomp, ss=0, se=63, ah_al=0):
    body = bytes([ncomp])
    for c in range(ncomp):
        body += bytes([c + 1, 0x00])
    return seg(0xDA, body + bytes([ss, se, ah_al]))


SOI = b"\xFF\xD8"
EOI = b"\xFF\xD9"


def header_only(width, height, marker=0xC0, precision=8, ncomp=3):
    """A well-formed stream that declares a picture but carries almost no scan data."""
    return (SOI + dqt(precision16=precision > 8) + sof(marker, precision, width, height, ncomp) +
            dht() + sos(ncomp) + bytes(64) + EOI)


def many_scans(width, height, scans):
    """A small progressive file whose picture is big and whose scans are many and empty: each scan
    costs a pass over every block, so the work grows with scans x blocks, not with the file size."""
    data = SOI + dqt() + sof(0xC2, 8, width, height, 1) + dht()
    data += sos(1, 0, 0, 0) + b"\x00"  # DC first scan
    data += (sos(1, 1, 63, 0) + b"\x00") * scans
    return data + EOI


def test_picture(width, height):
    """A binary PPM with gradients, stripes and a disc: something the encoder must work at."""
    rows = []
    cx, cy, r2 = width * 0.6, height * 0.45, (min(width, height) * 0.3) ** 2
    for y in range(height):
        row = bytearray(width * 3)
        for x in range(width):
            inside = (x - cx) ** 2 + (y - cy) ** 2 < r2
            row[3 * x] = (x * 255 // max(1, width - 1)) ^ (0x40 if (x // 8) % 2 else 0)
            row[3 * x + 1] = 230 if inside else (y * 255 // max(1, height - 1))
            row[3 * x + 2] = ((x + y) * 3) & 0xFF
        rows.append(bytes(row))
    return b"P6\n%d %d\n255\n" % (width, height) + b"".join(rows)


def cjpeg(ppm, *options):
    return subprocess.run(["cjpeg", *options], input=ppm, stdout=subprocess.PIPE,
                          check=True).stdout


def markers(data):
    """Offsets of the segment markers of a JPEG stream up to the first scan's data, and of every
    SOS after that (found by scanning for FF DA, which entropy data never contains unstuffed)."""
    found = []
    i = 2
    while i + 4 <= len(data):
        if data[i] != 0xFF:
            break
        m = data[i + 1]
        length = struct.unpack(">H", data[i + 2:i + 4])[0]
        found.append((m, i))
        if m == 0xDA:
            break
        i += 2 + length
    j = i + 2
    while True:
        j = data.find(b"\xFF\xDA", j)
        if j < 0:
            break
        found.append((0xDA, j))
        j += 2
    return found


def truncations(name, data, out):
    sos_offsets = [o for m, o in markers(data) if m == 0xDA]
    dht_offset = next(o for m, o in markers(data) if m == 0xC4)
    first_data = sos_offsets[0] + 2 + struct.unpack(">H", data[sos_offsets[0] + 2:
                                                             sos_offsets[0] + 4])[0]
    points = {
        "soi": 2,                                  # nothing after the start marker
        "in-dht": dht_offset + 10,                  # inside a table definition
        "in-sos": sos_offsets[0] + 6,               # inside the first scan header
        "scan-start": first_data,                   # header complete, no scan data at all
        "scan-half": (first_data + len(data)) // 2,  # half the picture
        "no-eoi": len(data) - 2,                    # everything but the end marker
    }
    if len(sos_offsets) > 2:
        points["between-scans"] = sos_offsets[len(sos_offsets) // 2]
    for label, n in points.items():
        out["trunc-%s-%s.jpg" % (name, label)] = data[:n]


def cmyk_pictures(tmp):
    """cjpeg reads no CMYK, so a few lines of C against libjpeg write the CMYK and YCCK files."""
    source = os.path.join(tmp, "cmyk.c")
    binary = os.path.join(tmp, "cmyk")
    with open(source, "w") as f:
        f.write(r"""
#include <stdio.h>
#include <stdlib.h>
#include <jpeglib.h>
int main(int argc, char** argv) {
    struct jpeg_compress_struct c; struct jpeg_error_mgr e;
    FILE* out = fopen(argv[1], "wb"); if (!out) return 1;
    c.err = jpeg_std_error(&e); jpeg_create_compress(&c); jpeg_stdio_dest(&c, out);
    c.image_width = 96; c.image_height = 64; c.input_components = 4; c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    if (atoi(argv[2])) jpeg_set_colorspace(&c, JCS_YCCK);
    jpeg_set_quality(&c, 85, TRUE); jpeg_start_compress(&c, TRUE);
    unsigned char row[96 * 4];
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < 96; ++x) {
            row[4*x] = x * 2; row[4*x+1] = c.next_scanline * 3; row[4*x+2] = 128; row[4*x+3] = x ^ 0x55;
        }
        JSAMPROW r = row; jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c); jpeg_destroy_compress(&c); fclose(out); return 0;
}
""")
    subprocess.run(["cc", "-O1", "-o", binary, source, "-ljpeg"], check=True)
    result = {}
    for name, ycck in (("cmyk.jpg", 0), ("ycck.jpg", 1)):
        path = os.path.join(tmp, name)
        subprocess.run([binary, path, str(ycck)], check=True)
        with open(path, "rb") as f:
            result[name] = f.read()
    return result


def png(width, height):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(
        b"\x00" + b"".join(bytes([x * 16 & 0xFF, y * 16 & 0xFF, 0x80]) for x in range(width))
        for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def exif_block(size):
    """An APP1 Exif segment of the given payload size whose TIFF directory claims far more
    entries than there are, pointing past the end."""
    tiff = b"MM\x00\x2a" + struct.pack(">I", 8) + struct.pack(">H", 0xFFFF)
    tiff += struct.pack(">HHII", 0x0112, 3, 1, 0x7FFFFFF0) * 8
    payload = b"Exif\x00\x00" + tiff
    return seg(0xE1, payload + bytes(size - len(payload)))


def tiff(order, entries, ifd_offset=8, count=None, next_ifd=0, cut=None):
    """A TIFF block in byte order "II" or "MM" whose IFD0 holds the given (tag, type, count,
    value) entries; SHORT values sit in the first two bytes of the value field. count claims
    another number of entries, cut keeps only that many bytes."""
    e = "<" if order == b"II" else ">"
    body = order + struct.pack(e + "HI", 42, ifd_offset)
    body += struct.pack(e + "H", len(entries) if count is None else count)
    for tag, kind, n, value in entries:
        field = struct.pack(e + "HH", value, 0) if kind == 3 else struct.pack(e + "I", value)
        body += struct.pack(e + "HHI", tag, kind, n) + field
    body += struct.pack(e + "I", next_ifd)
    return body if cut is None else body[:cut]


def exif(tiff_block, pad=b"\x00"):
    return seg(0xE1, b"Exif\x00" + pad + tiff_block)


ORIENTATION = 0x0112
EXIF_IFD = 0x8769


def exif_pictures(baseline):
    """Good pictures behind Exif blocks that are odd or hostile; the comment says what Chromium
    makes of each, which the picture's thumbnail must match."""
    def picture(*segments):
        return SOI + b"".join(segments) + baseline[2:]

    short, long_ = 3, 4
    files = {}
    files["exif-orientation-6-mm.jpg"] = picture(exif(tiff(b"MM", [(ORIENTATION, short, 1, 6)])))
    files["exif-orientation-8-ii.jpg"] = picture(exif(tiff(b"II", [(ORIENTATION, short, 1, 8)])))
    # IFD0 names itself as its Exif sub-IFD and as the next IFD: 5, read once from each.
    files["exif-ifd-loop.jpg"] = picture(exif(tiff(
        b"II", [(EXIF_IFD, long_, 1, 8), (ORIENTATION, short, 1, 5)], next_ifd=8)))
    # IFD0 far outside the segment: as stored.
    files["exif-offset-outside.jpg"] = picture(exif(tiff(
        b"MM", [(ORIENTATION, short, 1, 6)], ifd_offset=0xFFFFFFF0)))
    # A sub-IFD outside the segment is passed over; the Orientation after it counts: 7.
    files["exif-subifd-outside.jpg"] = picture(exif(tiff(
        b"MM", [(EXIF_IFD, long_, 1, 0x7FFFFFF0), (ORIENTATION, short, 1, 7)])))
    # 65535 entries claimed, two and a half there: the whole ones are read, 3.
    files["exif-huge-count.jpg"] = picture(exif(tiff(
        b"II", [(0x010F, 2, 4, 0x41414141), (ORIENTATION, short, 1, 3),
                (ORIENTATION, short, 1, 6)], count=0xFFFF, cut=8 + 2 + 12 * 2 + 6)))
    # The only entry stops after nine of its twelve bytes: as stored.
    files["exif-truncated-entry.jpg"] = picture(exif(tiff(
        b"MM", [(ORIENTATION, short, 1, 6)], cut=8 + 2 + 9)))
    # A full segment of sub-IFD pointers, each into the entries themselves: the most reading one
    # segment can ask for, millions of entries, and no Orientation among them.
    n = (65533 - 6 - 8 - 2 - 4) // 12
    files["exif-many-subifds.jpg"] = picture(exif(tiff(
        b"MM", [(EXIF_IFD, long_, 1, 8 + 2 + 12 * i) for i in range(n)])))
    # Too short to be taken ("Exif", zero, pad and nothing): the next Exif segment counts, 6.
    files["exif-empty-first.jpg"] = picture(seg(0xE1, b"Exif\x00\x00"),
                                            exif(tiff(b"MM", [(ORIENTATION, short, 1, 6)])))
    # Only the first Exif segment counts, even a broken one: as stored.
    files["exif-broken-first.jpg"] = picture(
        exif(b"MM\x00\x2b" + tiff(b"MM", [(ORIENTATION, short, 1, 6)])[4:]),
        exif(tiff(b"MM", [(ORIENTATION, short, 1, 6)])))
    # The pad byte after "Exif\0" is not looked at: 2.
    files["exif-pad-byte.jpg"] = picture(exif(tiff(b"II", [(ORIENTATION, short, 1, 2)]), b"X"))
    # The file ends inside an Exif segment that claims 60000 bytes: no picture at all.
    files["exif-file-ends-inside.jpg"] = (SOI + b"\xFF\xE1" + struct.pack(">H", 60002) +
                                          b"Exif\x00\x00" + tiff(b"MM", [(ORIENTATION, short, 1, 6)]))
    return files


def main():
    os.makedirs(OUT, exist_ok=True)
    rng = random.Random(8)
    files = {}
    with tempfile.TemporaryDirectory() as tmp:
        ppm = test_picture(320, 240)
        baseline = cjpeg(ppm, "-quality", "85")
        progressive = cjpeg(ppm, "-quality", "85", "-progressive")
        files["control-baseline.jpg"] = baseline
        files["control-progressive.jpg"] = progressive
        files["control-gray.jpg"] = cjpeg(ppm, "-grayscale")
        files["arithmetic.jpg"] = cjpeg(ppm, "-arithmetic")
        files["arithmetic-progressive.jpg"] = cjpeg(ppm, "-arithmetic", "-progressive")
        files["restart-every-row.jpg"] = cjpeg(ppm, "-restart", "1")
        files["odd-sampling.jpg"] = cjpeg(ppm, "-sample", "4x2,1x1,1x1")
        files.update(cmyk_pictures(tmp))

        files["empty.jpg"] = b""
        files["random.jpg"] = bytes(rng.getrandbits(8) for _ in range(4096))
        files["random-after-soi.jpg"] = SOI + b"\xFF" + bytes(rng.getrandbits(8)
                                                            for _ in range(4096))
        files["png-named.jpg"] = png(16, 16)
        files["text-named.jpg"] = "Это не картинка\r\n".encode("cp1251") * 20

        truncations("baseline", baseline, files)
        truncations("progressive", progressive, files)

        corrupt = bytearray(baseline)
        start = [o for m, o in markers(baseline) if m == 0xDA][0] + 20
        for i in range(start, len(corrupt) - 2, 97):
            corrupt[i] = rng.getrandbits(8) & 0xFE  # never 0xFF: keep it entropy data
        files["corrupt-scan-data.jpg"] = bytes(corrupt)

        files["declares-65500x65500.jpg"] = header_only(65500, 65500)
        files["declares-12000x12000.jpg"] = header_only(12000, 12000)
        files["declares-12000x10000.jpg"] = header_only(12000, 10000)  # 120 MP, the most allowed
        files["declares-65500x1.jpg"] = header_only(65500, 1)
        files["declares-zero-width.jpg"] = header_only(0, 240)
        files["declares-5-components.jpg"] = header_only(64, 64, ncomp=5)
        files["many-scans.jpg"] = many_scans(8000, 8000, 4000)
        files["precision-12.jpg"] = header_only(64, 64, marker=0xC1, precision=12)
        files["precision-16.jpg"] = header_only(64, 64, marker=0xC1, precision=16)
        files["lossless.jpg"] = header_only(64, 64, marker=0xC3)
        files["hierarchical.jpg"] = header_only(64, 64, marker=0xC5)
        bogus_dht = bytearray(dht())
        bogus_dht[5:21] = bytes([0xFF] * 16)  # counts that add up far past 256 codes
        files["bogus-huffman-table.jpg"] = (SOI + dqt() + sof(0xC0, 8, 64, 64, 3) +
                                            bytes(bogus_dht) + sos(3) + bytes(64) + EOI)
        files["missing-quant-table.jpg"] = (SOI + sof(0xC0, 8, 64, 64, 3) + dht() + sos(3) +
                                            bytes(64) + EOI)

        # One full-size Exif block in front of a good picture; the test adds a much bigger one.
        files["exif-64k.jpg"] = SOI + exif_block(65533 - 2) + baseline[2:]
        files.update(exif_pictures(baseline))

    for name, data in sorted(files.items()):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    print("%d files in %s" % (len(files), OUT))


if __name__ == "__main__":
    main()
