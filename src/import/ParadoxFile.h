// Reading one Paradox table (".DB", with its ".MB" memo file) of an older
// installation. The files are untrusted: only regular files are opened, every
// count of the header is checked against the file's size before a record is
// read, and a damaged record is reported with its number.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/Value.h"

namespace paradox {

// A table or file that cannot be read; the text names the file (and the row)
// in the program's words.
class ImportError : public std::runtime_error {
public:
    explicit ImportError(const std::string& msg) : std::runtime_error(msg) {}
};

// Opens an existing file for reading when it is a regular file (a FIFO,
// device or directory under the name is refused); its size in `size`.
// Throws ImportError naming the file.
int openRegularFile(const std::string& path, long long& size);

// How a Paradox field's values are read.
enum class FieldKind { Text, Memo, Integer, Number, Bcd, Date, Logical, Unsupported };

struct ParadoxField {
    std::string name;  // UTF-8
    FieldKind kind = FieldKind::Unsupported;
    int type = 0;      // the Paradox type code
    int length = 0;    // bytes in the record
    int offset = 0;    // bytes before it in the record
    int decimals = 0;  // BCD fields
};

// The name of a Paradox field type, for messages ("alfanumeric", "data", ...).
std::string typeName(int type);

class ParadoxFile {
public:
    // Opens `path` for reading; throws ImportError when it is not a regular
    // file or not a readable Paradox table.
    explicit ParadoxFile(const std::string& path);
    ~ParadoxFile();
    ParadoxFile(const ParadoxFile&) = delete;
    ParadoxFile& operator=(const ParadoxFile&) = delete;

    const std::string& path() const { return path_; }
    const std::vector<ParadoxField>& fields() const { return fields_; }
    long long recordCount() const { return records_; }
    // The code page the header names (0 when it names none).
    int codePage() const { return codePage_; }

    // Reads record `row` (from 0, in file order): one value per field, NULL
    // for a blank one and for fields of unsupported types. Throws ImportError
    // naming the file and the row (counted from 1).
    void read(long long row, std::vector<data::Value>& values);

private:
    struct Impl;
    [[noreturn]] void fail(long long row, const std::string& why) const;
    std::string memoText(long long row, const ParadoxField& f, const char* data);
    std::string path_;
    std::vector<ParadoxField> fields_;
    long long records_ = 0;
    int codePage_ = 0;
    std::unique_ptr<Impl> impl_;
};

}  // namespace paradox
