#include "app/Backup.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include <QElapsedTimer>
#include <istream>
#include <ostream>

#include "app/Settings.h"
#include "shell/Messages.h"
#include "shell/StatusLine.h"
#include "data/AppDir.h"
#include "data/Journal.h"
#include "data/Clock.h"
#include "data/DirectoryCopy.h"
#include "data/Engine.h"
#include "data/FileHandle.h"
#include "data/Format.h"

namespace fs = std::filesystem;

namespace app {

namespace {

std::optional<std::pair<int, int>>& fixedTime() {
    static std::optional<std::pair<int, int>> t;
    return t;
}

std::string& startStamp() {
    static std::string s;
    return s;
}

std::string timedName() {
    int h, m;
    if (fixedTime()) {
        std::tie(h, m) = *fixedTime();
    } else {
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        ::localtime_r(&now, &tm);
        h = tm.tm_hour;
        m = tm.tm_min;
    }
    return backup::timedCopyName(data::today(), h, m);
}

std::string failureText(const std::string& dir, const std::exception& e) {
    std::string message = "Nu pot salva baza de date in directorul " + dir;
    const std::string why = e.what();
    if (why.rfind("Fisiere necopiate: ", 0) == 0) message += "\n" + why;
    return message;
}

// One copy of an installation at a time: the lock goes with the process, even a killed one.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    bool take(bool wait) {
        if (!fd_.valid()) return false;
        return ::flock(fd_.get(), LOCK_EX | (wait ? 0 : LOCK_NB)) == 0;
    }

private:
    data::Fd fd_;
};

void prune(const std::string& folder) { backup::pruneCopies(folder, switches().retentionDays, data::today()); }

}  // namespace

void setBackupProgressHook(BackupProgressHook hook) { data::setCopyProgressHook(std::move(hook)); }
void setBackupTime(int hour, int minute) { fixedTime() = std::make_pair(hour, minute); }
void clearBackupTime() { fixedTime().reset(); }

std::string driveRootDirectory(const std::string& /*root*/) {
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir) {
        home = pw->pw_dir;
    } else {
        throw std::runtime_error("no home directory");
    }
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    return home;
}

bool isCdRomDrive(const std::string& /*root*/) { return false; }

std::string backupRoot(const std::string& basePath) {
    std::string p = basePath;
    if (p.size() < 3) throw std::runtime_error("bad backup path");
    if (isCdRomDrive(p.substr(0, 3))) p = "C:\\" + p.substr(3);
    std::string rest = p.substr(3);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return driveRootDirectory(p.substr(0, 3)) + "/SalvariQuillmar/" + rest;
}

std::string installationBackupFolder(const std::string& basePath) {
    return backup::installationFolder(backupRoot(basePath), data::AppDir());
}

std::string backupDirectory(const std::string& basePath, const data::Date& day) {
    return installationBackupFolder(basePath) + "/" + backup::dayCopyName(day);
}

void BackupDaily(const std::string& basePath) {
    if (!switches().backup) return;
    std::string dir;
    try {
        dir = backupDirectory(basePath, data::today());
        if (fs::is_directory(dir)) return;  // today's copy has been made
        const std::string folder = fs::path(dir).parent_path().string();
        fs::create_directories(folder);
        FolderLock lock(folder);
        if (!lock.take(false)) return;  // another instance is copying
        if (!backup::makeCopy(data::AppDir(), folder, backup::dayCopyName(data::today()), false)) return;
        prune(folder);
    } catch (const std::exception& e) {
        throw std::runtime_error(failureText(dir, e));
    }
}

void noteSessionStart() { startStamp() = backup::treeStamp(data::AppDir()); }

bool changedSinceStart() { return backup::treeStamp(data::AppDir()) != startStamp(); }

std::string BackupAtClose(const std::string& basePath, const backup::Progress& progress) {
    if (!switches().backup || !changedSinceStart()) return {};
    std::string dir;
    try {
        const std::string folder = installationBackupFolder(basePath);
        dir = folder + "/" + timedName();
        fs::create_directories(folder);
        FolderLock lock(folder);
        lock.take(true);
        backup::makeCopy(data::AppDir(), folder, fs::path(dir).filename().string(), true, progress);
        prune(folder);
        noteSessionStart();
        return dir;
    } catch (const std::exception& e) {
        throw std::runtime_error(failureText(dir, e));
    }
}

std::string BackupTo(const std::string& destDir) {
    std::error_code ec;
    if (!fs::is_directory(destDir, ec)) throw backup::BackupError("Directorul " + destDir + " nu exista!");
    const std::string folder = backup::installationFolder(fs::absolute(destDir, ec).string(), data::AppDir());
    const std::string name = timedName();
    backup::makeCopy(data::AppDir(), folder, name, true);
    return folder + "/" + name;
}

backup::InstanceLock& instanceLock() {
    static backup::InstanceLock lock;
    return lock;
}

std::string restoreRefusal() {
    const std::string dir = data::AppDir();
    if (!instanceLock().takeAlone(dir))
        return "Baza de date este folosita de alta instanta a programului! Inchideti-o si repetati operatia.";
    instanceLock().backToShared();
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = data::toLower(it->path().filename().string());
        if (!it->is_regular_file(ec) || name.size() < 4 || name.compare(name.size() - 3, 3, ".db") != 0) continue;
        const std::string c = data::canonicalPath(it->path().string());
        if (data::OpenFiles::instance().openInAnotherProgram(c))
            return "Tabela " + it->path().string() + " este folosita de alt program! Inchideti-l si repetati operatia.";
    }
    return {};
}

