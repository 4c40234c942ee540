// The single-instance lock on POSIX systems: a lock file per user and display, held with flock()
// for the life of the process. Needs no window system.

#include "platform/instancelock_posix.h"

#include "platform/platformlog.h"

#include <cctype>
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

/**
 * The X server that a display name reaches, as "host:number": the name read the way Xlib reads
 * it, "[protocol/][host]:number[.screen]", with the local host (no host, "unix", protocol
 * "unix" or "local") as no host and the number without leading zeros. So ":1", ":01", "unix:1",
 * "unix/:1" and ":1.0" are one server. Empty for text that names no X display.
 */
std::string serverOf(std::string display)
{
    std::string protocol;
    if (const auto slash = display.rfind('/'); slash != std::string::npos) {
        protocol = display.substr(0, slash);
        display.erase(0, slash + 1);
    }
    const auto colon = display.rfind(':');
    if (colon == std::string::npos) {
        return {};
    }
    std::string host = display.substr(0, colon);
    const std::string rest = display.substr(colon + 1);
    const auto digitsEnd = rest.find_first_not_of("0123456789");
    const std::string digits = rest.substr(0, digitsEnd);
    if (digits.empty() || (digitsEnd != std::string::npos && rest[digitsEnd] != '.')) {
        return {};
    }
    const auto firstSignificant = digits.find_first_not_of('0');
    const std::string number = firstSignificant == std::string::npos ? "0" : digits.substr(firstSignificant);
    if (host == "unix" || protocol == "unix" || protocol == "local") {
        host.clear();
    }
    for (char& c : host) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return host + ":" + number;
}

/** The lock's display part: the X server reached (serverOf), else the display's own name. */
std::string displayKey()
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        display = std::getenv("WAYLAND_DISPLAY");
    }
    const std::string name = (display && *display) ? display : "none";
    const std::string server = serverOf(name);
    std::string key = server.empty() ? name : server;
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
    const std::string path = "/tmp/pellimo-" + std::to_string(uid);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        int fd = open(runtime, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        // Qt makes a missing runtime folder (the last step of its path) once it asks for it, and
        // the next start would find it there: it is made now, as Qt would.
        if (fd < 0 && errno == ENOENT && mkdir(runtime, privateFolderMode) == 0) {
            fd = open(runtime, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        }
        if (fd >= 0 && isPrivateFolder(fd, uid)) {
            return fd;
        }
        // A runtime folder shared with other users cannot keep their locks apart from ours, and
        // one that cannot be made holds none: without the folder of our own, every start would be
        // a first instance.
        if (fd < 0) {
            qCWarning(lcPlatform, "single-instance lock: cannot open the folder %s: %s; using %s instead", runtime,
                      std::strerror(errno), path.c_str());
        } else {
            close(fd);
        }
    }

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
