#include "storage/FileIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace dorod::fileio {

namespace {
std::string systemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a rename in the folder of `path` durable.
void syncFolderOf(const std::string& path) {
    const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(size_t(n));
    }
    return true;
}
} // namespace

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

// Opens a regular file for reading and tells its size.
int openRegular(const std::string& path, size_t& size, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError("Cannot open", path);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "Cannot read " + path + ": not a regular file";
        ::close(fd);
        return -1;
    }
    size = size_t(st.st_size);
    return fd;
}

bool readAll(int fd, const std::string& path, std::string& contents, size_t size,
             std::string& error) {
    contents.resize(size);
    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::read(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += size_t(n);
    }
    const bool ok = done == contents.size();
    if (!ok) error = systemError("Cannot read", path);
    return ok;
}

} // namespace

bool readFile(const std::string& path, std::string& contents, std::string& error) {
    TMappedFile file;
    if (!file.open(path, error)) return false;
    contents.assign(file.bytes());
    return true;
}

TMappedFile::~TMappedFile() {
    if (m_mapped) ::munmap(const_cast<char*>(m_mapped), m_size);
}

bool TMappedFile::open(const std::string& path, std::string& error) {
    if (m_mapped) ::munmap(const_cast<char*>(m_mapped), m_size);
    m_mapped = nullptr;
    m_size = 0;
    m_copy.clear();
    size_t size = 0;
    const int fd = openRegular(path, size, error);
    if (fd < 0) return false;
    bool ok = true;
    if (size > 0) {
        // The pages are entered into the mapping at once rather than fault by fault.
        void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (mapped != MAP_FAILED) {
            m_mapped = static_cast<const char*>(mapped);
            m_size = size;
        } else {
            ok = readAll(fd, path, m_copy, size, error);
        }
    }
    ::close(fd);
    return ok;
}

bool writeFileAtomically(const std::string& path, std::string_view contents, std::string& error) {
    TAtomicFileWriter file;
    if (!file.open(path, error)) return false;
    file.write(contents);
    return file.commit(error);
}

TAtomicFileWriter::~TAtomicFileWriter() {
    discard();
}

void TAtomicFileWriter::discard() {
    if (m_fd < 0) return;
    ::close(m_fd);
    ::unlink(m_temp.c_str());
    m_fd = -1;
}

bool TAtomicFileWriter::open(const std::string& path, std::string& error) {
    discard();
    m_path = path;
    m_temp = path + ".XXXXXX";
    m_failed = false;
    m_fd = ::mkstemp(m_temp.data());
    if (m_fd < 0) {
        error = systemError("Cannot create file", path);
        return false;
    }
    return true;
}

namespace {
thread_local TWriteFaultScope* t_faultScope = nullptr;
}

TWriteFaultScope::TWriteFaultScope(size_t budget) : m_budget(budget), m_outer(t_faultScope) {
    t_faultScope = this;
}

TWriteFaultScope::~TWriteFaultScope() {
    t_faultScope = m_outer;
}

bool TAtomicFileWriter::write(std::string_view data) {
    if (m_fd < 0 || m_failed) return false;
    if (TWriteFaultScope* fault = t_faultScope) {
        fault->m_appends.push_back(data.size());
        if (data.size() > fault->m_budget) {
            writeAll(m_fd, data.substr(0, fault->m_budget));
            fault->m_budget = 0;
            m_failed = true;
            m_errno = ENOSPC;
            return false;
        }
        fault->m_budget -= data.size();
    }
    if (!writeAll(m_fd, data)) {
        m_failed = true;
        m_errno = errno;
    }
    return !m_failed;
}

bool TAtomicFileWriter::writeAt(size_t offset, std::string_view data) {
    if (m_fd < 0 || m_failed) return false;
    while (!data.empty()) {
        const ssize_t n = ::pwrite(m_fd, data.data(), data.size(), off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_failed = true;
            m_errno = n < 0 ? errno : EIO;
            return false;
        }
        data.remove_prefix(size_t(n));
        offset += size_t(n);
    }
    return true;
}

bool TAtomicFileWriter::commit(std::string& error) {
    if (m_fd < 0) {
        error = "Cannot write file " + m_path;
        return false;
    }
    bool ok = !m_failed && ::fsync(m_fd) == 0;
    if (m_failed) errno = m_errno;
    if (!ok) error = systemError("Cannot write file", m_path);
    // The new file gets the usual permissions of a created file, not mkstemp's 0600.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(m_fd, 0666 & ~mask);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = systemError("Cannot write file", m_path);
    }
    if (ok && ::rename(m_temp.c_str(), m_path.c_str()) != 0) {
        ok = false;
        error = systemError("Cannot create file", m_path);
    }
    if (!ok) {
        ::unlink(m_temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    syncFolderOf(m_path);
    return true;
}

bool keepAsBackup(const std::string& path, const std::string& backupPath, std::string& error) {
    const std::string link = backupPath + ".new";
    ::unlink(link.c_str());
    if (::link(path.c_str(), link.c_str()) != 0) {
        TMappedFile old;
        return old.open(path, error) && writeFileAtomically(backupPath, old.bytes(), error);
    }
    if (::rename(link.c_str(), backupPath.c_str()) != 0) {
        error = systemError("Cannot create file", backupPath);
        ::unlink(link.c_str());
        return false;
    }
    syncFolderOf(backupPath);
    return true;
}

std::string changeExtension(const std::string& path, std::string_view extension) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + std::string(extension);
}

} // namespace dorod::fileio
