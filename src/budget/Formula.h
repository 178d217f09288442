// The formula language of the budget lines: terms that are line numbers,
// joined left to right by "+" and "-" ("*" reads as "+", "/" as "-").
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace budget {

struct FormulaTerm {
    int sign;        // +1 or -1
    long long line;  // the line number the term names
};

// Parses a formula; nullopt when the text is outside the language
// (empty terms, a leading operator, letters, parentheses).
std::optional<std::vector<FormulaTerm>> parseFormula(const std::string& text);

// Computes both amounts of every line numbered `rand` from its formula, over
// the "Bilant" table of `dir`. A term that names no line (or only blank
// amounts) leaves the line blank in that column. A formula outside the
// language raises data::EngineError naming the line and the formula; nothing
// is written then.
void CalcFormula(const std::string& formula, const std::string& dir, int rand);

}  // namespace budget
