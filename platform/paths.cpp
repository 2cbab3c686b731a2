#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace platform {
namespace {
std::string& ProgramPathOverride() {
  static std::string path;
  return path;
}

// The executable's path as it was at start. Read again later, /proc/self/exe
// would name "<path> (deleted)" once a new executable has been renamed over
// the running one (an update, a rebuild), and the settings file, the
// profiles and the language files would be looked for beside a file that
// does not exist.
const std::string& StartPath() {
  static const std::string path = [] {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return std::string("QuarixDM");
    std::string p(buf, static_cast<size_t>(n));
    // Replaced even before this first reading.
    const std::string deleted = " (deleted)";
    if (p.size() > deleted.size() && p.compare(p.size() - deleted.size(), deleted.size(), deleted) == 0 &&
        !FileExists(p))
      p.resize(p.size() - deleted.size());
    return p;
  }();
  return path;
}
[[maybe_unused]] const std::string& pathAtStart = StartPath();

}  // namespace

std::string ProgramPath() {
  if (!ProgramPathOverride().empty()) return ProgramPathOverride();
  return StartPath();
}

std::string ProgramFolder() {
  const std::string p = ProgramPath();
  const auto slash = p.rfind('/');
  return slash == std::string::npos ? std::string("./") : p.substr(0, slash + 1);
}

std::string SettingsFileName() { return ProgramPath() + ".INI"; }

std::string DataRoot() {
  const char* home = std::getenv("HOME");
  std::string root = (home && *home) ? home : "/tmp";
  if (root.back() != '/') root += '/';
  return root + "QVT/";
}

void SetProgramPathForTests(const std::string& path) { ProgramPathOverride() = path; }

bool MakeFolder(const std::string& path) {
  if (path.empty()) return false;
  if (::mkdir(path.c_str(), 0755) == 0) return true;
  return errno == EEXIST && FolderExists(path);
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace platform
