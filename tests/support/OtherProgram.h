// Another program, in a forked child process, holding something open (a table
// file, a lock, a write transaction) until it is released: for checks of what
// this program does while a file is in use elsewhere.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <utility>

#include "data/Table.h"

class OtherProgram {
public:
    // Runs `hold` in the child, which then waits until it is released; the
    // constructor returns once `hold` has run. holding(): it returned true.
    explicit OtherProgram(const std::function<bool()>& hold) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            char c = 'n';
            try {
                if (hold()) c = 'y';
            } catch (...) {
            }
            (void)!::write(ready[1], &c, 1);
            ::pause();
            ::_exit(0);
        }
        char c = 0;
        if (pid_ > 0 && ::read(ready[0], &c, 1) == 1) holding_ = c == 'y';
        ::close(ready[0]);
        ::close(ready[1]);
    }
    // A table of `dir` open in the other program as this program opens it.
    OtherProgram(std::string dir, std::string table, bool exclusive = false)
        : OtherProgram([dir = std::move(dir), table = std::move(table), exclusive] {
              static data::Table t;  // stays open until the child is killed
              t.setDatabaseName(dir);
              t.setTableName(table);
              t.setExclusive(exclusive);
              t.open();
              return true;
          }) {}
    ~OtherProgram() { release(); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool holding() const { return holding_; }
    // The other program killed: what it held is free again.
    void release() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    bool holding_ = false;
};

// A read or write lock on a whole file through a file description of its
// own, as another program's database connection holds one; released by
// release() or at the end of the scope. locked(): the lock was taken.
class LockedElsewhere {
public:
    LockedElsewhere(const std::string& path, bool write) : fd_(::open(path.c_str(), O_RDWR)) {
        struct flock fl {};
        fl.l_type = write ? F_WRLCK : F_RDLCK;
        fl.l_whence = SEEK_SET;
        locked_ = fd_ >= 0 && ::fcntl(fd_, F_OFD_SETLK, &fl) == 0;
    }
    ~LockedElsewhere() { release(); }
    LockedElsewhere(const LockedElsewhere&) = delete;
    LockedElsewhere& operator=(const LockedElsewhere&) = delete;

    bool locked() const { return locked_; }
    void release() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    bool locked_ = false;
};
