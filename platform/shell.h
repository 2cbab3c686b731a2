#pragma once
// Opening folders and files with the desktop, and starting programs.
#include <string>
#include <vector>

namespace platform {

// Asks the desktop to open a folder or file; false when it could not.
bool ShellOpen(const std::string& path);
// Starts a program detached from this one; false when it could not start.
bool StartDetached(const std::string& program, const std::vector<std::string>& args = {});

}  // namespace platform
