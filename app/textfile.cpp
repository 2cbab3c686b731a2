#include "app/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

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

}  // namespace

bool WriteFileAtomically(const std::string& fileName, const std::string& bytes, int mode, bool replace) {
  // A link is written through: its target gets the new content and the link
  // stays.
  std::string target;
  if (!LinkTarget(fileName, target)) return false;
  // An existing file keeps its permissions; a new one gets the mode asked
  // for, less the umask.
  mode_t perms;
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    if (!replace) {
      errno = EEXIST;
      return false;
    }
    perms = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    perms = static_cast<mode_t>(mode) & ~mask & 07777;
  }
  // The temporary file is made anew beside the target under a unique name,
  // created exclusively, so no file or link already there is followed or
  // overwritten.
  std::vector<char> name(target.begin(), target.end());
  for (char ch : std::string(".XXXXXX")) name.push_back(ch);
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const auto fail = [&](int err, bool open) {
    if (open) ::close(fd);
    ::unlink(name.data());
    errno = err;
    return false;
  };
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(n < 0 ? errno : ENOSPC, true);
    p += n;
    left -= static_cast<size_t>(n);
  }
  // The content is on the disk before the name points at it, so a power cut
  // leaves the old file or the new one, never an empty one.
  if (::fchmod(fd, perms) != 0) return fail(errno, true);
  if (::fsync(fd) != 0) return fail(errno, true);
  if (::close(fd) != 0) return fail(errno, false);
  if (replace) {
    if (std::rename(name.data(), target.c_str()) != 0) return fail(errno, false);
  } else {
    // A name taken meanwhile is not replaced.
    if (::link(name.data(), target.c_str()) != 0) return fail(errno, false);
    ::unlink(name.data());
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
  std::vector<std::string> lines;
  std::string line;
  std::size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  for (; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}
