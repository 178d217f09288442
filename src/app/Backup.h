// The daily copy of the database directory.
#pragma once
#include <functional>
#include <string>

#include "data/Value.h"

namespace app {

// The base path start-up passes to BackupDaily.
inline constexpr const char* kBackupBasePath = "D:\\Corvalinde";

// Directory of this system that stands for a drive root such as "D:\": every
// drive root is the user's home directory. Throws std::runtime_error when
// there is no home directory.
std::string driveRootDirectory(const std::string& root);
// No drive of this system is a CD-ROM drive.
bool isCdRomDrive(const std::string& root);

// The directory of the day's copy for a base path such as "D:\Corvalinde":
// <root>/SalvariQuillmar/<yyyymmdd>/<base path after the drive root>.
std::string backupDirectory(const std::string& basePath, const data::Date& day);

// Copies every ordinary file of AppDir (no sub-directories, no hidden files,
// no names containing "Corvalinde") into today's backup directory, unless the
// backup switch is off or the directory already exists. The copy is made in
// "<dir>.incomplet" and takes the day's name only once every file in it is
// complete and on the disk, so a copy cut short (the program killed, a file
// that cannot be read) leaves the day to the next start. Each file is copied
// under a read lock that keeps writers of any process out, so no copy is torn;
// a table with a journal beside it is first brought to its last committed
// state and copied without the journal. Compressed files are expanded. A file
// that cannot be copied does not stop the others. A symbolic link to a file
// is copied as the file's content; one to no file counts as a file that
// cannot be copied (FIFOs, sockets and devices are no files and are left). Throws std::runtime_error
// "Nu pot salva baza de date in directorul <dir>", followed by a line
// "Fisiere necopiate: a, b" naming the files that could not be copied.
void BackupDaily(const std::string& basePath);

// Called after each piece of a file the backup copies, with the file's name
// and the bytes copied so far (tests interrupt the copy here).
using BackupProgressHook = std::function<void(const std::string& name, long long copied)>;
void setBackupProgressHook(BackupProgressHook hook);

}  // namespace app
