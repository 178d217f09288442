// JPEG decoding with the IJG library, for the personalisation picture.
#pragma once
#include <QImage>
#include <cstddef>
#include <string>

namespace app {

// Pictures larger than this are refused rather than decoded.
inline constexpr long long kMaxJpegPixels = 64LL * 1024 * 1024;
inline constexpr int kMaxJpegSide = 32768;
inline constexpr long long kMaxJpegFileBytes = 256LL * 1024 * 1024;

// Decodes a JPEG held in memory. Throws std::runtime_error with the decoder's
// reason for data that is not a complete, readable JPEG or is too large.
QImage decodeJpeg(const unsigned char* data, size_t size);
// Reads and decodes a JPEG file; the error names the file.
QImage loadJpegFile(const std::string& path);

}  // namespace app
