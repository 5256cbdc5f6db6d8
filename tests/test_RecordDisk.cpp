// The record file on disk: special files, symlinks, folders that are no
// UTF-8 or not writable, file-size limits, and stamps.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "RecordDisk.h"

using namespace records;
namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A fresh directory of its own for each test, removed afterwards.
class RecordDisk : public testing::Test {
protected:
    void SetUp() override
    {
        std::string name = testing::TempDir() + "zemmick-disk-XXXXXX";
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name;
        file = dir / "PointRec.dat";
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }

    // The names in the directory, to see that no temporary file is left.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs `work` in a child process and gives its exit status, or -signal
    // when a signal ended it.
    template <class Work> static int InChild(Work work)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            ::_exit(work());
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

    // InChild as the user nobody when the tests run as root, whom no
    // permission stops; 3 when that cannot be done.
    template <class Work> static int InChildAsPlayer(Work work)
    {
        return InChild([work] {
            constexpr uid_t nobody = 65534;
            if (::geteuid() == 0
                && (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0
                    || ::setresuid(nobody, nobody, nobody) != 0)) {
                return 3;
            }
            return work();
        });
    }

    fs::path dir;
    fs::path file;
};

} // namespace

TEST_F(RecordDisk, ReadsOnlyRegularFilesAndNeverBlocks)
{
    Put(dir / "regular", "abc\r\n");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "regular", dir / "to-regular");
    fs::create_symlink("/dev/zero", dir / "to-zero");
    fs::create_symlink(dir / "fifo", dir / "to-fifo");
    fs::create_symlink(dir / "nothing", dir / "dangling");
    struct Case {
        const char* name;
        ReadResult result;
        std::string bytes;
    };
    const Case cases[] = {
        {"regular", ReadResult::Whole, "abc\r\n"},
        {"to-regular", ReadResult::Whole, "abc\r\n"},
        {"fifo", ReadResult::CannotRead, ""},
        {"to-fifo", ReadResult::CannotRead, ""},
        {"folder", ReadResult::CannotRead, ""},
        {"to-zero", ReadResult::CannotRead, ""},
        {"dangling", ReadResult::CannotRead, ""},
        {"absent", ReadResult::CannotRead, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes;
        FileStamp stamp;
        EXPECT_EQ(ReadRegularFile((dir / c.name).c_str(), 1000, bytes, &stamp), c.result);
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_EQ(stamp.Exists, c.result == ReadResult::Whole);
    }
}

TEST_F(RecordDisk, ReadsNoMoreThanTheLimitEndingAtALineEnd)
{
    struct Case {
        std::string bytes;
        std::size_t limit;
        ReadResult result;
        std::string read;
    };
    const Case cases[] = {
        {"12345\n", 6, ReadResult::Whole, "12345\n"},
        {"12\n45\n78\n", 7, ReadResult::Partial, "12\n45\n"},
        {"12\n45\n78\n", 6, ReadResult::Partial, "12\n45\n"},
        {"1234567890", 4, ReadResult::Partial, "1234"}, // no line end: the limit
        {"", 4, ReadResult::Whole, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes + " / " + std::to_string(c.limit));
        Put(file, c.bytes);
        std::string bytes;
        EXPECT_EQ(ReadRegularFile(file.c_str(), c.limit, bytes), c.result);
        EXPECT_EQ(bytes, c.read);
    }
}

TEST_F(RecordDisk, ReplacesAFileKeepingItsPermissionsAndLeavesNoTemporaryFile)
{
    ASSERT_TRUE(ReplaceRegularFile(file.c_str(), "new\r\n"));
    EXPECT_EQ(Contents(file), "new\r\n");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(static_cast<mode_t>(fs::status(file).permissions()), 0666 & ~mask);

    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(ReplaceRegularFile(file.c_str(), "newer\r\n"));
    EXPECT_EQ(Contents(file), "newer\r\n");
    EXPECT_EQ(fs::status(file).permissions(),
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Names(), std::vector<std::string>{"PointRec.dat"});
}

