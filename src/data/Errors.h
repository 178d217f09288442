// The engine's one error type and the silent abort.
#pragma once
#include <exception>
#include <stdexcept>
#include <string>

namespace data {

// Every failure of the table engine (missing table, missing field, table held
// exclusively, key violation, SQL error, conversion error) carries the engine's
// message text; windows show it in their own words.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& msg) : std::runtime_error(msg) {}
};

// Cancels the current operation without any message (raised by event handlers).
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

[[noreturn]] inline void abortSilently() { throw Abort(); }

}  // namespace data
