// Whole-file writes: the modes they give, and new drawings published without
// replacing anything on memory sticks that have no hard links.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <cstddef>
#include <cerrno>
#include <cstring>
#include <istream>
#include <iterator>

#include "app/textfile.h"
#include "tests/support/tempenv.h"

namespace {

mode_t Mode(const std::string& file) {
  struct stat st {};
  return ::lstat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// The files of a folder, hidden ones included, as "a, b".
std::string Entries(const std::string& folder) {
  return QDir(QString::fromStdString(folder))
      .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)
      .join(", ")
      .toStdString();
}

TEST(WriteFileAtomically, AnExistingFileKeepsItsModeANewOneFollowsTheUmaskOfTheStart) {
  TempEnv env;
  const std::string kept = env.Home() + "kept.txt";
  ASSERT_TRUE(WriteFileAtomically(kept, "a"));
  ASSERT_EQ(::chmod(kept.c_str(), 0751), 0);
  ASSERT_TRUE(WriteFileAtomically(kept, "b"));
  EXPECT_EQ(Mode(kept), 0751u);
  // The mask the program started with, not one set while it runs.
  const mode_t atStart = CurrentUmask();
  const mode_t mask = ::umask(027);
  const bool written = WriteFileAtomically(env.Home() + "new.txt", "x");
  ::umask(mask);
  ASSERT_TRUE(written);
  EXPECT_EQ(Mode(env.Home() + "new.txt"), 0666u & ~atStart);
  ASSERT_TRUE(WriteOwnerOnlyFileAtomically(env.Home() + "secret.txt", "x"));
  EXPECT_EQ(Mode(env.Home() + "secret.txt"), 0600u);
}

// A file another thread creates while a whole-file write runs gets the mode
// the umask gives it: no write sets the process's mask to 0, not even for a
// moment. Checked in a child whose umask calls end it.
TEST(WriteFileAtomically, NoWriteEverChangesTheUmaskThatOtherThreadsCreateFilesWith) {
  TempEnv env;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_umask, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
      ::_exit(2);
    const bool ok = WriteFileAtomically(env.Home() + "new.txt", "x") &&
                    WriteFileAtomically(env.Home() + "new.qvt", "x", 0666, false) &&
                    WriteOwnerOnlyFileAtomically(env.Home() + "new.ini", "x");
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
}

// A memory stick as surveyors carry them: an image made by the file system's
// own mkfs, mounted through FUSE (the kernel here may lack the driver). FAT
// and exFAT keep no hard links and have no rename that refuses to replace.
struct Stick {
  const char* kind;
  const char* tools;  // all must be installed
  const char* mount;  // shell commands; $IMG the image, $DIR the mount point
  const char* unmount;
};

const Stick kSticks[] = {
    {"FAT", "mkfs.vfat fusefat", "mkfs.vfat \"$IMG\" && fusefat -o rw+ \"$IMG\" \"$DIR\"",
     "fusermount -u \"$DIR\" || umount \"$DIR\""},
    {"exFAT", "mkfs.exfat mount.exfat-fuse losetup",
     "mkfs.exfat \"$IMG\" && L=$(losetup -f --show \"$IMG\") && echo \"$L\" > \"$IMG.loop\" && "
     "mount.exfat-fuse \"$L\" \"$DIR\"",
     "umount \"$DIR\"; losetup -d \"$(cat \"$IMG.loop\")\""},
};

void PrintTo(const Stick& stick, std::ostream* os) { *os << stick.kind; }

class OnAStick : public ::testing::TestWithParam<Stick> {
 protected:
  void SetUp() override {
    const Stick& s = GetParam();
    if (Shell(std::string("for t in ") + s.tools + "; do command -v $t || exit 1; done") != 0)
      GTEST_SKIP() << s.kind << ": tools missing (" << s.tools << ")";
    img_ = env_.Home() + "stick.img";
    dir_ = env_.Home() + "stick";
    ASSERT_EQ(::mkdir(dir_.c_str(), 0700), 0);
    ASSERT_EQ(Shell("truncate -s 8M \"$IMG\""), 0);
    if (Shell(s.mount) != 0) GTEST_SKIP() << s.kind << " could not be mounted here";
    mounted_ = true;
    struct statfs fs {};
    ASSERT_EQ(::statfs(dir_.c_str(), &fs), 0);
    ASSERT_EQ(fs.f_type, 0x65735546) << "not mounted through FUSE";
    dir_ += "/";
  }
  void TearDown() override {
    if (mounted_) {
      dir_.pop_back();
      Shell(GetParam().unmount);
    }
  }
  int Shell(const std::string& commands) {
    QProcess sh;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("IMG", QString::fromStdString(img_));
    e.insert("DIR", QString::fromStdString(dir_));
    sh.setProcessEnvironment(e);
    sh.start("sh", {"-c", QString::fromStdString(commands)});
    sh.waitForFinished(30000);
    return sh.exitStatus() == QProcess::NormalExit ? sh.exitCode() : -1;
  }
  TempEnv env_;
  std::string img_, dir_;
  bool mounted_ = false;
};

TEST_P(OnAStick, ANewDrawingIsSavedAndNothingThereIsReplaced) {
  const std::string drawing = dir_ + "2026-01-30 1435.qvt";
  ASSERT_TRUE(WriteFileAtomically(drawing, "first", 0666, false)) << std::strerror(errno);
  EXPECT_EQ(env_.ReadFile(drawing), "first");
  EXPECT_FALSE(WriteFileAtomically(drawing, "second", 0666, false));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(env_.ReadFile(drawing), "first");
  // Files that are replaced on purpose, the private ones among them.
  ASSERT_TRUE(WriteFileAtomically(drawing, "third")) << std::strerror(errno);
  EXPECT_EQ(env_.ReadFile(drawing), "third");
  ASSERT_TRUE(WriteOwnerOnlyFileAtomically(dir_ + "QuarixDM.INI", "[NTRIP]\r\n")) << std::strerror(errno);
  ASSERT_TRUE(WriteOwnerOnlyFileAtomically(dir_ + "QuarixDM.INI", "[NTRIP]\r\nPassword=x\r\n"));
  EXPECT_EQ(env_.ReadFile(dir_ + "QuarixDM.INI"), "[NTRIP]\r\nPassword=x\r\n");
  EXPECT_EQ(Entries(dir_), "2026-01-30 1435.qvt, QuarixDM.INI");
}

TEST_P(OnAStick, ADrawingThatFitsOnlyOnceLeavesNothingHalfWritten) {
  // The temporary file takes the room, so the copy under the drawing's own
  // name runs out of it.
  struct statvfs vfs {};
  ASSERT_EQ(::statvfs(dir_.c_str(), &vfs), 0);
  const std::string bytes(static_cast<std::size_t>(vfs.f_bavail * vfs.f_frsize * 6 / 10), 'q');
  EXPECT_FALSE(WriteFileAtomically(dir_ + "big.qvt", bytes, 0666, false));
  EXPECT_EQ(Entries(dir_), "");
  ASSERT_TRUE(WriteFileAtomically(dir_ + "small.qvt", "s", 0666, false)) << std::strerror(errno);
}

INSTANTIATE_TEST_SUITE_P(MemorySticks, OnAStick, ::testing::ValuesIn(kSticks),
                         [](const auto& info) { return std::string(info.param.kind); });

// A file the user names is read only when it is a regular file its reader
// can use, and is never waited on: each refusal is told in words and by
// errno, and nothing is read.
TEST(ReadWholeFile, OnlyARegularFileWithinItsReadersBoundIsRead) {
  TempEnv env;
  const std::string home = env.Home();
  ASSERT_TRUE(WriteFileAtomically(home + "probe.txt", "1500.1,2.0\r\n"));
  ASSERT_EQ(::mkfifo((home + "fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", (home + "zero").c_str()), 0);
  ASSERT_EQ(::symlink((home + "probe.txt").c_str(), (home + "link.txt").c_str()), 0);
  ASSERT_EQ(::mkdir((home + "folder").c_str(), 0700), 0);
  // A sparse file one byte past the bound.
  const int big = ::open((home + "big.txt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(big, 0);
  ASSERT_EQ(::ftruncate(big, (2 << 20) + 1), 0);
  ::close(big);
  const struct {
    const char* name;
    int err;  // 0: read
    const char* why;
  } cases[] = {
      {"probe.txt", 0, ""},
      {"link.txt", 0, ""},
      {"fifo", EINVAL, "it is not a regular file"},
      {"zero", EINVAL, "it is not a regular file"},
      {"folder", EISDIR, "it is not a regular file"},
      {"gone.txt", ENOENT, "No such file or directory"},
      {"big.txt", EFBIG, "it holds 2.0 MB, more than the 2 MB such a file may hold"},
  };
  for (const auto& c : cases) {
    std::string bytes = "untouched", why;
    errno = 0;
    const bool read = ReadWholeFile(home + c.name, bytes, 2 << 20, &why);
    EXPECT_EQ(read, c.err == 0) << c.name;
    EXPECT_EQ(read ? 0 : errno, c.err) << c.name;
    EXPECT_EQ(why, c.why) << c.name;
    EXPECT_EQ(bytes, c.err == 0 ? "1500.1,2.0\r\n" : "untouched") << c.name;
    EXPECT_EQ(FileReadProblem(home + c.name, 2 << 20), c.why) << c.name;
  }
}

// A whole-file write never replaces what is no file: a FIFO under the name,
// or one a link points at, stays as it was.
TEST(WriteFileAtomically, NeverReplacesAFifoNorWhatALinkPointsAt) {
  TempEnv env;
  const std::string fifo = env.Home() + "fifo", link = env.Home() + "link";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::symlink(fifo.c_str(), link.c_str()), 0);
  for (const std::string& name : {fifo, link}) {
    EXPECT_FALSE(WriteFileAtomically(name, "text")) << name;
    EXPECT_EQ(errno, EINVAL) << name;
    EXPECT_FALSE(WriteOwnerOnlyFileAtomically(name, "text")) << name;
  }
  struct stat st {};
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Entries(env.Home()), "fifo, link");
}

// A log or record named like a FIFO is not written, and nothing waits for a
// reader, whether one is there or not.
TEST(AppendTextFile, NeverWaitsOnAFifoNorWritesIntoOne) {
  TempEnv env;
  const std::string fifo = env.Home() + "fifo", file = env.Home() + "log";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(AppendTextFile(fifo, "entry\n"));  // no reader
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_FALSE(AppendTextFile(fifo, "entry\n"));  // a reader
  EXPECT_EQ(errno, EINVAL);
  char byte;
  EXPECT_LE(::read(reader, &byte, 1), 0);
  ::close(reader);
  EXPECT_TRUE(AppendTextFile(file, "entry\n"));
  EXPECT_EQ(env.ReadFile(file), "entry\r\n");
}

// A descriptor of OpenFileToRead read as a stream, from the start again as
// a reader that passes over the file several times does.
TEST(FileReadBuffer, ReadsAndSeeksLikeAFileStream) {
  TempEnv env;
  std::string text;
  for (int i = 0; i < 20000; ++i) text += std::to_string(i) + "\n";  // more than one buffer
  ASSERT_TRUE(WriteFileAtomically(env.Home() + "lines.txt", text));
  uint64_t size = 0;
  const int fd = OpenFileToRead(env.Home() + "lines.txt", 1 << 20, nullptr, &size);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(size, text.size());
  FileReadBuffer buffer(fd);
  std::istream in(&buffer);
  for (int pass = 0; pass < 2; ++pass) {
    std::string all{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(all, text) << pass;
    in.clear();
    in.seekg(0);
  }
  in.seekg(6);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "3");
  EXPECT_EQ(static_cast<std::streamoff>(in.tellg()), 8);
  in.seekg(-6, std::ios::end);
  std::getline(in, line);
  EXPECT_EQ(line, "19999");
}

}  // namespace
