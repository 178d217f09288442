// Text of an older installation's files (and of files edited with Windows'
// own editors): the Windows-1250 code page.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace data {

// Appends `bytes` converted from Windows-1250 to UTF-8 to `out`, letter for
// letter (the cedilla forms of s and t stay cedilla forms). Returns the offset
// of the first byte the code page leaves undefined (nothing is appended then),
// or std::string::npos when all of it converted.
size_t appendWindows1250AsUtf8(std::string_view bytes, std::string& out);

// Text read from a file that is either already UTF-8 or Windows-1250: kept
// when it is well-formed UTF-8 holding letters beyond ASCII, converted
// otherwise. Same return as above.
size_t textAsUtf8(std::string_view bytes, std::string& out);

}  // namespace data
