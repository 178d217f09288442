// The database directory: the program's directory unless --dir overrides it.
#pragma once
#include <functional>
#include <string>

namespace data {

// Path with a trailing separator.
const std::string& AppDir();
// Set once at start-up (from the program file's location or --dir).
void setAppDir(const std::string& dir);
// Directory of the running executable.
std::string programDirectory();

// Adds a field to a table file when it lacks it ("ALTER TABLE ... ADD <field>
// <type>"). `beforeAlter` runs first (the work message and the hourglass);
// nothing runs when the field exists. A file that holds another table than the
// one named (a table copied over it) is refused with the file's name and left
// as it is.
void EnsureField(const std::string& dir, const std::string& tableName, const std::string& field,
                 const std::string& type, const std::function<void()>& beforeAlter = {},
                 const std::function<void()>& afterAlter = {});

}  // namespace data
