// The personalisation picture from any bytes: the first two bytes give the
// size it is shown at (in steps of 16 pixels, 0 for its own size), the rest
// is decoded as a JPEG, scaled as the main window asks.
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "app/JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const QSize shownAt(data[0] * 16, data[1] * 16);
    try {
        const QImage img = app::decodeJpeg(data + 2, size - 2, shownAt);
        // a decoded picture is never empty nor above the limits
        if (img.isNull() || static_cast<long long>(img.width()) * img.height() > app::kMaxJpegPixels) __builtin_trap();
    } catch (const std::runtime_error&) {
    }
    return 0;
}
