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

// Adds a field to a table file when it lacks it, by the statement
// "Alter Table "<table>" ADD <field> <type>". `beforeAlter` runs first (the
// work message and the hourglass); nothing runs when the field exists.
void EnsureField(const std::string& dir, const std::string& tableName, const std::string& field,
                 const std::string& type, const std::function<void()>& beforeAlter = {},
                 const std::function<void()>& afterAlter = {});

}  // namespace data
