#include "app/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>  // renameat2
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/textlines.h"

std::string ToTextMode(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

bool AppendTextFile(const std::string& fileName, const std::string& text) {
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool ok = AppendWhole(fd, ToTextMode(text));
  return (::close(fd) == 0) && ok;
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
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
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
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
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
    const int synced = ::fsync(dir);
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
    const ssize_t n = appendWrite(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : ENOSPC;
      if (::ftruncate(fd, st.st_size) != 0) {
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

bool ReadWholeFile(const std::string& fileName, std::string& bytes) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::vector<std::string> SplitTextLines(const std::string& bytes) {
  const std::size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  return textlines::Split(std::string_view(bytes).substr(start));
}
