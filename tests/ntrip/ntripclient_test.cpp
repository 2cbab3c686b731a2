#include "ntrip/QuarixNTRIPClient.h"
#include "tests/support/tempenv.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QTimer>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "ntrip/ntripprotocol.h"
#include "ntrip/rtcm3.h"
#include "tests/ntrip/fakecaster.h"
#include "tests/ntrip/str2str.h"

namespace {

// A client wired to record everything it reports.
struct Recorder {
  std::vector<std::pair<int, std::string>> statuses;
  std::vector<std::string> logs;
  std::string data;
  std::vector<std::vector<std::string>> tables;
  TQuarixNTRIPClient client;  // last: its destructor still reports
  explicit Recorder(int port, const std::string& mount = "MP") {
    client.CasterHost = "127.0.0.1";
    client.CasterPort = port;
    client.MountPoint = mount;
    client.OnStatus = [this](TQuarixNTRIPClient*, int code, const std::string& m) { statuses.emplace_back(code, m); };
    client.OnLog = [this](TQuarixNTRIPClient*, const std::string& m) { logs.push_back(m); };
    client.OnData = [this](TQuarixNTRIPClient*, const uint8_t* d, int n) { data.append((const char*)d, n); };
    client.OnSourceTable = [this](TQuarixNTRIPClient*, const std::vector<std::string>* l) { tables.push_back(*l); };
  }
  int Count(int code) const {
    int n = 0;
    for (const auto& s : statuses) n += s.first == code;
    return n;
  }
  bool Logged(const std::string& line) const { return std::find(logs.begin(), logs.end(), line) != logs.end(); }
};

// A pseudo terminal standing in for the receiver's serial port.
struct Pty {
  int master = -1;
  platform::SerialHandle port;
  Pty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master);
    ::unlockpt(master);
    port = platform::SerialPort::Open(::ptsname(master), platform::SerialLineSettings{});
  }
  ~Pty() {
    if (port) port->Close();
    ::close(master);
  }
  std::string ReadAvailable(std::size_t want) {
    std::string out;
    while (out.size() < want) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, 5000) <= 0) break;
      char buf[4096];
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, std::size_t(n));
    }
    return out;
  }
};

const QRegularExpression kGGA(R"(^\$GPGGA,\d{6},4130\.0000,S,02900\.7500,E,1,10,1\.0,12\.3,M,0\.0,M,,\*[0-9A-F]{2}\r\n)");

}  // namespace

TEST(NtripClient, InitialStateAndLocalOperations) {
  std::vector<std::string> logs;
  TQuarixNTRIPClient c;
  EXPECT_EQ(c.CasterPort, 2101);
  EXPECT_EQ(c.ReconnectTimer->interval(), 5000);
  EXPECT_FALSE(c.ReconnectTimer->isActive());
  EXPECT_EQ(c.MaxReconnectAttempts, 10);
  EXPECT_EQ(c.GGAInterval, 10);
  EXPECT_TRUE(c.AutoReconnect);
  EXPECT_TRUE(c.ForwardToSerial);

  c.OnLog = [&](TQuarixNTRIPClient*, const std::string& m) { logs.push_back(m); };
  c.Connect();  // no host
  EXPECT_EQ(logs, std::vector<std::string>{"Error: Caster address is empty"});
  EXPECT_EQ(c.Worker, nullptr);

  c.Status = 3;
  c.Connected = true;
  c.Disconnect();  // without a worker
  EXPECT_FALSE(c.AutoReconnect);
  EXPECT_FALSE(c.Connected);
  EXPECT_EQ(c.Status, 0);
  EXPECT_EQ(logs.back(), "Disconnected");

  c.SetPosition(1, 2, 3);
  c.UseManualPosition = true;
  c.SetPosition(4, 5, 6);
  double la, lo, al;
  c.GetPosition(la, lo, al);
  EXPECT_EQ(std::vector<double>({la, lo, al}), std::vector<double>({1, 2, 3}));
}

TEST(NtripClient, SerialWritesAndAClosedPortIsDropped) {
  Pty pty;
  ASSERT_TRUE(pty.port);
  TQuarixNTRIPClient c;
  c.WriteToSerial("abc", 3);  // no port: nothing
  c.SetSerialHandle(pty.port);
  c.WriteToSerial("xyz", 0);
  c.WriteToSerial("\xd3\x00\x01", 3);
  EXPECT_EQ(pty.ReadAvailable(3), std::string("\xd3\x00\x01", 3));
  pty.port->Close();
  c.WriteToSerial("late", 4);
  EXPECT_EQ(c.GetSerialHandle(), nullptr);
}

