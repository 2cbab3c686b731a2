#pragma once
// A minimal VNC (RFB) client for end-to-end tests: the program runs on Qt's
// "vnc" platform, and the test sees its screen and presses its buttons as a
// user at a remote screen would. Security type None, raw encoding, 32-bit
// pixels 0x00RRGGBB.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

class VncClient {
 public:
  ~VncClient() {
    if (fd_ >= 0) ::close(fd_);
  }

  // A TCP port on 127.0.0.1 that nothing listens on at this moment.
  static int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
      port = ntohs(a.sin_port);
    ::close(s);
    return port;
  }

  // Connects (retrying while the server starts) and completes the handshake.
  bool Connect(int port, int timeoutMs = 15000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ < 0) {
      const int s = ::socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(static_cast<uint16_t>(port));
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        fd_ = s;
        break;
      }
      ::close(s);
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    char version[12];
    if (!Read(version, 12) || std::strncmp(version, "RFB 003.", 8) != 0) return false;
    const int minor = std::atoi(std::string(version + 8, 3).c_str());
    const char* reply = minor >= 8 ? "RFB 003.008\n" : minor == 7 ? "RFB 003.007\n" : "RFB 003.003\n";
    if (!Write(reply, 12)) return false;
    if (minor >= 7) {
      uint8_t count = 0;
      if (!Read(&count, 1) || count == 0) return false;
      std::vector<uint8_t> types(count);
      if (!Read(types.data(), count)) return false;
      const uint8_t none = 1;
      if (!Write(&none, 1)) return false;
      if (minor >= 8 && Read32() != 0) return false;
    } else if (Read32() != 1) {
      return false;
    }
    const uint8_t shared = 1;
    if (!Write(&shared, 1)) return false;
    uint8_t init[24];
    if (!Read(init, 24)) return false;
    width_ = init[0] << 8 | init[1];
    height_ = init[2] << 8 | init[3];
    std::vector<char> name(ntohl(Load32(init + 20)));
    if (!name.empty() && !Read(name.data(), name.size())) return false;
    // 32 bits per pixel, depth 24, little endian, true colour, red 16, green 8, blue 0.
    const uint8_t format[20] = {0, 0, 0, 0, 32, 24, 0, 1, 0, 255, 0, 255, 0, 255, 16, 8, 0, 0, 0, 0};
    const uint8_t encodings[8] = {2, 0, 0, 1, 0, 0, 0, 0};  // raw only
    return Write(format, 20) && Write(encodings, 8);
  }

  int Width() const { return width_; }
  int Height() const { return height_; }

  // The whole screen, row by row.
  bool Capture(std::vector<uint32_t>& pixels) {
    pixels.assign(static_cast<size_t>(width_) * height_, 0);
    const uint8_t request[10] = {3, 0, 0, 0, 0, 0, static_cast<uint8_t>(width_ >> 8), static_cast<uint8_t>(width_),
                                 static_cast<uint8_t>(height_ >> 8), static_cast<uint8_t>(height_)};
    if (!Write(request, 10)) return false;
    for (;;) {
      uint8_t type = 0;
      if (!Read(&type, 1)) return false;
      if (type == 0) break;
      if (type == 2) continue;  // bell
      if (type == 1) {          // colour map entries
        uint8_t h[5];
        if (!Read(h, 5)) return false;
        std::vector<uint8_t> skip(6u * (h[3] << 8 | h[4]));
        if (!skip.empty() && !Read(skip.data(), skip.size())) return false;
        continue;
      }
      if (type == 3) {  // cut text
        uint8_t h[7];
        if (!Read(h, 7)) return false;
        std::vector<uint8_t> skip(ntohl(Load32(h + 3)));
        if (!skip.empty() && !Read(skip.data(), skip.size())) return false;
        continue;
      }
      return false;
    }
    uint8_t h[3];
    if (!Read(h, 3)) return false;
    const int rects = h[1] << 8 | h[2];
    std::vector<uint8_t> data;
    for (int r = 0; r < rects; ++r) {
      uint8_t rh[12];
      if (!Read(rh, 12)) return false;
      const int x = rh[0] << 8 | rh[1], y = rh[2] << 8 | rh[3], w = rh[4] << 8 | rh[5], hh = rh[6] << 8 | rh[7];
      if (Load32(rh + 8) != 0) return false;  // raw only
      data.resize(static_cast<size_t>(w) * hh * 4);
      if (!data.empty() && !Read(data.data(), data.size())) return false;
      for (int row = 0; row < hh; ++row)
        for (int col = 0; col < w; ++col) {
          if (x + col >= width_ || y + row >= height_) continue;
          const uint8_t* p = &data[(static_cast<size_t>(row) * w + col) * 4];
          pixels[static_cast<size_t>(y + row) * width_ + x + col] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
    }
    return true;
  }

  // A left click at screen pixel (x, y).
  bool Click(int x, int y) {
    return Pointer(x, y, 0) && Pointer(x, y, 1) && Pointer(x, y, 0);
  }

 private:
  static uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  uint32_t Read32() {
    uint8_t b[4];
    return Read(b, 4) ? ntohl(Load32(b)) : 0xFFFFFFFFu;
  }
  bool Pointer(int x, int y, uint8_t buttons) {
    const uint8_t m[6] = {5, buttons, static_cast<uint8_t>(x >> 8), static_cast<uint8_t>(x),
                          static_cast<uint8_t>(y >> 8), static_cast<uint8_t>(y)};
    const bool ok = Write(m, 6);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // let the server hand each over on its own
    return ok;
  }
  bool Write(const void* data, size_t n) {
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
      const ssize_t w = ::send(fd_, p, n, MSG_NOSIGNAL);
      if (w <= 0) return false;
      p += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }
  // Reads exactly n bytes, waiting at most 10 s for each piece.
  bool Read(void* data, size_t n) {
    auto* p = static_cast<char*>(data);
    while (n > 0) {
      pollfd pf{fd_, POLLIN, 0};
      if (::poll(&pf, 1, 10000) <= 0) return false;
      const ssize_t r = ::recv(fd_, p, n, 0);
      if (r <= 0) return false;
      p += r;
      n -= static_cast<size_t>(r);
    }
    return true;
  }

  int fd_ = -1;
  int width_ = 0;
  int height_ = 0;
};
