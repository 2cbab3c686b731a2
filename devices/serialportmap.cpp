#include "devices/serialportmap.h"

#include <cctype>

#include "app/settingsfile.h"
#include "platform/serialport.h"

int ComNumber(const std::string& name) {
  const std::string t = TrimBlanks(name);
  if (t.size() < 4 || t.size() > 6) return 0;
  for (int i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(t[i])) != "COM"[i]) return 0;
  if (t[3] == '0') return 0;  // no leading zeros: "COM03" is not a port name
  int n = 0;
  for (size_t i = 3; i < t.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(t[i]))) return 0;
    n = n * 10 + (t[i] - '0');
  }
  return n >= 1 && n <= 256 ? n : 0;
}

std::string SerialDevicePath(int portNumber, const IniFile& settings) {
  if (portNumber < 1 || portNumber > 256) return {};
  const std::string mapped = TrimBlanks(
      settings.ReadString(kSerialPortMapSection, "COM" + std::to_string(portNumber), ""));
  return mapped.empty() ? platform::DefaultSerialDevice(portNumber) : mapped;
}

std::string SerialDevicePath(int portNumber) { return SerialDevicePath(portNumber, IniFile()); }

std::string SerialDevicePathOfName(const std::string& name) {
  const int n = ComNumber(name);
  return n == 0 ? std::string() : SerialDevicePath(n);
}

std::vector<std::string> SerialPortNames(const IniFile& settings) {
  std::vector<std::string> mapped;
  for (const auto& key : settings.ReadSection(kSerialPortMapSection)) {
    const int n = ComNumber(key);
    if (n != 0 && !TrimBlanks(settings.ReadString(kSerialPortMapSection, key, "")).empty())
      mapped.push_back("COM" + std::to_string(n));
  }
  return platform::ListSerialPorts(mapped);
}

std::vector<std::string> SerialPortNames() { return SerialPortNames(IniFile()); }