TEST(NtripClient, IcyStreamReachesPortBufferAndEvents) {
  const std::string frame("\xd3\x00\x02\x3e\xd0\x11\x22\x33\x00\x44", 10);
  FakeCaster caster({{{"ICY 200 OK\r\n" + frame}, false}});
  Pty pty;
  ASSERT_TRUE(pty.port);
  Recorder r(caster.Port());
  r.client.Username = "user";
  r.client.Password = "pass";
  r.client.SetSerialHandle(pty.port);
  r.client.SetPosition(-41.5, 29.0125, 12.34);
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.data.size() >= frame.size() && r.Count(3) == 1; }));

  EXPECT_EQ((std::vector<int>{r.statuses[0].first, r.statuses[1].first, r.statuses[2].first}),
            (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(r.statuses[0].second, "Connecting to 127.0.0.1:" + std::to_string(caster.Port()));
  EXPECT_EQ(r.statuses[1].second, "Connected to MP");
  EXPECT_EQ(r.statuses[2].second, "Receiving correction data");
  EXPECT_TRUE(r.client.Connected);
  EXPECT_EQ(r.data, frame);
  EXPECT_EQ(r.client.ReceivedDataCopy(), frame);
  EXPECT_EQ(r.client.BytesReceived, int(frame.size()));
  EXPECT_EQ(pty.ReadAvailable(frame.size()), frame);

  const std::string request = ntrip::BuildRequest(0, "127.0.0.1", "MP", "user", "pass");
  ASSERT_TRUE(PumpUntil([&] { return caster.Received(0).size() > request.size(); }));
  const std::string sent = caster.Received(0);
  EXPECT_EQ(sent.substr(0, request.size()), request);
  const std::string gga = sent.substr(request.size());
  EXPECT_TRUE(kGGA.match(QString::fromStdString(gga)).hasMatch()) << gga;
  EXPECT_EQ(r.client.BytesSent, int(gga.size()));

  const std::size_t before = r.statuses.size();
  r.client.Disconnect();
  EXPECT_EQ(r.client.Worker, nullptr);
  EXPECT_FALSE(r.client.Connected);
  EXPECT_EQ(r.client.Status, 0);
  EXPECT_EQ(r.statuses.size(), before);  // a requested stop reports nothing
  EXPECT_EQ(r.logs.back(), "Disconnected");
  EXPECT_FALSE(r.client.ReconnectTimer->isActive());
}

TEST(NtripClient, WhereTheCorrectionDataBegins) {
  struct Case {
    std::vector<std::string> chunks;
    int mode;
    std::string data;
    const char* requestHas;
  };
  const Case cases[] = {
      {{"ICY 200 OK\r\n\r\nAB"}, 0, "\r\nAB", "HTTP/1.0"},
      {{"HTTP/1.1 200 OK\r\nNtrip-Version: Ntrip/2.0\r\n\r\nAB"}, 1, "AB", "Ntrip-Version: Ntrip/2.0\r\n"},
      {{"HTTP/1.1 200 ", "OK\r\n", "\r\n", "CD", "EF"}, 0, "CDEF", "HTTP/1.0"},
  };
  for (const Case& c : cases) {
    FakeCaster caster({{c.chunks, false}});
    Recorder r(caster.Port());
    r.client.RequestMode = c.mode;
    r.client.GGAInterval = 0;
    r.client.Connect();
    EXPECT_TRUE(PumpUntil([&] { return r.data.size() >= c.data.size() && r.Count(3) == 1; })) << c.data;
    EXPECT_EQ(r.data, c.data);
    EXPECT_EQ(r.Count(2), 1);
    r.client.Disconnect();
    ASSERT_TRUE(PumpUntil([&] { return caster.Closed() == 1; }));
    const std::string sent = caster.Received(0);
    EXPECT_NE(sent.find(c.requestHas), std::string::npos) << sent;
    // GGA interval 0: only the report right after the caster accepted.
    EXPECT_EQ(QString::fromStdString(sent).count("$GPGGA"), 1) << sent;
  }
}

TEST(NtripClient, RawStreamSendsNothingAndNeverConnects) {
  const std::string frame("\xd3\x00\x00\x47\xea\x4b", 6);
  FakeCaster::Script s{{frame, "rest"}, false, false};
  FakeCaster caster({s});
  Recorder r(caster.Port());
  r.client.RequestMode = 2;
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.data.size() >= 10; }));
  EXPECT_EQ(r.data, frame + "rest");
  EXPECT_EQ(r.Count(2), 0);
  EXPECT_FALSE(r.client.Connected);
  r.client.Disconnect();
  ASSERT_TRUE(PumpUntil([&] { return caster.Closed() == 1; }));
  EXPECT_EQ(caster.Received(0), "");
}

