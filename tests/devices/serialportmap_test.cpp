// Port names resolved through [SERIAL_PORT_MAP] and the list of offered ports.
#include "devices/serialportmap.h"

#include <gtest/gtest.h>

#include "app/settingsfile.h"
#include "tests/support/tempenv.h"

TEST(SerialPortMap, ComNumber) {
  struct Case {
    const char* name;
    int n;
  };
  const Case cases[] = {{"COM1", 1},  {"com12", 12}, {" COM3 ", 3}, {"COM256", 256}, {"COM257", 0},
                        {"COM0", 0},  {"COM03", 0},  {"COM", 0},    {"COM1x", 0},    {"XCOM1", 0},
                        {"COM-1", 0}, {"", 0}};
  for (const auto& c : cases) EXPECT_EQ(ComNumber(c.name), c.n) << c.name;
}

TEST(SerialPortMap, DevicePathOfAPort) {
  TempEnv env;
  IniFile ini(env.SettingsFile());
  ini.WriteString("SERIAL_PORT_MAP", "COM3", "/dev/ttyUSB0");
  ini.WriteString("SERIAL_PORT_MAP", " com25 ", " /dev/serial/by-id/usb-u-blox_GNSS-if00 ");
  ini.WriteString("SERIAL_PORT_MAP", "COM4", "");
  EXPECT_EQ(SerialDevicePath(3, ini), "/dev/ttyUSB0");
  EXPECT_EQ(SerialDevicePath(25, ini), "/dev/serial/by-id/usb-u-blox_GNSS-if00");
  EXPECT_EQ(SerialDevicePath(4, ini), "/dev/ttyS3");  // empty entry: the default
  EXPECT_EQ(SerialDevicePath(1, ini), "/dev/ttyS0");
  EXPECT_EQ(SerialDevicePath(0, ini), "");
  EXPECT_EQ(SerialDevicePath(257, ini), "");
  // The program's own settings file.
  EXPECT_EQ(SerialDevicePath(3), "/dev/ttyUSB0");
  EXPECT_EQ(SerialDevicePathOfName("com3"), "/dev/ttyUSB0");
  EXPECT_EQ(SerialDevicePathOfName("COM2"), "/dev/ttyS1");
  EXPECT_EQ(SerialDevicePathOfName("This port (GPS)"), "");
}

TEST(SerialPortMap, MappedPortsComeFirstInFileOrder) {
  TempEnv env;
  IniFile ini(env.SettingsFile());
  ini.WriteString("SERIAL_PORT_MAP", "com12", "/dev/ttyUSB1");
  ini.WriteString("SERIAL_PORT_MAP", "COM2", "/dev/ttyUSB0");
  ini.WriteString("SERIAL_PORT_MAP", "COM5", "");
  ini.WriteString("SERIAL_PORT_MAP", "GPS", "/dev/ttyACM0");
  const auto names = SerialPortNames(ini);
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ(names[0], "COM12");
  EXPECT_EQ(names[1], "COM2");
  for (size_t i = 2; i < names.size(); ++i) {
    EXPECT_NE(names[i], "COM2");
    EXPECT_NE(names[i], "COM12");
  }
}
