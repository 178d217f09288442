// JPEG decoding with the IJG library, for the personalisation picture.
#pragma once
#include <QImage>
#include <QSize>
#include <cstddef>
#include <string>

namespace app {

// Pictures larger than this are refused rather than decoded.
inline constexpr long long kMaxJpegPixels = 64LL * 1024 * 1024;
inline constexpr int kMaxJpegSide = 32768;
inline constexpr long long kMaxJpegFileBytes = 20LL * 1024 * 1024;

// Decodes a JPEG held in memory. A picture larger than `shownAt` (when given)
// is decoded scaled down by the decoder itself (1/2, 1/4 or 1/8), to the
// smallest of those sizes that still covers `shownAt`: a photograph of many
// megapixels shown in a window costs the window's size, not its own. Throws
// std::runtime_error with the decoder's reason for data that is not a
// complete, readable JPEG or is too large.
QImage decodeJpeg(const unsigned char* data, size_t size, QSize shownAt = QSize());
// Reads and decodes a JPEG file, scaled to cover `shownAt` (by default the
// screen); the error names the file.
QImage loadJpegFile(const std::string& path, QSize shownAt = QSize());

}  // namespace app