TEST(NtripClient, SourceTableOverSeveralReads) {
  FakeCaster caster({{{"SOURCETABLE 200 OK\r\nContent-Type: text/plain\r\n\r\nSTR;A;Aa;RTCM 3;x;2;GPS;N;DEU;50;8;1;0\r\n",
                       "STR;B;Bb\r\nSTR;\r\n", "ENDSOURCE", "TABLE\r\n"},
                      false}});
  Recorder r(caster.Port(), "WILL_BE_CLEARED");
  r.client.FetchSourceTable();
  ASSERT_TRUE(PumpUntil([&] { return r.Count(0) == 1; }));
  EXPECT_EQ(r.tables, (std::vector<std::vector<std::string>>{{"A", "B"}}));
  EXPECT_EQ(r.client.MountPointNMEA, (std::vector<std::string>{"1", "0"}));
  EXPECT_EQ(r.statuses.back(), (std::pair<int, std::string>{0, "Disconnected"}));
  EXPECT_TRUE(r.Logged("Source table parsed: 2 mount points"));
  EXPECT_FALSE(r.client.ReconnectTimer->isActive());
  EXPECT_EQ(r.client.MountPoint, "");
  EXPECT_EQ(r.client.ReceivedDataCopy(), "");
  EXPECT_EQ(caster.Received(0).rfind("GET / HTTP/1.0\r\n", 0), 0u);
}

TEST(NtripClient, Refusals) {
  struct Case { const char* answer; bool close; const char* status; const char* log; };
  const Case cases[] = {
      {"HTTP/1.0 401 Unauthorized\r\n\r\n", false, "401 - Invalid username or password", nullptr},
      // str2str's answer to a wrong password: the status line alone, then it closes.
      {"HTTP/1.0 401 Unauthorized\r\n", true, "401 - Invalid username or password", nullptr},
      {"HTTP/1.0 404 Not Found\r\n\r\n", false, "404 - Mount point not found: MP", nullptr},
      {"HTTP/1.0 404 Not Found", true, "404 - Mount point not found: MP", nullptr},
      {"HTTP/1.0 403 Forbidden\r\n\r\n", false, "403 - Access forbidden", nullptr},
      {"HTTP/1.1 500 Internal Server Error\r\n\r\n", false, "Unknown server response",
       "Server response: HTTP/1.1 500 Internal Server Error"},
  };
  for (const Case& c : cases) {
    FakeCaster caster({{{c.answer}, c.close}});
    Recorder r(caster.Port());
    r.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return r.Count(0) == 1; })) << c.answer;
    ASSERT_EQ(r.statuses.size(), 3u);
    EXPECT_EQ(r.statuses[1], (std::pair<int, std::string>{4, c.status}));
    EXPECT_EQ(r.statuses[2], (std::pair<int, std::string>{0, "Disconnected"}));
    if (c.log) {
      EXPECT_TRUE(r.Logged(c.log));
    }
    // A refusal is tried again, but a wrong password is not.
    const bool login = std::string(c.status).rfind("401", 0) == 0;
    EXPECT_EQ(r.client.ReconnectTimer->isActive(), !login) << c.answer;
    EXPECT_EQ(r.client.AutoReconnect, !login) << c.answer;
    r.client.Disconnect();
    EXPECT_FALSE(r.client.ReconnectTimer->isActive());
  }
}