// A link to a regular file stays a link and its target gets the bytes;
// anything else at the end of the link, or in the file's place, is left
// alone.
TEST_F(RecordDisk, SavesThroughLinksOnlyOntoRegularFiles)
{
    fs::create_directory(dir / "elsewhere");
    Put(dir / "elsewhere" / "target.dat", "old\r\n");
    fs::create_symlink("elsewhere/target.dat", dir / "relative");
    fs::create_symlink(dir / "relative", dir / "chain");
    fs::create_symlink("elsewhere/new.dat", dir / "dangling");
    fs::create_symlink(dir / "no-folder" / "x.dat", dir / "dangling-nowhere");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
    fs::create_symlink(dir / "fifo", dir / "to-fifo");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "folder", dir / "to-folder");
    // A device node of its own (the numbers of /dev/null), where one can be
    // made, so that a wrong save could only harm this copy.
    const bool device = ::mknod((dir / "device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (device) {
        fs::create_symlink(dir / "device", dir / "to-device");
    }

    for (const char* link : {"relative", "chain"}) {
        SCOPED_TRACE(link);
        ASSERT_TRUE(ReplaceRegularFile((dir / link).c_str(), std::string(link) + "\r\n"));
        EXPECT_TRUE(fs::is_symlink(dir / link));
        EXPECT_EQ(Contents(dir / "elsewhere" / "target.dat"), std::string(link) + "\r\n");
    }
    ASSERT_TRUE(ReplaceRegularFile((dir / "dangling").c_str(), "made\r\n"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_EQ(Contents(dir / "elsewhere" / "new.dat"), "made\r\n");

    for (const char* refused :
        {"dangling-nowhere", "fifo", "to-fifo", "folder", "to-folder", "device", "to-device"}) {
        if (!device && std::string(refused).find("device") != std::string::npos) {
            continue;
        }
        SCOPED_TRACE(refused);
        EXPECT_FALSE(ReplaceRegularFile((dir / refused).c_str(), "x\r\n"));
    }
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
    EXPECT_FALSE(fs::exists(dir / "no-folder"));
    if (device) {
        EXPECT_TRUE(fs::is_character_file(dir / "device"));
    }
    EXPECT_EQ(fs::directory_iterator(dir / "elsewhere")->path().parent_path(), dir / "elsewhere");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "elsewhere"), {}), 2); // no temporary file left
}

// File names are bytes: a folder named in Shift-JIS ("ゼミ") works as any.
TEST_F(RecordDisk, WorksInAFolderWhoseNameIsNoUtf8)
{
    const fs::path folder = dir / std::string("\x83\x5B\x83\x7E");
    ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
    const fs::path before = fs::current_path();
    ASSERT_EQ(::chdir(folder.c_str()), 0);
    const bool saved = ReplaceRegularFile("PointRec.dat", "row\r\n");
    std::string bytes;
    const ReadResult read = ReadRegularFile("PointRec.dat", 100, bytes);
    ASSERT_EQ(::chdir(before.c_str()), 0);
    EXPECT_TRUE(saved);
    EXPECT_EQ(read, ReadResult::Whole);
    EXPECT_EQ(bytes, "row\r\n");
    EXPECT_EQ(Contents(folder / "PointRec.dat"), "row\r\n");
}

// Under `ulimit -f` a save that passes the limit fails like any failed
// write: the program goes on, the old file stays whole.
TEST_F(RecordDisk, AFileSizeLimitFailsTheSaveAndKeepsTheOldFile)
{
    Put(file, "old\r\n");
    const int status = InChild([this] {
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 2;
        }
        return ReplaceRegularFile(file.c_str(), std::string(100000, 'x')) ? 1 : 0;
    });
    EXPECT_EQ(status, 0) << "1: saved past the limit, 2: no limit set, negative: killed by a signal";
    EXPECT_EQ(Contents(file), "old\r\n");
    EXPECT_EQ(Names(), std::vector<std::string>{"PointRec.dat"});
}

