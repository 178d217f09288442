// The formula of a budget line, as typed in the budget window.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "budget/Formula.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto terms = budget::parseFormula(text);
    if (!terms) return 0;
    // what was read is read again the same from its own writing
    fuzz::check(!terms->empty(), "a formula without terms");
    std::string again;
    for (const budget::FormulaTerm& t : *terms) {
        fuzz::check(t.sign == 1 || t.sign == -1, "a term's sign is +1 or -1");
        fuzz::check(t.line >= 0, "a line number is not negative");
        again += (again.empty() ? "" : t.sign < 0 ? "-" : "+") + std::to_string(t.line);
    }
    const auto back = budget::parseFormula(again);
    fuzz::check(back && back->size() == terms->size(), "a formula written back is read back");
    for (size_t i = 0; i < terms->size(); ++i)
        fuzz::check((*back)[i].line == (*terms)[i].line && (i == 0 || (*back)[i].sign == (*terms)[i].sign),
                    "a formula written back has the same terms");
    return 0;
}