TEST(NtripClient, HeaderAndSourceTableFloodsAreCutAtTheirCaps) {
  // A raw stream read as an NTRIP 1.0 answer: lines that never end a header.
  std::string lines;
  while (lines.size() < 64 * 1024) lines += std::string(98, 'x') + "\r\n";
  // A source table that never ends.
  std::string table = "SOURCETABLE 200 OK\r\n\r\n";
  std::vector<std::string> tableChunks{table};
  for (int i = 0; i < 10; ++i) tableChunks.push_back(std::string(128 * 1024, 'y') + "\r\n");
  struct Case { std::vector<std::string> chunks; bool fetch; std::size_t cap; };
  const Case cases[] = {{{lines, lines}, false, ntrip::kHeaderLimit}, {tableChunks, true, ntrip::kSourceTableLimit}};
  for (const Case& c : cases) {
    FakeCaster caster({{c.chunks, false}});
    Recorder r(caster.Port());
    if (c.fetch) r.client.FetchSourceTable();
    else r.client.Connect();
    ASSERT_TRUE(PumpUntil([&] { return r.Count(0) == 1; })) << c.cap;
    EXPECT_EQ(r.statuses[r.statuses.size() - 2], (std::pair<int, std::string>{4, "Unknown server response"}));
    EXPECT_TRUE(r.tables.empty());
    r.client.Disconnect();
  }
}

TEST(NtripClient, NoCasterListeningEndsTheAttempts) {
  Recorder r(FakeCaster::ClosedPort());
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.Count(4) == 1 && r.client.Worker->Finished(); }));
  EXPECT_EQ(r.statuses.back(), (std::pair<int, std::string>{4, "Failed to connect to 127.0.0.1"}));
  EXPECT_EQ(r.Count(0), 0);
  EXPECT_FALSE(r.client.ReconnectTimer->isActive());
}

TEST(NtripClient, ReconnectsAfterALostConnection) {
  FakeCaster caster({{{"ICY 200 OK\r\nX"}, true}});
  Recorder r(caster.Port());
  r.client.ReconnectTimer->setInterval(20);  // 5 s in use
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return caster.Connections() >= 3 && r.Count(3) >= 3; }));
  r.client.Disconnect();
  // One lost connection followed by one attempt.
  const std::string connecting = "Connecting to 127.0.0.1:" + std::to_string(caster.Port());
  const std::vector<std::string> expected{"Connection closed", "Disconnected", "Reconnect attempt 1/10",
                                          "Disconnected", connecting, connecting};
  auto at = std::find(r.logs.begin(), r.logs.end(), "Connection closed");
  ASSERT_GE(r.logs.end() - at, 6);
  EXPECT_EQ(std::vector<std::string>(at, at + 6), expected);
  // Every accepted connection starts a fresh series.
  EXPECT_FALSE(r.Logged("Reconnect attempt 2/10"));
  EXPECT_EQ(r.client.ReconnectAttempts, 0);
}

TEST(NtripClient, ReconnectAttemptsStopAtTheLimit) {
  FakeCaster caster({{{"HTTP/1.0 404 Not Found\r\n\r\n"}, true}});
  Recorder r(caster.Port());
  r.client.ReconnectTimer->setInterval(10);
  r.client.MaxReconnectAttempts = 3;
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.Count(0) == 4; }));
  EXPECT_FALSE(r.client.ReconnectTimer->isActive());
  EXPECT_EQ(r.client.ReconnectAttempts, 3);
  EXPECT_TRUE(r.Logged("Reconnect attempt 3/3"));
  EXPECT_EQ(r.logs.back(), "Max reconnect attempts reached");
  EXPECT_EQ(caster.Connections(), 4);
}

TEST(NtripClient, DisconnectFromInsideAStatusHandlerDoesNotHang) {
  FakeCaster caster({{{"ICY 200 OK\r\n", "data"}, false}});
  Recorder r(caster.Port());
  r.client.OnStatus = [&](TQuarixNTRIPClient* c, int code, const std::string& m) {
    r.statuses.emplace_back(code, m);
    if (code == 2) c->Disconnect();
  };
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.Count(2) == 1 && r.client.Worker == nullptr; }));
  EXPECT_FALSE(r.client.Connected);
  EXPECT_EQ(r.client.Status, 0);
}

TEST(NtripClient, DisconnectInsideAHandOverServedWhileDisconnecting) {
  // The data handler disconnects; while that waits for the worker, the
  // worker's next report reaches a status handler that disconnects again.
  FakeCaster caster({{{"ICY 200 OK\r\ndata"}, false}});
  Recorder r(caster.Port());
  r.client.OnData = [&](TQuarixNTRIPClient* c, const uint8_t*, int) { c->Disconnect(); };
  r.client.OnStatus = [&](TQuarixNTRIPClient* c, int code, const std::string& m) {
    r.statuses.emplace_back(code, m);
    if (code == 3) c->Disconnect();
  };
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.Count(3) == 1 && r.client.Worker == nullptr; }));
  EXPECT_FALSE(r.client.Connected);
  EXPECT_EQ(r.client.Status, 0);
  EXPECT_TRUE(PumpUntil([&] { return caster.Closed() == 1; }));
}

