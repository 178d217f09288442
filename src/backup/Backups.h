// The installation's safety copies: where they live, how one is made, which
// are kept, what each holds and how one comes back in place of the current
// data.
//
// Each installation has its own folder "<root>/<unit name>-<id>", the id a
// short random text written once in the installation's ".instalare". A copy
// is "<yyyymmdd>" (the first start of the day) or "<yyyymmdd>-<hhmm>" (the
// close after a change, or one asked for); it holds the whole database
// directory: its files, the unit directories ("PAROHII", "MANASTIRI") and
// "Arhiva". Hidden files, the engine's "PRIV" and the program's own files
// (names holding "Corvalinde") are neither copied nor replaced.
//
// Plain C++ over SQLite; the windows and the command line put the questions.
#pragma once
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/Money.h"
#include "data/Value.h"

namespace backup {

// A copy that cannot be made, read, checked or restored; what() is the message.
class BackupError : public std::runtime_error {
public:
    explicit BackupError(const std::string& text) : std::runtime_error(text) {}
};

// The installation's id: read from "<dir>.instalare", made (random, 8 hex
// digits) when missing. A directory whose id file names another directory
// that still exists and holds the same id is a copy of that installation and
// gets an id of its own; a moved installation keeps its id.
std::string installationId(const std::string& dir);
// The unit's name in "Parohia.DB" ("" when there is none).
std::string unitName(const std::string& dir);
// The installation's folder under `root`: the one already named "...-<id>",
// else "<unit name>-<id>" with every character that is not a letter, digit,
// '.', '-' or '_' written as '_'.
std::string installationFolder(const std::string& root, const std::string& dir);

// "20140512" and "20140512-1745".
std::string dayCopyName(const data::Date& day);
std::string timedCopyName(const data::Date& day, int hour, int minute);
// A copy's name read back: its day and, for a timed copy, hour and minute (-1 otherwise).
struct CopyName {
    data::Date day;
    int hour = -1, minute = -1;
};
bool parseCopyName(const std::string& name, CopyName& out);
// The copies in `folder`, oldest first (a day's copy before the timed ones of that day).
std::vector<std::string> listCopies(const std::string& folder);

// Called after each file copied, with the bytes copied so far and in all.
using Progress = std::function<void(long long done, long long total)>;

// Copies the database directory `dir` to `folder`/`name`: made in
// "<name>.incomplet" (a leftover is thrown away), every file synced, renamed
// to `name` only when every file came over whole. An existing copy `name` is
// kept when `replace` is false (returns false, nothing copied) and replaced
// whole otherwise. A link anywhere in the directory, or a file that cannot
// be read, is named and stops the copy after the other files were tried:
// BackupError "Fisiere necopiate: a, b". Tables are copied at their last
// committed state, under a read lock that keeps writers out.
bool makeCopy(const std::string& dir, const std::string& folder, const std::string& name, bool replace,
              const Progress& progress = {});

// Removes the copies of days before `today` - `days`, never the newest seven.
// Returns the names removed.
std::vector<std::string> pruneCopies(const std::string& folder, int days, const data::Date& today);

// What a copy (or the current directory) holds, read without changing it.
struct Figures {
    std::string unit;
    int year = 0;  // An_lucru
    long long receipts = 0, payments = 0, deposits = 0, withdrawals = 0;
    data::Bani casa = 0, banca = 0;  // the balances, by the program's own balance queries
};
Figures readFigures(const std::string& dir);
// One line of figures: "Parohia X, anul 2014, 3 incasari, 1 plati, 0 depuneri,
// 0 ridicari, sold casa 1.234,00, sold banca 0,00".
std::string figuresText(const Figures& f);

// When a copy was made, from its name: "12.05.2014 14:15", or
// "12.05.2014 (prima pornire din zi)" for the day's copy.
std::string copyTimeText(const std::string& name);
// The question before a restore: the copy's figures and the current ones.
std::string restoreQuestion(const std::string& name, const Figures& copy, const Figures& current);

// Every table file of the copy ("*.DB", in letter case any, in every
// directory) opens and passes SQLite's integrity check; BackupError naming
// the first that does not.
void checkCopy(const std::string& copyDir);

// The lock every running instance of the program holds (shared) on its
// database directory; a restore takes it for itself alone.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    // Shares the directory with the other instances (best effort: a directory
    // that cannot hold the lock file is used without it).
    void share(const std::string& dir);
    // Takes the directory alone; false while another instance holds it (the
    // shared hold, if any, is kept then).
    bool takeAlone(const std::string& dir);
    // Back to sharing after takeAlone.
    void backToShared();
    void release();

private:
    int fd_ = -1;
    std::string dir_;
};

// The restore's steps, for tests that stop the process at each.
enum class RestoreStep { Staged, Marked, MovedOut, Switched, MovedIn, Done };
using RestoreHook = std::function<void(RestoreStep)>;
void setRestoreHook(RestoreHook hook);

// Replaces the data of `dir` with the copy `copyDir`, all or nothing: the
// copy is first built in "<dir>.restaurare.nou", then a marker
// "<dir>.restaurare" is written, the current entries are moved aside into
// "<dir>.restaurare.vechi" and the copy's moved in, each by one rename. A
// kill at any point is finished by recoverRestore: before the last current
// entry is moved aside the old data comes back, after it the copy is
// completed. The caller holds the directory alone (InstanceLock) and has
// checked the copy. Throws BackupError (nothing replaced) when the copy
// cannot be staged.
void restoreCopy(const std::string& dir, const std::string& copyDir, const Progress& progress = {});

// Finishes or rolls back a restore a kill cut short. Returns 0 when there was
// none, 1 when the old data was kept, 2 when the restore was completed.
// Skipped (0) while another instance holds the directory.
int recoverRestore(const std::string& dir);
std::string recoveryText(int kind);

// A stamp of every data file of the directory (path, size, time of change):
// two equal stamps mean nothing was changed between them.
std::string treeStamp(const std::string& dir);

}  // namespace backup
