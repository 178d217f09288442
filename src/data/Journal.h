// The change journal "Jurnal.DB": every post of a new record, change and
// deletion in the books' tables. The entry is first written in the changed
// table's own file, in the change's own transaction (the waiting entries'
// table "cv_jurnal_nou": one file, one commit, so an entry never exists
// without its change nor a change without its entry), and moved into
// Jurnal.DB in batches before the journal is read, verified, printed or
// archived, at idle and at close. The move is idempotent: Jurnal.DB keeps,
// per table, the last waiting entry it took, so a kill between its two
// commits neither loses nor doubles an entry. Entries are never changed nor
// removed: the file's triggers refuse it, and each entry carries a SHA-256
// hash over its content and the hash of the entry before it (computed when it
// joins Jurnal.DB, in order), so an entry edited or removed by another tool
// breaks the chain the verification recomputes.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "data/Value.h"

struct sqlite3;

namespace data::journal {

inline constexpr const char* kJournalFile = "Jurnal.DB";
inline constexpr const char* kJournalTable = "Jurnal";
// The schema name the journal is attached under on a table's connection.
inline constexpr const char* kAttachedSchema = "cv_jurnal";

// The kinds of change, as stored in "Actiune".
inline constexpr const char* kAdded = "adaugat";
inline constexpr const char* kChanged = "modificat";
inline constexpr const char* kDeleted = "sters";
inline constexpr const char* kNewYear = "trecere la an nou";
inline constexpr const char* kImported = "import";
inline constexpr const char* kRestored = "restaurare";

// Whether changes of the table (file name or base name, letter case ignored)
// are journalled: the four document tables, the catalogs, the unit data, the
// opening balances and the budget lines. Work tables are not.
bool journalled(const std::string& table);
// Whether a field of the journalled tables holds an amount of money.
bool amountField(const std::string& field);
// The table's name as the journal records it ("Venituri").
std::string journalName(const std::string& table);

// The program version every entry records (set once at start).
void setProgramVersion(const std::string& version);
const std::string& programVersion();

// The journal file of a database directory; "" when it has none.
std::string journalPath(const std::string& dir);
// Creates an empty journal file; refuses an existing file.
void createJournalFile(const std::string& path);
// The journal of an existing installation: created when missing. Returns
// whether it was created.
bool ensureJournal(const std::string& dir);

// One field of a record, as an entry records it.
struct FieldValue {
    std::string name;
    Value value;
    bool amount = false;
};
// The readable encoding of values: a JSON object, amounts written as the
// program shows them, dates as dd.mm.yyyy. "" for no fields.
std::string encodeValues(const std::vector<FieldValue>& fields);
// The record's identity as people name it: a document's kind, number and
// date ("Chitanta nr. 17 din 12.03.2026"), a catalog entry's key.
std::string describeRecord(const std::string& table, const std::vector<FieldValue>& fields);

struct NewEntry {
    std::string table;  // as recorded ("Venituri")
    long long row = 0;  // the row's identity in its table file (0: none)
    std::string key;
    std::string action;
    std::string before, after;  // encodeValues
};

// Attaches the journal file to `db` under kAttachedSchema, outside any
// transaction, keeping it in rollback-journal mode with full syncs.
void attach(sqlite3* db, const std::string& path);
// Writes an entry inside the caller's write transaction on `db`, where the
// journal is attached under `schema` ("main" when `db` is the journal itself).
// The date is today's (data::today) with the clock's time.
void append(sqlite3* db, const std::string& schema, const NewEntry& e);
// Writes an entry inside the caller's write transaction on `db`, in the
// waiting entries of the table file attached under `schema` ("main" for the
// table's own connection), dated now; created there at its first entry.
void appendWaiting(sqlite3* db, const std::string& schema, const NewEntry& e);
// Moves the waiting entries of every journalled table file of `dir` into its
// journal, table after table, each in the order written. Files that are
// write-protected (a closed year's archive) are left as they are. Returns how
// many entries joined the journal.
long long settle(const std::string& dir);
// Remembers that `dir` has waiting entries (the table engine says so at each
// write); settleNoted moves those of every remembered directory, at idle and
// at close. A failure stays for the next time.
void noteWaiting(const std::string& dir);
bool hasNoted();
void settleNoted();

// Writes an entry of its own transaction in the journal of `dir` (created
// when missing): what happened to the installation as a whole, such as a
// restore from a safety copy.
void record(const std::string& dir, const NewEntry& e);

// The passage to a new year, inside the passage's transaction: the closed
// year's entries (kept in its archive) leave the journal, which starts again
// with `passage` as entry 1, chained to the last entry of the closed year.
// Returns how many entries the closed year's journal held.
long long startNewYear(sqlite3* db, const std::string& schema, NewEntry passage);

// A stored entry.
struct Entry {
    long long nr = 0;
    std::string when, table;
    long long row = 0;
    std::string key, action, before, after, version, previousHash, hash;
};
// The hash an entry must carry: hex SHA-256 over its content and the
// previous entry's hash.
std::string entryHash(const Entry& e);

// The result of recomputing the chain.
struct Verification {
    bool intact = false;
    long long entries = 0;
    long long firstBroken = 0;  // the first entry that fails (0: none, or the file itself)
    std::string message;        // Romanian, for the user
};
// Reads the journal of `dir` entry by entry: numbers running from 1 without
// gaps, each entry's previous hash the hash of the one before, each hash its
// content's. A directory without a journal is reported as broken.
Verification verify(const std::string& dir);

// The entries of a table's row, in order (the history of one document).
std::vector<Entry> history(const std::string& dir, const std::string& table, long long row);

// The latest deletion of a record of `tables` (file or base names) whose name
// or values hold `text`, letter case and diacritics aside ("ste" finds
// "Ștefan"; "" takes any): a deleted document found by its entries.
std::optional<Entry> lastDeletion(const std::string& dir, const std::vector<std::string>& tables,
                                  const std::string& text);

// The JSON object of encodeValues read back as name/text pairs, for display.
std::vector<std::pair<std::string, std::string>> decodeValues(const std::string& json);

}  // namespace data::journal