TEST(NtripClient, DestroyingAConnectedClientStopsItsWorker) {
  FakeCaster caster({{{"ICY 200 OK\r\n"}, false}});
  auto* r = new Recorder(caster.Port());
  r->client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r->Count(2) == 1; }));
  delete r;  // joins the worker; the caster sees the connection end
  SUCCEED();
}

TEST(NtripClient, PeriodicGGAReportsGoOutWithArrivingBlocks) {
  // 30 blocks about 40 ms apart: more than one second of stream.
  std::vector<std::string> chunks{"ICY 200 OK\r\n"};
  for (int i = 0; i < 30; ++i) chunks.push_back("block");
  FakeCaster caster({{chunks, true}});
  Recorder r(caster.Port());
  r.client.GGAInterval = 1;
  r.client.AutoReconnect = false;
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.Count(0) == 2 && caster.Closed() == 1; }));
  const int reports = QString::fromStdString(caster.Received(0)).count("$GPGGA");
  EXPECT_GE(reports, 2);
  EXPECT_LT(reports, 10);  // not one per block
  EXPECT_EQ(r.data.size(), 150u);
  EXPECT_EQ(r.client.BytesReceived, 150);
}

// ---------------------------------------------------------------------------
// Against RTKLIB's str2str as the caster.

namespace {

std::string ReadCapture(const std::string& name) {
  std::ifstream in(TestData("rtcm3/" + name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A str2str caster and a client of its mount point with the right password,
// writing into a pseudo terminal as the receiver's port.
class NtripClientWithStr2str : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Str2str::Installed()) GTEST_SKIP() << "str2str (rtklib) is not installed";
    ASSERT_TRUE(caster.Feed());
    ASSERT_TRUE(pty.port);
    r.client.Username = "user";
    r.client.Password = "secret";
    r.client.SetSerialHandle(pty.port);
  }
  Str2str caster;
  Pty pty;
  Recorder r{caster.CasterPort()};
};

}  // namespace

TEST_F(NtripClientWithStr2str, CorrectionsReachThePortUnchangedAndTheGGAReachesTheCaster) {
  r.client.SetPosition(47.99999999, 11.99999999, 0);  // minutes that round up to 60
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.Count(2) == 1; }));

  // The GGA report the client sends on acceptance comes back through -b.
  ASSERT_TRUE(PumpUntil([&] { return caster.Relayed().find("\r\n") != std::string::npos; }));
  const std::string gga = caster.Relayed();
  EXPECT_EQ(gga.rfind("$GPGGA,", 0), 0u) << gga;
  EXPECT_NE(gga.find(",4800.0000,N,01200.0000,E,"), std::string::npos) << gga;

  const std::string capture = ReadCapture("pygpsdata-MIXED-RTCM3.log");
  ASSERT_FALSE(capture.empty());
  caster.Send(capture);
  ASSERT_TRUE(PumpUntil([&] { return r.data.size() >= capture.size(); }));
  EXPECT_EQ(r.data, capture);
  EXPECT_EQ(pty.ReadAvailable(capture.size()), capture);
  r.client.Disconnect();
}

TEST_F(NtripClientWithStr2str, AWrongPasswordIs401AndNotTriedAgain) {
  r.client.Password = "wrong";
  r.client.ReconnectTimer->setInterval(10);
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.Count(0) == 1; }));
  PumpUntil([] { return false; }, 200);  // no further attempt may start
  EXPECT_EQ(r.Count(4), 1);
  EXPECT_NE(std::find(r.statuses.begin(), r.statuses.end(),
                      std::pair<int, std::string>{4, "401 - Invalid username or password"}),
            r.statuses.end());
  EXPECT_FALSE(r.client.ReconnectTimer->isActive());
  EXPECT_FALSE(r.Logged("Reconnect attempt 1/10"));
}

