// The settings file: every key of every section read back in each type, then
// one value written and read again through a fresh reader of the file.
// Input: "file text\n--\nvalue".
#include <cstdlib>
#include <sstream>

#include "app/settingsfile.h"
#include "tests/fuzz/fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = fuzzinput::Parts(fuzzinput::Text(data, size), 1);
  const std::string path = fuzzinput::WriteScratch("QuarixDM.INI", parts[0]);
  IniFile ini(path);
  std::istringstream lines(parts[0]);
  std::string line;
  while (std::getline(lines, line)) {
    const auto open = line.find('['), close = line.find(']');
    if (open == std::string::npos || close == std::string::npos || close < open) continue;
    const std::string section = line.substr(open + 1, close - open - 1);
    for (const std::string& key : ini.ReadSection(section)) {
      ini.ReadString(section, key, "");
      ini.ReadInteger(section, key, 0);
      ini.ReadFloat(section, key, 0);
      ini.ReadBool(section, key, false);
    }
  }
  // A value is stored on one line, without the blanks around it.
  std::string value;
  for (char c : parts[1])
    if (c != '\r' && c != '\n' && c != '\0') value += c;
  value = TrimBlanks(value);
  ini.WriteString("FUZZ_CHECK", "Value", value);
  if (!ini.UpdateFile()) return 0;
  if (IniFile(path).ReadString("FUZZ_CHECK", "Value", "<missing>") != value) std::abort();
  return 0;
}
