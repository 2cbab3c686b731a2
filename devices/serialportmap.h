#pragma once
// Port names stay "COM" + number everywhere (settings, captions, logs). The
// settings file's section [SERIAL_PORT_MAP] says which device each name means
// (keys COM1 to COM256, values device paths such as /dev/ttyUSB0 or a
// /dev/serial/by-id path); a name without an entry means /dev/ttyS(n-1).
#include <string>
#include <vector>

class IniFile;

inline constexpr const char* kSerialPortMapSection = "SERIAL_PORT_MAP";

// The port number of a text that is exactly "COM" + 1..256 (letter case and
// surrounding blanks ignored), else 0.
int ComNumber(const std::string& name);

// Device path of port n (1..256) in the given settings file; empty for other n.
std::string SerialDevicePath(int portNumber, const IniFile& settings);
// The same in the program's own settings file.
std::string SerialDevicePath(int portNumber);
// Device path of a port name ("COM3"); empty when it is not such a name.
std::string SerialDevicePathOfName(const std::string& name);

// The ports the program offers for choice: the mapped names in file order,
// then COMn for each /dev/ttyS(n-1) that answers as a serial line.
std::vector<std::string> SerialPortNames(const IniFile& settings);
std::vector<std::string> SerialPortNames();
