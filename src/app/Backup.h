// The installation's safety copies as the program takes them: the first start
// of the day, the close after a change, one asked for (--backup DIR), and the
// restore of one (the window, --restore). The copying, keeping and restoring
// itself is backup/Backups.
#pragma once
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "backup/Backups.h"
#include "data/Value.h"

class QWidget;

namespace app {

// The base path start-up passes to BackupDaily.
inline constexpr const char* kBackupBasePath = "D:\\Corvalinde";

// Directory of this system that stands for a drive root such as "D:\": every
// drive root is the user's home directory. Throws std::runtime_error when
// there is no home directory.
std::string driveRootDirectory(const std::string& root);
// No drive of this system is a CD-ROM drive.
bool isCdRomDrive(const std::string& root);

// Where every installation keeps its copies, for a base path such as
// "D:\Corvalinde": <root>/SalvariQuillmar/<base path after the drive root>.
std::string backupRoot(const std::string& basePath);
// The folder of AppDir's copies under it ("<unit name>-<id>").
std::string installationBackupFolder(const std::string& basePath);
// The day's copy of AppDir: <installation folder>/<yyyymmdd>.
std::string backupDirectory(const std::string& basePath, const data::Date& day);

// The first start of the day's copy of AppDir (unless the backup switch is
// off or the day's copy exists), then the copies older than the days the
// settings keep are removed (never the last seven). One copy at a time: an
// instance started while another copies leaves the day to it. Throws
// std::runtime_error "Nu pot salva baza de date in directorul <dir>",
// followed by a line "Fisiere necopiate: a, b" naming what could not be
// copied; the day is then retried at the next start.
void BackupDaily(const std::string& basePath);

// Remembers the state of AppDir's files, against which the close tells a change.
void noteSessionStart();
// Whether AppDir's files changed since noteSessionStart.
bool changedSinceStart();
// The close's copy "<yyyymmdd>-<hhmm>" when anything changed since the start
// (and the backup switch is on); `progress` as the copy goes. Returns the
// copy's directory, or empty when none was made. Throws as BackupDaily.
std::string BackupAtClose(const std::string& basePath, const backup::Progress& progress = {});

// A copy of AppDir written now into `destDir`/<unit name>-<id>/<yyyymmdd>-<hhmm>;
// returns its directory. Throws backup::BackupError.
std::string BackupTo(const std::string& destDir);

// The running instance's shared hold on AppDir (taken at start-up); a
// restore takes it alone.
backup::InstanceLock& instanceLock();

// Why a restore cannot run now (another instance uses the directory, a table
// is open elsewhere), or empty.
std::string restoreRefusal();
// The copy's directory for a name of listCopies; throws BackupError for a
// name that is no copy of this installation.
std::string copyDirectory(const std::string& basePath, const std::string& name);
// The restore of the copy `name` of AppDir, once the user agreed: the
// directory taken alone, the copy checked, the current state copied first,
// then the copy put in place all or nothing. Returns the name of the copy of
// the state before. Throws backup::BackupError (nothing replaced).
std::string restoreFromCopy(const std::string& basePath, const std::string& name,
                            const backup::Progress& progress = {});

// The command line, in AppDir (set by the caller). Exit codes: 0 done, 1
// refused, cancelled or failed.
// --list-backups: one copy a line, its name first, newest last.
int runListBackups(std::ostream& out, std::ostream& err);
// --restore NAME: the question written to `out`, answered on `in` ("d" or "da").
int runRestoreBackup(const std::string& name, std::ostream& out, std::ostream& err, std::istream& in);
// --backup DIR: prints the copy's directory.
int runBackupTo(const std::string& destDir, std::ostream& out, std::ostream& err);

// The windows' part: a restore a kill cut short is finished at start-up (and
// the user told); the close's copy shows its progress in the status line
// once it takes more than half a second. Errors are raised for the caller to
// show.
void RecoverRestore(QWidget* owner);
void CloseBackup();

// Called after each piece of a file the backup copies, with the file's name
// and the bytes copied so far (tests interrupt the copy here).
using BackupProgressHook = std::function<void(const std::string& name, long long copied)>;
void setBackupProgressHook(BackupProgressHook hook);
// The hour and minute the copies' names take (tests); nullopt: the clock.
void setBackupTime(int hour, int minute);
void clearBackupTime();

}  // namespace app
