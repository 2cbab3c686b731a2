#pragma once
// Serial lines on Linux. A port is opened by its device path, exclusively, in
// raw mode, and read without ever blocking. The open port is a shared object:
// the component that opened it and any other thread that was handed it (the
// NTRIP client writes corrections into the GNSS receiver's port) use the same
// object, whose lock serialises their writes and whose Close makes every later
// read or write a no-op, so nothing is ever written into a file descriptor
// number that the system has meanwhile given to another file.
#include <cstddef>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

struct termios;

namespace platform {

// Line settings applied when a port is opened.
struct SerialLineSettings {
  int baudRate = 9600;   // any positive rate; rates outside the POSIX table are set as custom rates
  int dataBits = 8;      // 5 to 8
  int stopBits = 1;      // 1 = one, 2 = one and a half (two on Linux), 3 = two, other = one
  int parity = 0;        // 0 none, 1 odd, 2 even, 3 mark, 4 space, other = as the driver has it
  bool dtr = false;      // DTR on while open (off otherwise)
  bool rts = false;      // RTS on while open (off otherwise)
  int writeTimeoutMs = 1000;  // a write gives up after about this long
};

// Turns the terminal settings a device reported into the raw settings of the
// line: data bits, stop bits, parity (an unknown parity code keeps the
// reported one), parity checking, and the speed when it is in the POSIX table
// (other rates are set by Open as custom rates). False for impossible
// settings (data bits outside 5 to 8, a rate below 1); t is then undefined.
bool BuildLineTermios(::termios& t, const SerialLineSettings& settings);

class SerialPort {
 public:
  // Opens and configures the device; nullptr when it does not exist, is in use
  // or rejects the settings. Queued input and output are discarded.
  static std::shared_ptr<SerialPort> Open(const std::string& devicePath,
                                          const SerialLineSettings& settings);
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  const std::string& DevicePath() const { return path_; }
  bool IsOpen() const;
  // Closes the descriptor; waits for a write in progress on another thread.
  // Later calls of Read, Write and QueuedBytes do nothing.
  void Close();

  // Bytes waiting to be read; -1 when closed or on error (a line that hung
  // up answers with an error).
  int QueuedBytes() const;
  // True when the line hung up (a USB adapter unplugged, the other side of a
  // pseudo-terminal closed) or reports an error; such a line never delivers
  // again. Also true when the port is closed. Never waits.
  bool Failed() const;
  // Reads what is queued, at most maxBytes, never waiting. Returns the count
  // (0 when nothing is queued) or -1 when closed or on error (EIO of a line
  // that hung up, for one).
  long Read(char* buffer, size_t maxBytes);
  // Writes all bytes, waiting at most about the write time-out. Returns the
  // count written; 0 when the port is closed. Writes of different threads
  // do not interleave.
  size_t Write(const char* data, size_t length);
  size_t Write(const std::string& data) { return Write(data.data(), data.size()); }
  // Writes what the line takes at once, never waiting. Returns the count
  // (0 when the line's queue is full) or -1 when closed or on error.
  long WriteNow(const char* data, size_t length);
  // Waits at most timeoutMs until the line takes bytes again; false when it
  // does not (or is closed).
  bool WaitWritable(int timeoutMs) const;

 private:
  SerialPort(int fd, std::string path, int writeTimeoutMs);
  mutable std::shared_mutex stateMutex_;  // shared by I/O, exclusive by Close
  std::mutex writeMutex_;                 // one writer at a time
  int fd_ = -1;
  std::string path_;
  int writeTimeoutMs_ = 1000;
};

// What other components receive in place of the port's handle; empty when no
// port is open.
using SerialHandle = std::shared_ptr<SerialPort>;

// True when the device exists and answers as a serial line (a UART the driver
// knows, or any terminal device that accepts the terminal requests).
bool IsSerialLine(const std::string& devicePath);

// The list of ports the program offers: mappedNames as given, then "COMn" for
// every /dev/ttyS(n-1), n = 1..256, that answers as a serial line and whose
// name is not already in the list.
std::vector<std::string> ListSerialPorts(const std::vector<std::string>& mappedNames);

// "/dev/ttyS(n-1)" for port n in 1..256, empty otherwise.
std::string DefaultSerialDevice(int portNumber);

}  // namespace platform