// A caster sending 1,000 bytes at a time while the user-interface thread is
// held busy (an import, a screenshot): the blocks reach the receiver's port
// all the same, and are handed to that thread, in order, once it is free.
TEST_F(NtripClientWithStr2str, CorrectionsReachThePortWhileTheWindowThreadIsBusy) {
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.Count(2) == 1; }));
  caster.Send("first");
  ASSERT_TRUE(PumpUntil([&] { return r.Count(3) == 1; }));
  ASSERT_EQ(pty.ReadAvailable(5), "first");

  // From here on this thread serves no event until every block has reached
  // the port: each block must arrive without its help.
  std::string sent, forwarded;
  for (int i = 0; i < 30; ++i) {
    const std::string block(1000, char('A' + i % 26));
    caster.Send(block);
    sent += block;
    forwarded += pty.ReadAvailable(block.size());
    ASSERT_EQ(forwarded.size(), sent.size()) << "block " << i << " did not reach the port";
  }
  EXPECT_EQ(forwarded, sent);
  EXPECT_EQ(r.data, "first");  // nothing was handed over meanwhile
  ASSERT_TRUE(PumpUntil([&] { return r.data.size() >= 5 + sent.size(); }));
  EXPECT_EQ(r.data, "first" + sent);
  r.client.Disconnect();
}

namespace {

// A stream of distinct RTCM 3 frames (MSM7 of GPS, numbered in the payload),
// cut into chunks for the caster; the first chunk opens with the ICY line.
struct FrameStream {
  std::vector<std::string> frames;
  std::vector<std::string> chunks;
  std::string all;
  FrameStream(int chunkCount, int framesPerChunk, std::size_t payloadSize) {
    for (int c = 0; c < chunkCount; ++c) {
      std::string chunk = c == 0 ? "ICY 200 OK\r\n" : "";
      for (int f = 0; f < framesPerChunk; ++f) {
        const uint32_t n = uint32_t(frames.size());
        std::string payload = {char(1077 >> 4), char((1077 & 0xF) << 4), char(n >> 24), char(n >> 16),
                               char(n >> 8), char(n)};
        payload.resize(payloadSize, char(0x5A));
        frames.push_back(rtcm3::MakeFrame(payload));
        chunk += frames.back();
        all += frames.back();
      }
      chunks.push_back(chunk);
    }
  }
  // The sequence numbers of the whole frames that make up `got`; false when
  // `got` holds anything else (a piece of a frame, a frame out of order).
  bool WholeFramesInOrder(const std::string& got, std::vector<uint32_t>& numbers) const {
    std::size_t p = 0;
    while (p < got.size()) {
      const long length = rtcm3::FrameAt(reinterpret_cast<const uint8_t*>(got.data()) + p, got.size() - p);
      if (length <= 0) return false;
      const auto* b = reinterpret_cast<const uint8_t*>(got.data()) + p + 5;
      const uint32_t n = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
      if (n >= frames.size() || got.compare(p, std::size_t(length), frames[n]) != 0) return false;
      if (!numbers.empty() && n <= numbers.back()) return false;
      numbers.push_back(n);
      p += std::size_t(length);
    }
    return true;
  }
};

struct LossRecorder {
  std::vector<CorrectionForwarder::Loss> losses;
  explicit LossRecorder(TQuarixNTRIPClient& c) {
    c.OnForwardLoss = [this](TQuarixNTRIPClient*, const CorrectionForwarder::Loss& l) { losses.push_back(l); };
  }
};

// Taken on the worker's thread: a lock-free atomic, safe in a handler.
std::atomic<int> signalsTaken{0};
extern "C" void CountSignal(int) { signalsTaken.fetch_add(1, std::memory_order_relaxed); }

}  // namespace

