// Whole-file copy that expands "SZDD"-compressed sources.
#pragma once
#include <stdexcept>
#include <string>

namespace data {

// Input/output error of the file services; the text is shown as it stands.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& msg) : std::runtime_error(msg) {}
};

// Copies `source` over `dest` (creating or replacing it). A source in the
// classic SZDD compressed format is expanded; any other file is copied byte
// for byte. The destination is replaced whole or not at all: a failed copy
// leaves it as it was. A table open in this process is never a destination.
// Raises FileError with one of the three texts below.
void CopyWholeFile(const std::string& source, const std::string& dest);

// The copy's errors, naming the file in double quotes.
std::string sourceErrorText(const std::string& source);     // cannot be opened for reading
std::string destinationErrorText(const std::string& dest);  // cannot be created for writing
std::string copyErrorText(const std::string& source);       // the copy failed

}  // namespace data
