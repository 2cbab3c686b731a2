#include "app/textfile.h"

#include "platform/interrupted.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>  // renameat2
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <new>
#include <vector>

#include "app/formats.h"
#include "app/textlines.h"
#include "app/utf8.h"

std::string ToTextMode(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

int OpenFileToAppend(const std::string& fileName) {
  // Opened without waiting: a FIFO at the name cannot hold the program.
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return -1;
  struct stat st {};
  const int err = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
  if (err != 0) {
    ::close(fd);
    errno = err;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

bool AppendTextFile(const std::string& fileName, const std::string& text) {
  const int fd = OpenFileToAppend(fileName);
  if (fd < 0) return false;
  const bool ok = AppendWhole(fd, ToTextMode(text));
  // An interrupted close has still closed the file (Linux): not a failure.
  return (::close(fd) == 0 || errno == EINTR) && ok;
}

namespace {

// The file a name stands for: a symbolic link (or a chain of them) is
// followed to its target, which need not exist yet; any other name is its
// own. False when the chain does not end (a loop).
bool LinkTarget(const std::string& fileName, std::string& target) {
  target = fileName;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = ::readlink(target.c_str(), buf.data(), buf.size());
    if (n < 0) return false;
    std::string link(buf.data(), static_cast<std::size_t>(n));
    if (!link.empty() && link.front() != '/') {
      const auto slash = target.rfind('/');
      link = (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) + link;
    }
    target = link;
  }
  errno = ELOOP;
  return false;
}

std::string FolderOf(const std::string& fileName) {
  const auto slash = fileName.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : fileName.substr(0, slash);
}

// The file-creation mask the program started with. It is read once, without
// changing it: setting the mask to read it back would give a file another
// thread creates meanwhile the mode 0666.
mode_t ReadUmask() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777;
  // Without /proc: still at start, before any other thread exists.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}
mode_t StartUmask() {
  static const mode_t mask = ReadUmask();
  return mask;
}
[[maybe_unused]] const mode_t umaskAtStart = StartUmask();

// A file system that keeps no permissions (FAT, exFAT) refuses or ignores a
// change of them: its files are written without.
bool SetPermissions(int fd, mode_t perms) {
  if (::fchmod(fd, perms) == 0) return true;
  return errno == EPERM || errno == ENOSYS || errno == EOPNOTSUPP;
}

// Writes the bytes into the open file, sets its permissions, syncs and closes
// it; the descriptor is closed in every case. errno tells why on failure.
bool WriteSyncedAndClose(int fd, const std::string& bytes, mode_t perms) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  int err = 0;
  while (left > 0 && err == 0) {
    const ssize_t n = platform::RetryInterrupted([&] { return ::write(fd, p, left); });
    if (n <= 0) {
      err = n < 0 ? errno : ENOSPC;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  // The content is on the disk before a name points at it, so a power cut
  // leaves the old file or the new one, never an empty one.
  if (err == 0 && !SetPermissions(fd, perms)) err = errno;
  if (err == 0 && platform::RetryInterrupted([&] { return ::fsync(fd); }) != 0) err = errno;
  if (::close(fd) != 0 && errno != EINTR && err == 0) err = errno;
  errno = err;
  return err == 0;
}

// Gives the written temporary file the target's name without ever replacing
// a file of that name: a rename that refuses to replace where the file system
// has one, else a hard link, else (FAT, exFAT, some network shares have
// neither) the bytes written again into a file created exclusively under the
// name, removed again when that write fails. The temporary file is gone
// afterwards only on success.
bool PublishNew(const char* temp, const std::string& target, const std::string& bytes, mode_t perms) {
  if (::renameat2(AT_FDCWD, temp, AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  if (::link(temp, target.c_str()) == 0) {
    ::unlink(temp);
    return true;
  }
  if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (!WriteSyncedAndClose(fd, bytes, perms)) {
    const int err = errno;
    ::unlink(target.c_str());
    errno = err;
    return false;
  }
  ::unlink(temp);
  return true;
}

// Both whole-file writes: an existing file keeps the bits of its mode in
// `kept`; a new one gets `mode` less the start umask.
bool WriteWhole(const std::string& fileName, const std::string& bytes, mode_t mode, mode_t kept, bool replace) {
  // A link is written through: its target gets the new content and the link
  // stays.
  std::string target;
  if (!LinkTarget(fileName, target)) return false;
  mode_t perms;
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    // Only a file is replaced: never a FIFO, a device or a folder of that
    // name, nor what a link points at that is one of them.
    if (!S_ISREG(old.st_mode)) {
      errno = S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
      return false;
    }
    if (!replace) {
      errno = EEXIST;
      return false;
    }
    perms = old.st_mode & kept;
  } else {
    perms = mode & ~StartUmask() & 07777;
  }
  // The temporary file is made anew beside the target under a unique name,
  // created exclusively, so no file or link already there is followed or
  // overwritten.
  std::vector<char> name(target.begin(), target.end());
  for (char ch : std::string(".XXXXXX")) name.push_back(ch);
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const bool published = WriteSyncedAndClose(fd, bytes, perms) &&
                         (replace ? std::rename(name.data(), target.c_str()) == 0
                                  : PublishNew(name.data(), target, bytes, perms));
  if (!published) {
    const int err = errno;
    ::unlink(name.data());
    errno = err;
    return false;
  }
  // And the folder's entry too.
  const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    const int synced = platform::RetryInterrupted([&] { return ::fsync(dir); });
    const int err = errno;
    ::close(dir);
    if (synced != 0 && err != EINVAL && err != EROFS) {
      errno = err;
      return false;
    }
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& fileName, const std::string& bytes, int mode, bool replace) {
  return WriteWhole(fileName, bytes, static_cast<mode_t>(mode), 07777, replace);
}

bool WriteOwnerOnlyFileAtomically(const std::string& fileName, const std::string& bytes) {
  return WriteWhole(fileName, bytes, 0600, 0700, true);
}

namespace {
ssize_t (*appendWrite)(int, const void*, size_t) = ::write;
}  // namespace

void SetAppendWriteForTests(ssize_t (*write)(int, const void*, size_t)) {
  appendWrite = write ? write : ::write;
}

bool AppendWhole(int fd, const std::string& bytes) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = platform::RetryInterrupted([&] { return appendWrite(fd, p, left); });
    if (n <= 0) {
      const int err = n < 0 ? errno : ENOSPC;
      if (platform::RetryInterrupted([&] { return ::ftruncate(fd, st.st_size); }) != 0) {
        // The failure is what the caller reports.
      }
      errno = err;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

int OpenFileToRead(const std::string& FileName, uint64_t MaxBytes, std::string* Why, uint64_t* Size) {
  auto refuse = [Why](int err, const std::string& why) {
    if (Why) *Why = why;
    errno = err;
    return -1;
  };
  // Opened without waiting, so a FIFO cannot hold the window.
  const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    const int err = errno;
    return refuse(err, std::strerror(err));
  }
  struct stat st {};
  int err = 0;
  std::string why;
  if (::fstat(fd, &st) != 0) {
    err = errno;
    why = std::strerror(err);
  } else if (!S_ISREG(st.st_mode)) {
    err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    why = "it is not a regular file";
  } else if (static_cast<uint64_t>(st.st_size) > MaxBytes) {
    err = EFBIG;
    why = "it holds " + ByteCountText(static_cast<uint64_t>(st.st_size)) + ", more than the " +
          ByteCountText(MaxBytes) + " such a file may hold";
  }
  if (err != 0) {
    ::close(fd);
    return refuse(err, why);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (Size) *Size = static_cast<uint64_t>(st.st_size);
  return fd;
}

std::string FileReadProblem(const std::string& FileName, uint64_t MaxBytes) {
  std::string why;
  const int fd = OpenFileToRead(FileName, MaxBytes, &why);
  if (fd < 0) return why;
  ::close(fd);
  return {};
}

bool ReadWholeFile(const std::string& fileName, std::string& bytes, uint64_t maxBytes, std::string* why) {
  uint64_t size = 0;
  const int fd = OpenFileToRead(fileName, maxBytes, why, &size);
  if (fd < 0) return false;
  int err = 0;
  std::string text;
  try {
    text.reserve(static_cast<std::size_t>(size));
    char chunk[64 * 1024];
    for (;;) {
      const ssize_t n = platform::RetryInterrupted([&] { return ::read(fd, chunk, sizeof chunk); });
      if (n < 0) err = errno;
      if (n <= 0) break;
      if (static_cast<uint64_t>(n) > maxBytes - text.size()) {  // it grew past the bound
        err = EFBIG;
        break;
      }
      text.append(chunk, static_cast<std::size_t>(n));
    }
  } catch (const std::bad_alloc&) {
    err = ENOMEM;
  }
  ::close(fd);
  if (err != 0) {
    if (why)
      *why = err == EFBIG ? "it grew past the " + ByteCountText(maxBytes) + " such a file may hold while it was read"
                          : std::strerror(err);
    errno = err;
    return false;
  }
  bytes.swap(text);
  return true;
}

bool ReadWholeFile(const std::string& fileName, std::string& bytes) {
  return ReadWholeFile(fileName, bytes, std::numeric_limits<uint64_t>::max());
}

FileReadBuffer::FileReadBuffer(int fd) : fd_(fd) { setg(buffer_, buffer_, buffer_); }

FileReadBuffer::~FileReadBuffer() {
  if (fd_ >= 0) ::close(fd_);
}

FileReadBuffer::int_type FileReadBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const ssize_t n = platform::RetryInterrupted([&] { return ::read(fd_, buffer_, sizeof buffer_); });
  if (n <= 0) return traits_type::eof();
  setg(buffer_, buffer_, buffer_ + n);
  return traits_type::to_int_type(*gptr());
}

FileReadBuffer::pos_type FileReadBuffer::seekoff(off_type off, std::ios_base::seekdir dir,
                                                 std::ios_base::openmode which) {
  if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
  // The descriptor stands at the end of what the buffer holds.
  const off_t end = ::lseek(fd_, 0, SEEK_CUR);
  if (end < 0) return pos_type(off_type(-1));
  const off_t here = end - (egptr() - gptr());
  off_t target;
  if (dir == std::ios_base::beg) target = off;
  else if (dir == std::ios_base::cur) target = here + off;
  else if (const off_t size = ::lseek(fd_, 0, SEEK_END); size >= 0) target = size + off;
  else return pos_type(off_type(-1));
  if (target < 0 || ::lseek(fd_, target, SEEK_SET) < 0) return pos_type(off_type(-1));
  setg(buffer_, buffer_, buffer_);
  return pos_type(target);
}

FileReadBuffer::pos_type FileReadBuffer::seekpos(pos_type pos, std::ios_base::openmode which) {
  return seekoff(off_type(pos), std::ios_base::beg, which);
}

std::vector<std::string> SplitTextLines(const std::string& bytes) {
  return textlines::Split(std::string_view(bytes).substr(ByteOrderMarkLength(bytes)));
}
