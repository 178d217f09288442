// The deanery's tree file "arbore.txt", as found in the database directory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "budget/UnitTree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const budget::TreeRead r = budget::parseTree(text);
    int previous = -1;
    for (const budget::TreeLine& l : r.lines) {
        fuzz::check(l.depth >= 0 && l.depth <= previous + 1 && l.depth <= budget::kMaxTreeDepth,
                    "every node at most one level below the one before it");
        fuzz::check(l.text.find_first_not_of(" \t") != std::string::npos, "every node has a name");
        fuzz::check(l.text.find_first_of("\r\n") == std::string::npos, "no line end inside a name");
        previous = l.depth;
    }
    // the tree as saved is read back as it was: nothing is lost at the next save
    const budget::TreeRead back = budget::parseTree(budget::treeText(r.lines));
    fuzz::check(back.error.empty(), "a saved tree is read without error");
    fuzz::check(back.lines == r.lines, "a saved tree is read back the same");
    return 0;
}
