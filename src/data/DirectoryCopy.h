// Durable file copies for whole-directory copies (the daily backup, the year's
// archive): every file is written under a temporary name, forced to the disk
// and renamed only when complete, so that a file under its real name is
// always whole; a table is copied at its last committed state.
#pragma once
#include <functional>
#include <string>

namespace data {

// Copies `source` to `destDir`/`name` through "`destDir`/.<name>.partial".
// `hasJournal`: a journal lies beside the source, so a table is first read
// through the engine (which rolls back an unfinished transaction) and copied,
// under a read transaction, without its journal. The copy holds a read lock
// that keeps writers of any process out. A compressed file is expanded.
// Returns whether the source was a table copied without its journal. Throws
// std::runtime_error (a short reason naming the file) when it fails; nothing
// is then left under either name.
bool copyFileInto(const std::string& source, const std::string& destDir, const std::string& name, bool hasJournal);

// Whether `name` is a file SQLite keeps beside a table ("X.DB-journal",
// "-wal", "-shm"); `base` receives the table's name.
bool isJournalCompanion(const std::string& name, std::string& base);

// Makes the names in a directory durable (best effort: not every file system
// syncs directories).
void syncDirectory(const std::string& dir);

// Called after each piece of a file copied by copyFileInto, with the file's
// name and the bytes copied so far (tests interrupt copies here).
using CopyProgressHook = std::function<void(const std::string& name, long long copied)>;
void setCopyProgressHook(CopyProgressHook hook);

}  // namespace data