std::string copyDirectory(const std::string& basePath, const std::string& name) {
    const std::vector<std::string> copies = backup::listCopies(installationBackupFolder(basePath));
    if (std::find(copies.begin(), copies.end(), name) == copies.end())
        throw backup::BackupError("Nu exista copia de siguranta " + name + "!");
    return installationBackupFolder(basePath) + "/" + name;
}

std::string restoreFromCopy(const std::string& basePath, const std::string& name, const backup::Progress& progress) {
    const std::string dir = data::AppDir();
    const std::string copy = copyDirectory(basePath, name);
    if (!instanceLock().takeAlone(dir))
        throw backup::BackupError(
            "Baza de date este folosita de alta instanta a programului! Inchideti-o si repetati operatia.");
    struct Shared {
        ~Shared() { instanceLock().backToShared(); }
    } shared;
    backup::checkCopy(copy);

    // The current state first, under a name of its own.
    const std::string folder = installationBackupFolder(basePath);
    std::string before = timedName();
    backup::CopyName at;
    backup::parseCopyName(before, at);
    while (before == name || fs::exists(folder + "/" + before)) {
        if (++at.minute == 60) at.minute = 0, at.hour = (at.hour + 1) % 24;
        before = backup::timedCopyName(at.day, at.hour, at.minute);
        if (before == timedName()) throw backup::BackupError("Nu gasesc un nume pentru copia datelor curente!");
    }
    try {
        backup::makeCopy(dir, folder, before, false);
    } catch (const std::exception& e) {
        throw backup::BackupError("Nu pot salva datele curente inainte de restaurare: " + std::string(e.what()));
    }
    backup::restoreCopy(dir, copy, progress);
    // The restored journal ends where the copy was taken: it says what came
    // back and where the journal of the replaced data is kept.
    data::journal::NewEntry entry;
    entry.table = "Instalare";
    entry.key = "Copia de siguranta " + name;
    entry.action = data::journal::kRestored;
    entry.after =
        data::journal::encodeValues({{"Copia", data::Value(name)}, {"Datele_dinainte_in_copia", data::Value(before)}});
    try {
        data::journal::record(dir, entry);
    } catch (const std::exception& e) {
        throw backup::BackupError("Datele au fost restaurate din copia " + name +
                                  ", dar restaurarea nu a putut fi trecuta in jurnal: " + e.what());
    }
    noteSessionStart();
    return before;
}

int runListBackups(std::ostream& out, std::ostream& err) {
    try {
        const std::string folder = installationBackupFolder(kBackupBasePath);
        const std::vector<std::string> copies = backup::listCopies(folder);
        if (copies.empty()) err << "Corvalinde: nu exista copii de siguranta in " << folder << "\n";
        for (const std::string& name : copies) {
            out << name << "  " << backup::copyTimeText(name) << "  ";
            try {
                out << backup::figuresText(backup::readFigures(folder + "/" + name));
            } catch (const std::exception&) {
                out << "copie care nu se poate citi";
            }
            out << "\n";
        }
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        err << "Corvalinde: " << e.what() << "\n";
        return 1;
    }
}

int runRestoreBackup(const std::string& name, std::ostream& out, std::ostream& err, std::istream& in) {
    try {
        readSettings(settingsPath());
        if (const int kind = backup::recoverRestore(data::AppDir())) out << backup::recoveryText(kind) << "\n";
        if (const std::string refusal = restoreRefusal(); !refusal.empty()) {
            err << "Corvalinde: " << refusal << "\n";
            return 1;
        }
        const std::string copy = copyDirectory(kBackupBasePath, name);
        backup::checkCopy(copy);
        out << backup::restoreQuestion(name, backup::readFigures(copy), backup::readFigures(data::AppDir()))
            << " (d/n) " << std::flush;
        std::string line;
        std::getline(in, line);
        const std::string a = data::toLower(data::trim(line));
        if (a != "d" && a != "da" && a != "y" && a != "yes") {
            out << "\nRestaurarea nu s-a facut.\n";
            return 1;
        }
        const std::string before = restoreFromCopy(kBackupBasePath, name);
        out << "\nDatele au fost restaurate din copia " << name << ". Datele dinainte sunt in copia " << before
            << ".\n";
        return 0;
    } catch (const std::exception& e) {
        err << "Corvalinde: " << e.what() << "\n";
        return 1;
    }
}

int runBackupTo(const std::string& destDir, std::ostream& out, std::ostream& err) {
    try {
        out << BackupTo(destDir) << "\n";
        return 0;
    } catch (const std::exception& e) {
        err << "Corvalinde: copia de siguranta nu s-a facut: " << e.what() << "\n";
        return 1;
    }
}

void RecoverRestore(QWidget* owner) {
    const int kind = backup::recoverRestore(data::AppDir());
    instanceLock().share(data::AppDir());
    if (kind) ui::Messages::information(QString::fromStdString(backup::recoveryText(kind)), owner);
}

void CloseBackup() {
    QElapsedTimer timer;
    timer.start();
    BackupAtClose(kBackupBasePath, [&timer](long long done, long long total) {
        if (timer.elapsed() < 500 || total <= 0) return;
        ui::StatusMessage(QStringLiteral("Se salveaza baza de date... %1%").arg(done * 100 / total));
    });
}

}  // namespace app