// The receiver's port drains more slowly than the caster sends (a receiver
// left at a low rate, a port held by flow control): corrections that waited
// past the hold are dropped as whole frames, oldest first; the loss is told
// with its amount when it begins and again when the port keeps up.
TEST(NtripClient, APortSlowerThanTheCasterLosesWholeFramesAndTellsIt) {
  const FrameStream stream(40, 20, 200);  // 40 chunks of 20 frames, 163 kB
  FakeCaster caster({{stream.chunks, false}});
  Pty pty;  // its other side is not read until the caster is through
  ASSERT_TRUE(pty.port);
  Recorder r(caster.Port());
  LossRecorder loss(r.client);
  r.client.SetForwardHoldMs(300);
  r.client.SetSerialHandle(pty.port);
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.data.size() >= stream.all.size(); }));
  ASSERT_TRUE(PumpUntil([&] { return !loss.losses.empty(); }));
  EXPECT_TRUE(loss.losses.front().dropping);
  EXPECT_GT(loss.losses.front().bytes, 0u);
  EXPECT_GT(loss.losses.front().frames, 0u);
  EXPECT_EQ(loss.losses.size(), 1u);  // told once, however long it lasts

  // The port keeps up again: what waited is written, and that is told too.
  std::string got;
  const auto readSome = [&](int waitMs) {
    pollfd p{pty.master, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return false;
    char buf[65536];
    const ssize_t n = ::read(pty.master, buf, sizeof buf);
    if (n > 0) got.append(buf, std::size_t(n));
    return n > 0;
  };
  ASSERT_TRUE(PumpUntil([&] {
    readSome(0);
    return loss.losses.size() == 2 && r.client.ForwardWaiting() == 0;
  }));
  while (readSome(300)) {
  }
  const CorrectionForwarder::Loss& end = loss.losses.back();
  EXPECT_FALSE(end.dropping);
  std::vector<uint32_t> numbers;
  ASSERT_TRUE(stream.WholeFramesInOrder(got, numbers)) << "the receiver got a piece of a frame";
  EXPECT_EQ(got.size() + end.bytes, stream.all.size());
  EXPECT_EQ(numbers.size() + end.frames, stream.frames.size());
  EXPECT_EQ(numbers.back(), stream.frames.size() - 1);  // the newest are kept
  r.client.Disconnect();
}

// A port that takes nothing for 2 s (flow control, a receiver busy) and then
// keeps up loses nothing: the receiver gets the stream byte for byte.
TEST(NtripClient, APortThatStallsTwoSecondsLosesNothing) {
  const FrameStream stream(50, 10, 400);  // 50 chunks of 10 frames, 203 kB in 2 s: more than a terminal holds
  FakeCaster caster({{stream.chunks, false}});
  Pty pty;
  ASSERT_TRUE(pty.port);
  Recorder r(caster.Port());
  LossRecorder loss(r.client);
  r.client.SetSerialHandle(pty.port);
  r.client.Connect();
  PumpUntil([] { return false; }, 2000);  // the port's reader stalls
  EXPECT_GT(r.client.ForwardWaiting(), 0u);
  std::string got;
  while (got.size() < stream.all.size()) {
    QCoreApplication::processEvents();
    const std::string more = pty.ReadAvailable(1);
    if (more.empty()) break;
    got += more;
  }
  EXPECT_EQ(got.size(), stream.all.size());
  EXPECT_TRUE(got == stream.all) << "the stream reached the port changed";
  PumpUntil([&] { return r.data.size() >= stream.all.size(); });
  EXPECT_TRUE(loss.losses.empty());
  r.client.Disconnect();
}

// A signal caught while the worker waits in its receive (a handler installed
// without SA_RESTART; a stop and continue of the program does the same to a
// receive with a time-out) interrupts the call: the connection is kept and
// every byte still arrives.
TEST(NtripClient, AReceiveInterruptedByASignalKeepsTheConnection) {
  struct sigaction sa {}, old {};
  sa.sa_handler = CountSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART
  ASSERT_EQ(::sigaction(SIGUSR1, &sa, &old), 0);

  const FrameStream stream(25, 1, 50);  // a frame every 40 ms: the worker mostly waits in its receive
  FakeCaster caster({{stream.chunks, false}});
  Pty pty;
  ASSERT_TRUE(pty.port);
  Recorder r(caster.Port());
  r.client.SetSerialHandle(pty.port);
  r.client.Connect();
  ASSERT_TRUE(PumpUntil([&] { return r.Count(3) == 1; }));
  signalsTaken = 0;
  while (r.data.size() < stream.all.size() && r.Count(0) == 0) {
    if (r.client.Worker) ::pthread_kill(r.client.Worker->NativeHandle(), SIGUSR1);
    PumpUntil([] { return false; }, 7);
  }
  EXPECT_GT(signalsTaken.load(), 10);
  EXPECT_EQ(r.Count(0), 0) << "the interrupted receive was taken as a closed connection";
  EXPECT_TRUE(r.client.Connected);
  EXPECT_TRUE(r.data == stream.all);
  EXPECT_TRUE(pty.ReadAvailable(stream.all.size()) == stream.all);
  r.client.Disconnect();
  ::sigaction(SIGUSR1, &old, nullptr);
}
