// The single-instance lock on POSIX systems: a lock file per user and display, held with flock()
// for the life of the process. Needs no window system.

#include "instancelock_posix.h"

#include "platformlog.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* lockPrefix = "Pellimo";
constexpr mode_t privateFolderMode = 0700;
constexpr mode_t lockFileMode = 0600;

/** Keeps the lock file descriptor for the life of the process; the kernel drops the lock at exit. */
int g_lockFd = -1;

/** Leaves one line on why this start goes on without the lock. */
void reportNoLock(const char* what, const char* path, const char* reason)
{
    qCWarning(lcPlatform, "single-instance lock: %s %s: %s; starting without it", what, path, reason);
}

/** Display name reduced to host and display number (":0.0" and ":0" are the same server). */
std::string displayKey()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        display = std::getenv("WAYLAND_DISPLAY");
    }
    std::string key = (display && *display) ? display : "none";
    if (key.rfind("unix:", 0) == 0) {
        key.erase(0, 4); // "unix:0" names the same local server as ":0"
    }
    const auto colon = key.rfind(':');
    const auto dot = key.find('.', colon == std::string::npos ? 0 : colon);
    if (colon != std::string::npos && dot != std::string::npos) {
        key.erase(dot);
    }
    for (char& c : key) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        if (!plain) {
            c = '_';
        }
    }
    return key;
}

/** True for an open folder that belongs to us and that no one else may write into. */
bool isPrivateFolder(int fd, uid_t uid)
{
    struct stat st = {};
    return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid && (st.st_mode & 0022) == 0;
}

/**
 * Opens the folder that holds the lock: $XDG_RUNTIME_DIR when set and private to us, else a
 * folder of our own under /tmp that we create or accept only when it is a real folder (not a
 * symlink), owned by us and closed to others. Returns -1 when there is none.
 */
int openLockFolder()
{
    const uid_t uid = geteuid();
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        const int fd = open(runtime, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            reportNoLock("cannot open the folder", runtime, std::strerror(errno));
        }
        // A runtime folder shared with other users cannot keep their locks apart from ours.
        if (fd < 0 || isPrivateFolder(fd, uid)) {
            return fd;
        }
        close(fd);
    }

    const std::string path = "/tmp/pellimo-" + std::to_string(uid);
    if (mkdir(path.c_str(), privateFolderMode) != 0 && errno != EEXIST) {
        reportNoLock("cannot create the folder", path.c_str(), std::strerror(errno));
        return -1;
    }
    // O_NOFOLLOW: someone else may have planted a symlink under that name before us.
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        reportNoLock("cannot open the folder", path.c_str(), std::strerror(errno));
        return -1;
    }
    struct stat st = {};
    if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid || (st.st_mode & 0077) != 0) {
        close(fd);
        reportNoLock("will not use the folder", path.c_str(), "not a private folder of this user");
        return -1;
    }
    return fd;
}

} // namespace

bool instanceLockHeldElsewhere()
{
    if (g_lockFd >= 0) {
        return false;
    }
    const int folder = openLockFolder();
    if (folder < 0) {
        return false;
    }
    const uid_t uid = geteuid();
    // The user id in the name: users who share a folder never meet over one lock.
    const std::string name = std::string(lockPrefix) + "-" + std::to_string(uid) + "-" + displayKey() + ".lock";
    // O_NONBLOCK: a FIFO planted under that name must not stall the start.
    const int fd = openat(folder, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, lockFileMode);
    const int openError = errno;
    struct stat st = {};
    const bool found = fd >= 0 ? fstat(fd, &st) == 0 : fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    close(folder);
    // Someone else's lock is not one of our instances, whether it is held or not.
    if (found && st.st_uid != uid) {
        if (fd >= 0) {
            close(fd);
        }
        reportNoLock("will not use the file", name.c_str(), "it belongs to another user");
        return false;
    }
    if (fd < 0) {
        reportNoLock("cannot create the file", name.c_str(), std::strerror(openError));
        return false;
    }
    if (!found || !S_ISREG(st.st_mode)) {
        close(fd);
        reportNoLock("will not use the file", name.c_str(), "not a regular file");
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        g_lockFd = fd;
        return false;
    }
    const int error = errno;
    close(fd);
    if (error != EWOULDBLOCK) {
        reportNoLock("cannot lock the file", name.c_str(), std::strerror(error));
        return false;
    }
    return true;
}
