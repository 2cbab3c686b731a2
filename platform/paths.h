#pragma once
// Where the program keeps its files on Linux: the settings file, the language
// folder and the profile lists sit next to the executable; survey data lives
// under the data root $HOME/QVT/.
#include <string>

namespace platform {

// Full path of the running executable, as it was when the program started.
std::string ProgramPath();
// Folder of the executable, with a trailing '/'.
std::string ProgramFolder();
// The settings file: the executable's path with ".INI" appended to its name.
std::string SettingsFileName();
// The data root, $HOME/QVT/ (trailing '/').
std::string DataRoot();

// Tests run logic without the real executable: they name the program path.
void SetProgramPathForTests(const std::string& path);

// Creates one folder level; true when it exists afterwards.
bool MakeFolder(const std::string& path);
bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace platform
