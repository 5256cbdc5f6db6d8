// The record file on disk: read and replaced with POSIX calls on the bytes of
// its name, so a folder whose name is no UTF-8 works as any other. Only
// regular files are read or replaced; nothing here can block on a FIFO or a
// device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace records {

// What a regular file was when this program last looked: a file replaced,
// rewritten or touched since gives another stamp. Anything that is not a
// regular file (nothing, a directory, a FIFO, a device) has the empty stamp.
struct FileStamp {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t Seconds = 0; // the last modification
    std::int64_t Nanoseconds = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at path, through symlinks.
FileStamp StampOf(const char* path);

// True when a regular file stands at path (through links), or when the path
// cannot be looked at (a folder on the way refuses): a file that may hold
// records. False when nothing is there, or something that is no regular
// file.
bool MayHoldFile(const char* path);

enum class ReadResult {
    Whole, // every byte
    Partial, // the file is longer than the limit
    CannotRead, // absent, unreadable, or not a regular file
};

// Reads the regular file at path (through symlinks) into bytes: at most
// limit bytes, and when the file is longer, only up to the last line feed
// within them (all of them when there is none). Never blocks in open: a FIFO,
// a device, a directory cannot be read. The stamp is that of the file read.
ReadResult ReadRegularFile(
    const char* path, std::size_t limit, std::string& bytes, FileStamp* stamp = nullptr);

// Replaces the regular file at path by bytes, or creates it. A symlink is
// followed to its target and stays a link. The new file is written beside
// the target and renamed onto it, so an interrupted or failed save leaves the
// old file whole; where the folder does not let a file be made there, the
// target is rewritten in place. Anything but a regular file or nothing at the
// target (a device, a FIFO, a directory) is refused. A file-size limit makes
// the write fail instead of ending the program. The stamp is that of the
// file written. False when nothing was saved.
bool ReplaceRegularFile(const char* path, std::string_view bytes, FileStamp* stamp = nullptr);

} // namespace records
