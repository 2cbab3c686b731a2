// The Linux serial layer on pseudo-terminals: line settings, exclusive use,
// non-blocking reads, bounded writes and the shared port object after Close.
#include "platform/serialport.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <QTemporaryDir>
#include <fstream>
#include <thread>

#include "tests/platform/ptypair.h"

using platform::SerialLineSettings;
using platform::SerialPort;

namespace {

termios ReadTermios(const PtyPair& pty) {
  termios t{};
  tcgetattr(pty.DeviceFd(), &t);
  return t;
}

}  // namespace

TEST(SerialPort, LineSettingsBecomeRawTerminalSettings) {
  struct Case {
    const char* name;
    int dataBits, stopBits, parity;
    tcflag_t size;
    bool twoStops;
    tcflag_t parityBits;
  };
  // The device reported even parity and a cooked terminal before.
  const Case cases[] = {
      {"8N1", 8, 1, 0, CS8, false, 0},
      {"7O1", 7, 1, 1, CS7, false, PARENB | PARODD},
      {"7E2", 7, 3, 2, CS7, true, PARENB},
      {"6 mark 1.5", 6, 2, 3, CS6, true, PARENB | PARODD | CMSPAR},
      {"5 space", 5, 9, 4, CS5, false, PARENB | CMSPAR},
      {"unknown parity code keeps the reported one", 8, 0, 7, CS8, false, PARENB},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    termios t{};
    t.c_cflag = CS8 | PARENB | CSTOPB;
    t.c_lflag = ICANON | ECHO | ISIG;
    t.c_iflag = ICRNL | IXON;
    t.c_cc[VMIN] = 1;
    SerialLineSettings s;
    s.dataBits = c.dataBits;
    s.stopBits = c.stopBits;
    s.parity = c.parity;
    ASSERT_TRUE(platform::BuildLineTermios(t, s));
    EXPECT_EQ(t.c_cflag & CSIZE, c.size);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStops);
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.parityBits);
    EXPECT_EQ((t.c_iflag & INPCK) != 0, c.parity != 0);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
  }
  termios t{};
  SerialLineSettings nineBits;
  nineBits.dataBits = 9;
  EXPECT_FALSE(platform::BuildLineTermios(t, nineBits));
  SerialLineSettings noRate;
  noRate.baudRate = 0;
  EXPECT_FALSE(platform::BuildLineTermios(t, noRate));
}

TEST(SerialPort, OpenLeavesTheLineRaw) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  SerialLineSettings s;
  s.stopBits = 3;
  s.parity = 1;
  auto port = SerialPort::Open(pty.DevicePath(), s);
  ASSERT_TRUE(port);
  const termios t = ReadTermios(pty);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_iflag & (ICRNL | IXON), 0u);
  EXPECT_NE(t.c_iflag & INPCK, 0u);
  EXPECT_NE(t.c_cflag & CSTOPB, 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(SerialPort, SetsStandardAndOddBaudRates) {
  // The speed as the kernel reports it (termios2 carries odd rates).
  struct KernelTermios2 {
    tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed, c_ospeed;
  };
  for (int rate : {110, 4800, 9600, 14400, 115200, 230400, 250000}) {
    SCOPED_TRACE(rate);
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    SerialLineSettings s;
    s.baudRate = rate;
    auto port = SerialPort::Open(pty.DevicePath(), s);
    ASSERT_TRUE(port);
    KernelTermios2 t2{};
    ASSERT_EQ(ioctl(pty.DeviceFd(), _IOR('T', 0x2A, KernelTermios2), &t2), 0);
    EXPECT_EQ(t2.c_ospeed, static_cast<speed_t>(rate));
  }
}

TEST(SerialPort, RejectsImpossibleSettingsAndMissingDevices) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  SerialLineSettings nineBits;
  nineBits.dataBits = 9;
  EXPECT_FALSE(SerialPort::Open(pty.DevicePath(), nineBits));
  SerialLineSettings noRate;
  noRate.baudRate = 0;
  EXPECT_FALSE(SerialPort::Open(pty.DevicePath(), noRate));
  EXPECT_FALSE(SerialPort::Open("/dev/quarix-no-such-port", {}));
  EXPECT_FALSE(SerialPort::Open("", {}));
  QTemporaryDir dir;
  const std::string plain = dir.path().toStdString() + "/plain";
  std::ofstream(plain) << "x";
  EXPECT_FALSE(SerialPort::Open(plain, {}));  // not a terminal
  EXPECT_TRUE(SerialPort::Open(pty.DevicePath(), {}));  // nothing left behind
}

TEST(SerialPort, IsExclusiveWhileOpen) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto first = SerialPort::Open(pty.DevicePath(), {});
  ASSERT_TRUE(first);
  EXPECT_FALSE(SerialPort::Open(pty.DevicePath(), {}));
  first->Close();
  EXPECT_TRUE(SerialPort::Open(pty.DevicePath(), {}));
}

