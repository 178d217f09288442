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

// A post or delete found that its record was changed or deleted by another
// user (another program on the same files) since the data set read it. Nothing
// was written; the data set shows the record as it is now.
class StaleRecordError : public EngineError {
public:
    StaleRecordError() : EngineError("Inregistrarea a fost modificata sau stearsa de alt utilizator!") {}
};

// Cancels the current operation without any message (raised by event handlers).
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Operatie abandonata"; }
};

[[noreturn]] inline void abortSilently() { throw Abort(); }

}  // namespace data
