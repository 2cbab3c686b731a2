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
}  // namespace

std::string ProgramPath() {
  if (!ProgramPathOverride().empty()) return ProgramPathOverride();
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "QuarixDM";
  return std::string(buf, static_cast<size_t>(n));
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
