#include "RecordDisk.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace records {

namespace {

FileStamp StampOf(const struct stat& st)
{
    if (!S_ISREG(st.st_mode)) {
        return {};
    }
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
        static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
        static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

// Closes the descriptor when it goes out of scope.
struct Descriptor {
    int Fd = -1;
    ~Descriptor()
    {
        if (Fd >= 0) {
            ::close(Fd);
        }
    }
};

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path a chain of symlinks at path ends in (path itself when it is no
// link); it need not exist. False for a loop or a link that cannot be read.
bool FollowLinks(const char* path, std::string& target)
{
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st { };
        if (::lstat(target.c_str(), &st) != 0) {
            return errno == ENOENT;
        }
        if (!S_ISLNK(st.st_mode)) {
            return true;
        }
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= link.size()) {
            return false;
        }
        link.resize(static_cast<std::size_t>(length));
        target = link.front() == '/' ? link : DirectoryOf(target) + "/" + link;
    }
    return false;
}

// Writes bytes into the open file from its start.
bool WriteAll(int fd, std::string_view bytes)
{
    off_t offset = 0;
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return true;
}

// Reads the first bytes.size() bytes of the open file into bytes.
bool ReadAll(int fd, std::string& bytes)
{
    std::size_t size = 0;
    while (size < bytes.size()) {
        const ssize_t got = ::pread(fd, bytes.data() + size, bytes.size() - size, static_cast<off_t>(size));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        size += static_cast<std::size_t>(got);
    }
    return true;
}

// Writes bytes into the open file from its start, to the disk, and takes
// the stamp it then has.
bool WriteAndStamp(int fd, std::string_view bytes, FileStamp* stamp)
{
    struct stat st { };
    if (!WriteAll(fd, bytes) || ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0
        || ::fstat(fd, &st) != 0) {
        return false;
    }
    if (stamp != nullptr) {
        *stamp = StampOf(st);
    }
    return true;
}

// Rewrites the existing regular file `existing` at target in place. The new
// bytes go over the old ones before the file is cut to their length; when
// the disk refuses them part way (it is full), the old bytes go back over
// what was written, in the room they had, and the file keeps its length.
bool RewriteInPlace(
    const std::string& target, const struct stat& existing, std::string_view bytes, FileStamp* stamp)
{
    Descriptor file{::open(target.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    struct stat st { };
    // The same regular file the save looked at, not one put there since.
    if (file.Fd < 0 || ::fstat(file.Fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != existing.st_dev
        || st.st_ino != existing.st_ino) {
        return false;
    }
    // The whole old file, also what lies past the new bytes: a failure after
    // the file was cut to their length would lose that part too.
    std::string old(static_cast<std::size_t>(st.st_size), '\0');
    if (!ReadAll(file.Fd, old)) {
        return false;
    }
    if (WriteAndStamp(file.Fd, bytes, stamp)) {
        return true;
    }
    if (WriteAll(file.Fd, old)) {
        static_cast<void>(::ftruncate(file.Fd, st.st_size));
        static_cast<void>(::fsync(file.Fd));
    }
    return false;
}

bool PermissionRefused(int error)
{
    return error == EACCES || error == EPERM;
}

} // namespace

FileStamp StampOf(const char* path)
{
    struct stat st { };
    return ::stat(path, &st) == 0 ? StampOf(st) : FileStamp{};
}

bool MayHoldFile(const char* path)
{
    struct stat st { };
    if (::stat(path, &st) == 0) {
        return S_ISREG(st.st_mode);
    }
    return errno != ENOENT && errno != ENOTDIR;
}

ReadResult ReadRegularFile(const char* path, std::size_t limit, std::string& bytes, FileStamp* stamp)
{
    // Only a regular file is opened at all; O_NONBLOCK keeps the open from
    // waiting should a FIFO take its place in between, and fstat then
    // refuses it.
    struct stat st { };
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode)) {
        return ReadResult::CannotRead;
    }
    Descriptor file{::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.Fd < 0 || ::fstat(file.Fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return ReadResult::CannotRead;
    }
    if (stamp != nullptr) {
        *stamp = StampOf(st);
    }
    // One byte past the limit tells whether the file goes on.
    bytes.assign(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), limit) + 1, '\0');
    std::size_t size = 0;
    while (size < limit + 1) {
        if (size == bytes.size()) { // the file grew since fstat
            bytes.resize(std::min(limit + 1, bytes.size() * 2));
        }
        const ssize_t got = ::read(file.Fd, bytes.data() + size, bytes.size() - size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            bytes.clear();
            return ReadResult::CannotRead;
        }
        if (got == 0) {
            break;
        }
        size += static_cast<std::size_t>(got);
    }
    if (size <= limit) {
        bytes.resize(size);
        return ReadResult::Whole;
    }
    const std::size_t lineEnd = std::string_view(bytes.data(), limit).rfind('\n');
    bytes.resize(lineEnd == std::string_view::npos ? limit : lineEnd + 1);
    return ReadResult::Partial;
}

bool ReplaceRegularFile(const char* path, std::string_view bytes, FileStamp* stamp)
{
    // Past a file-size limit the kernel would end the program with SIGXFSZ;
    // ignored, the write fails with EFBIG and the old file stays.
    static std::once_flag ignoreFileSizeSignal;
    std::call_once(ignoreFileSizeSignal, [] { std::signal(SIGXFSZ, SIG_IGN); });

    std::string target;
    if (!FollowLinks(path, target)) {
        return false;
    }
    struct stat existing { };
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if ((!exists && errno != ENOENT) || (exists && !S_ISREG(existing.st_mode))) {
        return false;
    }
    // A file the player may not write (made read-only to keep its records)
    // is refused as opening it for writing would refuse it, though the
    // folder would let it be replaced.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return false;
    }

    std::string temporary = target + ".XXXXXX";
    Descriptor file{::mkstemp(temporary.data())};
    if (file.Fd < 0) {
        return exists && PermissionRefused(errno) && RewriteInPlace(target, existing, bytes, stamp);
    }
    // The new file gets the old one's permissions, or those a new file gets.
    mode_t mode = existing.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(file.Fd, mode) != 0 || !WriteAndStamp(file.Fd, bytes, stamp)) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        // A folder that lets files be made but not replaced (sticky, another
        // owner's file): the file itself may still be writable.
        return exists && PermissionRefused(error) && RewriteInPlace(target, existing, bytes, stamp);
    }
    return true;
}

} // namespace records
