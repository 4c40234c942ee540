// The file store on Linux and other POSIX systems: plain system calls, so that every error is
// seen where it happens and nothing blocks on a FIFO or a device.
#include "core/filestore.h"
#include "core/filestore_p.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace filestore {
namespace {

using detail::SystemCalls;
using detail::systemCalls;

Reason systemText(int error)
{
    return qt_error_string(error);
}

/** Closes a descriptor on every way out; close() itself is checked where a write precedes it. */
class Descriptor final
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    { }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    /** Closes now and reports the result: a delayed write error may only show here. */
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const char* data, qsizetype size, off_t offset)
{
    while (size > 0) {
        const ssize_t written = systemCalls().pwrite(fd, data, size_t(size), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
        offset += written;
    }
    return true;
}

/** The reason a file of this type cannot hold the settings, or nothing for a regular file. */
std::optional<Reason> refusedType(mode_t mode)
{
    if (S_ISDIR(mode))
        return systemText(EISDIR);
    if (!S_ISREG(mode))
        return detail::NotRegularReason.toString();
    return std::nullopt;
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.first(slash);
}

QByteArray fileNameOf(const QByteArray& path)
{
    return path.sliced(path.lastIndexOf('/') + 1);
}

void syncFolder(const QByteArray& folder)
{
    // Makes the rename itself durable; a folder that refuses this loses nothing more than before.
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

mode_t creationMode()
{
    // The mode a new file gets from open(..., 0666); umask() can only be read by setting it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool readAll(int fd, QByteArray* bytes)
{
    qsizetype done = 0;
    while (done < bytes->size()) {
        const ssize_t count = ::pread(fd, bytes->data() + done, size_t(bytes->size() - done), off_t(done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        done += count;
    }
    return true;
}

/**
 * Replaces the content of @p target without a second file. First the new content goes past the
 * end of the old one as a pending copy that readers recognise once complete, then over the start,
 * and only then is the file cut to the new length. A kill at any moment leaves the old content
 * (the copy is incomplete) or the new one (from the copy, or the finished file).
 */
bool replaceInPlace(const QByteArray& target, const QByteArray& bytes, Reason* reason)
{
    const SystemCalls& call = systemCalls();
    Descriptor fd(::open(target.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info = {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
        *reason = systemText(errno);
        return false;
    }
    if (const auto refused = refusedType(info.st_mode)) {
        *reason = *refused;
        return false;
    }

    const off_t oldSize = info.st_size;
    const off_t newSize = off_t(bytes.size());
    // The old bytes, to put back should the new ones fail half-way.
    QByteArray old(qsizetype(oldSize), Qt::Uninitialized);
    if (!readAll(fd.get(), &old)) {
        *reason = systemText(errno ? errno : EIO);
        return false;
    }
    // Spaces up to the new length, so that writing the new content later needs no new blocks.
    const QByteArray tail = QByteArray(qsizetype(std::max(oldSize, newSize) - oldSize), ' ') + pendingCopy(bytes);
    if (!writeAll(fd.get(), tail.constData(), tail.size(), oldSize) || call.fsync(fd.get()) != 0) {
        const int error = errno;
        // The old bytes were never touched: cutting the tail off gives the old file back.
        if (call.ftruncate(fd.get(), oldSize) == 0)
            call.fsync(fd.get());
        *reason = systemText(error);
        return false;
    }
    // From here on the file stands for the new content, through the copy until it is cut off.
    if (!writeAll(fd.get(), bytes.constData(), bytes.size(), 0) || call.fsync(fd.get()) != 0
        || call.ftruncate(fd.get(), newSize) != 0 || call.fsync(fd.get()) != 0) {
        const int error = errno;
        // A failure is reported as one only when the old content is back: otherwise the next
        // start reads the new settings from the copy, and the message has to say so.
        const bool restored = writeAll(fd.get(), old.constData(), old.size(), 0)
            && call.ftruncate(fd.get(), oldSize) == 0 && call.fsync(fd.get()) == 0;
        *reason = systemText(error);
        if (!restored)
            reason->append(
                QStringLiteral(" (the new settings were kept in the file's recovery line and will be used)"));
        return false;
    }
    if (!fd.close()) {
        *reason = systemText(errno);
        return false;
    }
    return true;
}

/** Where a symlink leads when nothing is there: its target, as editors create it, relative links resolved. */
QByteArray danglingTarget(const QByteArray& link)
{
    QByteArray current = link;
    for (int hops = 0; hops < 40; ++hops) {
        QByteArray next(PATH_MAX, Qt::Uninitialized);
        const ssize_t size = ::readlink(current.constData(), next.data(), size_t(next.size()));
        if (size < 0)
            return current;
        next.truncate(size);
        if (!next.startsWith('/'))
            next = folderOf(current) + '/' + next;
        current = next;
    }
    return current;
}

bool isTemporaryName(const QByteArray& entry, const QByteArray& fileName)
{
    const QByteArray prefix = fileName + detail::TemporaryMarker;
    if (entry.size() != prefix.size() + detail::TemporarySuffixLength || !entry.startsWith(prefix))
        return false;
    return std::all_of(entry.end() - detail::TemporarySuffixLength, entry.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

/** The real file behind @p name (symlinks resolved), or @p name itself when there is none. */
QByteArray resolved(const QByteArray& name)
{
    char* real = ::realpath(name.constData(), nullptr);
    if (!real)
        return name;
    QByteArray result(real);
    std::free(real);
    return result;
}

} // namespace

namespace detail {

SystemCalls& systemCalls()
{
    static SystemCalls calls { ::pwrite, ::fsync, ::ftruncate, ::mkostemp };
    return calls;
}

} // namespace detail

bool isWritable(const QString& path)
{
    return ::faccessat(AT_FDCWD, encodePath(path).constData(), W_OK, AT_EACCESS) == 0;
}

bool makeFolders(const QString& path, Reason* reason)
{
    const QByteArray name = encodePath(path);
    for (qsizetype at = name.indexOf('/', 1);; at = name.indexOf('/', at + 1)) {
        const QByteArray part = at < 0 ? name : name.first(at);
        if (!part.endsWith('/') && ::mkdir(part.constData(), 0777) != 0 && errno != EEXIST) {
            *reason = systemText(errno);
            return false;
        }
        if (at < 0)
            break;
    }
    struct stat info = {};
    const bool made = ::stat(name.constData(), &info) == 0;
    if (!made || !S_ISDIR(info.st_mode)) {
        *reason = systemText(made ? ENOTDIR : errno);
        return false;
    }
    return true;
}

bool canOpenFiles(int count)
{
    std::vector<int> opened;
    for (int i = 0; i < count; ++i) {
        const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            break;
        opened.push_back(fd);
    }
    for (const int fd : opened)
        ::close(fd);
    return int(opened.size()) == count;
}

ReadResult readFile(const QString& path, qint64 maxSize, QByteArray* bytes, Reason* reason)
{
    const QByteArray name = encodePath(path);
    // Look before opening: opening a device may already do something, a FIFO may block.
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return ReadResult::Missing;
        *reason = systemText(errno);
        return ReadResult::Failed;
    }
    if (const auto refused = refusedType(info.st_mode)) {
        *reason = *refused;
        return ReadResult::Failed;
    }
    // O_NONBLOCK: should the file have been swapped for a FIFO since, open() still returns.
    Descriptor fd(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
        *reason = systemText(errno);
        return ReadResult::Failed;
    }
    if (const auto refused = refusedType(info.st_mode)) {
        *reason = *refused;
        return ReadResult::Failed;
    }
    if (info.st_size > maxSize) {
        *reason = detail::TooLargeReason.toString();
        return ReadResult::Failed;
    }

    // Read to the end rather than trusting the size: the file may grow meanwhile.
    return detail::readChunks(
        [&fd](char* buffer, qint64 size, Reason* why) -> qint64 {
            for (;;) {
                const ssize_t count = ::read(fd.get(), buffer, size_t(size));
                if (count >= 0)
                    return count;
                if (errno != EINTR) {
                    *why = systemText(errno);
                    return -1;
                }
            }
        },
        maxSize, bytes, reason);
}

bool replaceFile(const QString& path, const QByteArray& bytes, Reason* reason)
{
    const QByteArray name = encodePath(path);
    struct stat old = {};
    const bool exists = ::stat(name.constData(), &old) == 0;
    const int statError = errno;
    QByteArray target = name;
    if (!exists) {
        struct stat link = {};
        if (statError != ENOENT && statError != ENOTDIR) {
            *reason = systemText(statError);
            return false;
        }
        // A symlink to nothing: the file is created where it points, as editors do.
        if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            target = danglingTarget(name);
    } else if (const auto refused = refusedType(old.st_mode)) {
        *reason = *refused;
        return false;
    } else {
        // A symlink stays a symlink: the file it points to is the one replaced.
        target = resolved(name);
        if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0) {
            *reason = systemText(errno);
            return false;
        }
    }

    QByteArray temporary = target + detail::TemporaryMarker + QByteArray(detail::TemporarySuffixLength, 'X');
    const int created = systemCalls().mkostemp(temporary.data(), O_CLOEXEC);
    if (created < 0) {
        const int error = errno;
        // Without write access to the folder no temporary file can be made there.
        if (exists && (error == EACCES || error == EPERM))
            return replaceInPlace(target, bytes, reason);
        struct stat folder = {};
        const QByteArray folderName = folderOf(target);
        if ((error == ENOENT || error == ENOTDIR) && ::stat(folderName.constData(), &folder) != 0)
            *reason = detail::missingFolderReason(decodePath(folderName));
        else
            *reason = systemText(error);
        return false;
    }
    Descriptor fd(created);
    bool written = true;
    if (exists) {
        // Owner and group first: changing them may clear set-id bits that the mode then restores.
        // Only root may give a file away; anyone else keeps the file as theirs.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
            (void)::fchown(fd.get(), old.st_uid, old.st_gid);
        written = ::fchmod(fd.get(), old.st_mode & 07777) == 0;
    } else {
        written = ::fchmod(fd.get(), creationMode()) == 0;
    }
    // The data must be on the disk before the rename makes it the file: a crash right after the
    // rename would otherwise leave an empty settings file.
    written = written && writeAll(fd.get(), bytes.constData(), bytes.size(), 0) && systemCalls().fsync(fd.get()) == 0
        && fd.close() && ::rename(temporary.constData(), target.constData()) == 0;
    if (!written) {
        *reason = systemText(errno);
        ::unlink(temporary.constData());
        return false;
    }
    syncFolder(folderOf(target));
    return true;
}

int removeStaleTemporaries(const QString& path, const QDateTime& before)
{
    const QByteArray target = resolved(encodePath(path));
    const QByteArray fileName = fileNameOf(target);
    const int folder = ::open(folderOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return 0;
    DIR* listing = ::fdopendir(::dup(folder));
    if (!listing) {
        ::close(folder);
        return 0;
    }
    const qint64 limitMs = before.toMSecsSinceEpoch();
    const uid_t self = ::geteuid();
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray entryName(entry->d_name);
        if (!isTemporaryName(entryName, fileName))
            continue;
        struct stat info = {};
        // AT_SYMLINK_NOFOLLOW: a symlink under our naming is left alone, and so is its target.
        if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)
            || info.st_uid != self)
            continue;
        const qint64 changedMs = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
        if (changedMs < limitMs && ::unlinkat(folder, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(listing);
    ::close(folder);
    return removed;
}

} // namespace filestore
