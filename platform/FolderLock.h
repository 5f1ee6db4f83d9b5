// The lock on a program folder: one desk with a window at a time. Each copy of the program
// holds the tables in memory and rewrites whole files, so a second copy on the same
// folder (a second click on the menu entry, a second computer on a shared folder) would
// drop the other's announcements at its next save and hand out the same numbers.
//
// The lock is the file "vornelta.lock" in the folder, holding the computer and the
// process that took it. It is held for as long as the object lives. A lock left behind
// by a copy that ended without releasing it (a crash, a power cut) is cleared when its
// process is gone from this computer; a lock of another computer stays until that copy
// ends, whatever its age: a desk may run all day.
#pragma once

#include "platform/ProgramFolder.h"
#include "platform/Result.h"

#include <QLockFile>

#include <chrono>

namespace vornelta {

class FolderLock {
public:
    explicit FolderLock(const ProgramFolder& folder);
    ~FolderLock(); // releases the lock when held

    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock, waiting up to `wait` for the holder to release it. Fails with
    // «Программа уже открыта на этой папке: компьютер …, процесс …» while another copy
    // holds it, or with the reason the lock file cannot be made.
    Result lock(std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    bool isLocked() const { return m_file.isLocked(); }

    static QString fileName(); // "vornelta.lock"

private:
    QString m_path;
    QLockFile m_file;
};

} // namespace vornelta