// A folder the player cannot make files in, holding a record file the player
// may write: the file is rewritten in place. Root ignores folder permissions,
// so the save runs as nobody.
TEST_F(RecordDisk, AFolderThatTakesNoNewFileGetsTheFileRewrittenInPlace)
{
    Put(file, "old\r\n");
    fs::permissions(
        file, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    fs::permissions(dir,
        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
            | fs::perms::others_exec);
    const auto inode = fs::status(file).type() == fs::file_type::regular ? StampOf(file.c_str()).Inode : 0;
    const bool root = ::geteuid() == 0;
    if (!root) {
        fs::permissions(dir, fs::perms::owner_write, fs::perm_options::remove);
    }
    const int status = InChild([this, root] {
        constexpr uid_t nobody = 65534;
        if (root
            && (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0
                || ::setresuid(nobody, nobody, nobody) != 0)) {
            return 3;
        }
        if (::access(dir.c_str(), W_OK) == 0) {
            return 2; // the folder still takes new files: nothing tested
        }
        FileStamp stamp;
        return ReplaceRegularFile(file.c_str(), "new\r\n", &stamp) && stamp == StampOf(file.c_str()) ? 0 : 1;
    });
    if (status == 3) {
        GTEST_SKIP() << "cannot become the user nobody here";
    }
    EXPECT_EQ(status, 0) << "1: not saved, 2: folder writable";
    EXPECT_EQ(Contents(file), "new\r\n");
    EXPECT_EQ(StampOf(file.c_str()).Inode, inode);
    EXPECT_EQ(Names(), std::vector<std::string>{"PointRec.dat"});
}

// The same folder on a full disk (a file-size limit stands in for it): a
// rewrite in place that runs out of room part way puts the old records back.
TEST_F(RecordDisk, ARewriteInPlaceThatFailsKeepsTheOldFile)
{
    const std::string old = std::string(3000, 'o') + "\r\n";
    Put(file, old);
    fs::permissions(file,
        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write
            | fs::perms::others_read | fs::perms::others_write);
    fs::permissions(dir,
        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
            | fs::perms::others_exec);
    if (::geteuid() != 0) {
        fs::permissions(dir, fs::perms::owner_write, fs::perm_options::remove);
    }
    const int status = InChildAsPlayer([this] {
        if (::access(dir.c_str(), W_OK) == 0) {
            return 2; // the folder still takes new files: nothing tested
        }
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 4;
        }
        return ReplaceRegularFile(file.c_str(), std::string(100000, 'n')) ? 1 : 0;
    });
    if (status == 3) {
        GTEST_SKIP() << "cannot become the user nobody here";
    }
    EXPECT_EQ(status, 0) << "1: saved past the limit, 2: folder writable, 4: no limit set";
    EXPECT_TRUE(Contents(file) == old) << "the old records are lost: " << Contents(file).substr(0, 40);
    EXPECT_EQ(Names(), std::vector<std::string>{"PointRec.dat"});
}

// A record file the player may not write (made read-only to keep its
// records, or unreadable) is not saved over, though the folder would let it
// be replaced: the save fails as opening the file for writing would.
TEST_F(RecordDisk, AFileThePlayerMayNotWriteIsNotReplaced)
{
    fs::permissions(dir, fs::perms::all);
    const struct {
        fs::perms mode;
        bool saved;
    } cases[] = {
        {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, false},
        {fs::perms::none, false},
        {fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::group_write
                | fs::perms::others_read | fs::perms::others_write,
            true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        Put(file, "old\r\n");
        fs::permissions(file, c.mode);
        const int status
            = InChildAsPlayer([this] { return ReplaceRegularFile(file.c_str(), "new\r\n") ? 1 : 0; });
        if (status == 3) {
            GTEST_SKIP() << "cannot become the user nobody here";
        }
        EXPECT_EQ(status, c.saved ? 1 : 0);
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(Contents(file), c.saved ? "new\r\n" : "old\r\n");
        EXPECT_EQ(Names(), std::vector<std::string>{"PointRec.dat"});
        fs::remove(file);
    }
}

// Another program's save, or an edit in place, gives the file another stamp.
TEST_F(RecordDisk, StampsTellAChangedFile)
{
    Put(file, "one\r\n");
    const FileStamp first = StampOf(file.c_str());
    EXPECT_TRUE(first.Exists);
    EXPECT_EQ(StampOf(file.c_str()), first);

    // The same size, rewritten in place a moment later.
    Put(file, "two\r\n");
    const timespec times[2] = {
        {0, UTIME_OMIT}, {first.Seconds, first.Nanoseconds + 1 < 1'000'000'000 ? first.Nanoseconds + 1 : 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    const FileStamp touched = StampOf(file.c_str());
    EXPECT_NE(touched, first);

    FileStamp written;
    ASSERT_TRUE(ReplaceRegularFile(file.c_str(), "three\r\n", &written));
    EXPECT_EQ(StampOf(file.c_str()), written);
    EXPECT_NE(written, touched);

    fs::remove(file);
    EXPECT_EQ(StampOf(file.c_str()), FileStamp{});
    fs::create_directory(file);
    EXPECT_EQ(StampOf(file.c_str()), FileStamp{}); // not a regular file
}
