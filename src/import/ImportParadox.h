// Brings an older installation over: its Paradox tables, unit directories,
// templates, unit tree, settings and picture become a new installation.
//   Corvalinde --import-paradox SRC --dir DEST
#pragma once
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace paradox {

// What became of one table of the new installation.
struct TableImport {
    std::string file;     // relative to the installation: "PAROHII/Sf. Ilie/Bilant.DB"
    bool found = false;   // false: the new installation's table stays
    std::string note;     // how a missing table was filled, if not left as created
    std::string warning;  // something the user should check in the imported table
    long long rowsRead = 0, rowsWritten = 0;
    long long roundedAmounts = 0;      // amounts with more than two decimals, rounded to the ban
    std::vector<std::string> skipped;  // fields of the old table we do not have (or cannot read)
    std::vector<std::string> missing;  // our fields the old table lacks: left NULL
};

struct ImportSummary {
    std::vector<TableImport> tables;
    std::vector<std::string> copied;       // other files brought over
    std::vector<std::string> notImported;  // tables of SRC not brought over, with the reason
    double soldCasa = 0, soldBanca = 0;    // of the new installation
};

// The file that marks a directory as an import's work directory.
inline constexpr const char* kImportMarker = ".corvalinde-import";

// Imports SRC into the new installation DEST. DEST must not exist yet or be
// an empty directory holding no installation; the work is done in a
// temporary directory beside it, renamed to DEST only when all of it
// succeeded; work directories that killed imports to DEST left are removed
// first. SRC is only read. `progress` gets one line per table. Throws
// ImportError (or data::EngineError) on failure, leaving DEST as it was.
ImportSummary importParadox(const std::string& src, const std::string& dest,
                            const std::function<void(const std::string&)>& progress = {});

// The summary as printed at the end of the import.
std::string summaryText(const ImportSummary& s);

// The command: imports, prints the summary to `out` and a progress line per
// table and any failure to `err`. Returns the exit code: 0 done, 1 failed.
int runImportParadox(const std::string& src, const std::string& dest, std::ostream& out, std::ostream& err);

}  // namespace paradox
