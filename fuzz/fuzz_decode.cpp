// libFuzzer entry: every input goes through the same decode call a chosen picture takes. A refused
// picture throws QuirvelError, which is the expected way out; anything else is a finding.

#include "core/quirvelerror.h"
#include "jpeg/jpegdecoder.h"

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>

namespace
{

// Big pictures are legal up to the decoder's limit, but decoding 100 megapixels per input would
// leave the fuzzer a handful of runs a minute; the hostile-picture test covers them. Any frame
// header anywhere in the input that declares more than this skips the input.
constexpr std::uint64_t MaxFuzzPixels = 1u << 20;

bool declaresBigFrame(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; i + 9 <= size; ++i) {
        if (data[i] != 0xFF)
            continue;
        const std::uint8_t m = data[i + 1];
        const bool frame = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (!frame)
            continue;
        const std::uint64_t height = (data[i + 5] << 8) | data[i + 6];
        const std::uint64_t width = (data[i + 7] << 8) | data[i + 8];
        if (width * height > MaxFuzzPixels)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (declaresBigFrame(data, size))
        return -1; // keep it out of the working corpus
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const QImage image = decodeJpegData(bytes);
        if (image.isNull() || (image.format() != QImage::Format_RGB888 &&
                               image.format() != QImage::Format_Grayscale8))
            __builtin_trap();
        // Read the last byte so a short buffer shows up under AddressSanitizer.
        volatile uchar last = image.constScanLine(image.height() - 1)[image.bytesPerLine() - 1];
        (void)last;
    } catch (const QuirvelError& e) {
        if (e.text().isEmpty())
            __builtin_trap();
    }
    return 0;
}