TEST(SerialPort, DiscardsOldInputAndReadsWithoutWaiting) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  ASSERT_TRUE(pty.Send("stale bytes\r\n"));
  ASSERT_TRUE(WaitFor([&] {
    int n = 0;
    ioctl(pty.DeviceFd(), FIONREAD, &n);
    return n > 0;
  }));
  auto port = SerialPort::Open(pty.DevicePath(), {});
  ASSERT_TRUE(port);
  char buf[64];
  EXPECT_EQ(port->QueuedBytes(), 0);
  EXPECT_EQ(port->Read(buf, sizeof buf), 0);  // nothing queued: returns at once

  ASSERT_TRUE(pty.Send("$GPZDA\r\n"));
  ASSERT_TRUE(WaitFor([&] { return port->QueuedBytes() == 8; }));
  EXPECT_EQ(port->Read(buf, 3), 3);
  EXPECT_EQ(port->QueuedBytes(), 5);
  ASSERT_EQ(port->Read(buf, sizeof buf), 5);
  EXPECT_EQ(std::string(buf, 5), "ZDA\r\n");
}

TEST(SerialPort, WritesBytesUnchanged) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto port = SerialPort::Open(pty.DevicePath(), {});
  ASSERT_TRUE(port);
  const std::string bytes("$PCMD,1\r\n\0\xff\n", 12);
  EXPECT_EQ(port->Write(bytes), bytes.size());
  EXPECT_EQ(pty.Receive(bytes.size()), bytes);
}

TEST(SerialPort, WriteToAStalledLineGivesUp) {
  // Nobody reads the other side: the write stops at its time-out with what
  // fitted instead of hanging.
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  SerialLineSettings s;
  s.writeTimeoutMs = 50;
  auto port = SerialPort::Open(pty.DevicePath(), s);
  ASSERT_TRUE(port);
  const std::string big(1 << 20, 'x');
  const size_t written = port->Write(big);
  EXPECT_LT(written, big.size());
}

TEST(SerialPort, AfterCloseNothingIsReadOrWritten) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto port = SerialPort::Open(pty.DevicePath(), {});
  ASSERT_TRUE(port);
  port->Close();
  EXPECT_FALSE(port->IsOpen());
  // The descriptor number is free again: a file opened now may get it.
  PtyPair other;
  ASSERT_TRUE(other.Ok());
  auto reused = SerialPort::Open(other.DevicePath(), {});
  ASSERT_TRUE(reused);
  std::thread writer([&] { EXPECT_EQ(port->Write("$RTCM\r\n"), 0u); });
  writer.join();
  char buf[8];
  EXPECT_EQ(port->Read(buf, sizeof buf), -1);
  EXPECT_EQ(port->QueuedBytes(), -1);
  EXPECT_EQ(other.Drain(), "");
  EXPECT_EQ(pty.Drain(), "");
  port->Close();  // twice is harmless
}

TEST(SerialPort, WritesOfTwoThreadsDoNotInterleave) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto port = SerialPort::Open(pty.DevicePath(), {});
  ASSERT_TRUE(port);
  constexpr int kBlocks = 200;
  constexpr size_t kBlockSize = 300;
  auto writeBlocks = [&](char c) {
    const std::string block(kBlockSize, c);
    for (int i = 0; i < kBlocks; ++i) port->Write(block);
  };
  std::thread a(writeBlocks, 'a');
  std::thread b(writeBlocks, 'b');
  const std::string got = pty.Receive(2 * kBlocks * kBlockSize);
  a.join();
  b.join();
  ASSERT_EQ(got.size(), 2 * kBlocks * kBlockSize);
  for (size_t i = 0; i < got.size(); i += kBlockSize)
    ASSERT_EQ(got.substr(i, kBlockSize), std::string(kBlockSize, got[i])) << "block at " << i;
}

TEST(SerialPort, DefaultDeviceOfAPortNumber) {
  EXPECT_EQ(platform::DefaultSerialDevice(1), "/dev/ttyS0");
  EXPECT_EQ(platform::DefaultSerialDevice(25), "/dev/ttyS24");
  EXPECT_EQ(platform::DefaultSerialDevice(256), "/dev/ttyS255");
  EXPECT_EQ(platform::DefaultSerialDevice(0), "");
  EXPECT_EQ(platform::DefaultSerialDevice(257), "");
}

TEST(SerialPort, SerialLinesAndThePortList) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  EXPECT_TRUE(platform::IsSerialLine(pty.DevicePath()));
  EXPECT_FALSE(platform::IsSerialLine("/dev/null"));
  EXPECT_FALSE(platform::IsSerialLine("/dev/quarix-no-such-port"));

  const auto list = platform::ListSerialPorts({"COM30", "COM2", "COM30"});
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[0], "COM30");
  EXPECT_EQ(list[1], "COM2");
  for (size_t i = 2; i < list.size(); ++i) {
    SCOPED_TRACE(list[i]);
    EXPECT_NE(list[i], "COM2");
    ASSERT_EQ(list[i].rfind("COM", 0), 0u);
    const int n = std::stoi(list[i].substr(3));
    EXPECT_TRUE(platform::IsSerialLine(platform::DefaultSerialDevice(n)));
  }
}
