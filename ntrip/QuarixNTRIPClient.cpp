#include "ntrip/QuarixNTRIPClient.h"

#include <QTimer>
#include <chrono>
#include <cstring>
#include <ctime>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "ntrip/ntripprotocol.h"
#include "platform/interrupted.h"

// ---------------------------------------------------------------------------
// Client

TQuarixNTRIPClient::TQuarixNTRIPClient(QObject* owner)
    : QObject(owner), forwarder_([this](const CorrectionForwarder::Loss& loss) {
        PostToMainThread([this, loss] {
          if (OnForwardLoss) OnForwardLoss(this, loss);
        });
      }) {
  ReconnectTimer = new QTimer(this);
  ReconnectTimer->setInterval(5000);
  ReconnectTimer->setSingleShot(true);
  connect(ReconnectTimer, &QTimer::timeout, this, [this] { ReconnectTimerTimer(ReconnectTimer); });
}

TQuarixNTRIPClient::~TQuarixNTRIPClient() { Disconnect(); }

void TQuarixNTRIPClient::Connect() {
  const bool keep = AutoReconnect;
  if (Connected || Worker) {
    Disconnect();
    AutoReconnect = keep;
  }
  if (CasterHost.empty()) {
    Log("Error: Caster address is empty");
    return;
  }
  BytesReceived = 0;
  BytesSent = 0;
  ReconnectTimer->stop();
  Log("Connecting to " + CasterHost + ":" + std::to_string(CasterPort));
  Worker = new TNTRIPWorkerThread(this, RequestMode);
  Worker->Start();
}

void TQuarixNTRIPClient::FreeWorker() {
  // Taken out of Worker first: a handler run while waiting below may connect
  // or disconnect again without touching the worker being stopped.
  TNTRIPWorkerThread* worker = Worker;
  if (!worker) return;
  Worker = nullptr;
  worker->Stop();
  {
    // Called from inside one of this worker's own hand-overs: let it go on.
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (running_) running_->done = true;
    queueCv_.notify_all();
  }
  while (!worker->Finished()) {
    ServeHandOvers();
    std::unique_lock<std::mutex> lock(queueMutex_);
    queueCv_.wait_for(lock, std::chrono::milliseconds(20),
                      [&] { return !queue_.empty() || worker->Finished(); });
  }
  worker->Join();
  delete worker;
  ServeHandOvers();  // the blocks it received last, before anything of a next connection
}

void TQuarixNTRIPClient::Disconnect() {
  AutoReconnect = false;
  ReconnectTimer->stop();
  FreeWorker();
  Connected = false;
  Status = 0;
  Log("Disconnected");
}

void TQuarixNTRIPClient::FetchSourceTable() {
  MountPoint.clear();
  AutoReconnect = false;
  Connect();
}

void TQuarixNTRIPClient::SetSerialHandle(platform::SerialHandle handle) {
  const bool set = handle != nullptr;
  forwarder_.SetPort(std::move(handle));
  Log(set ? "Serial port handle set" : "Serial port handle cleared");
}

platform::SerialHandle TQuarixNTRIPClient::GetSerialHandle() {
  platform::SerialHandle port = forwarder_.Port();
  if (port && !port->IsOpen()) {  // its owner closed it: never write to it again
    forwarder_.SetPort(nullptr);
    port.reset();
  }
  return port;
}

void TQuarixNTRIPClient::WriteToSerial(const char* data, int length) {
  if (length < 1 || !GetSerialHandle()) return;
  forwarder_.Push(data, std::size_t(length));
}

void TQuarixNTRIPClient::SetForwardHoldMs(int ms) { forwarder_.SetHoldMs(ms); }

std::size_t TQuarixNTRIPClient::ForwardWaiting() { return forwarder_.Waiting(); }

void TQuarixNTRIPClient::SetPosition(double latitude, double longitude, double altitude) {
  std::lock_guard<std::mutex> lock(PositionMutex);
  if (UseManualPosition) return;
  Latitude = latitude;
  Longitude = longitude;
  Altitude = altitude;
}

void TQuarixNTRIPClient::GetPosition(double& latitude, double& longitude, double& altitude) {
  std::lock_guard<std::mutex> lock(PositionMutex);
  latitude = Latitude;
  longitude = Longitude;
  altitude = Altitude;
}

std::string TQuarixNTRIPClient::ReceivedDataCopy() {
  std::lock_guard<std::mutex> lock(ReceivedDataMutex);
  return ReceivedData;
}

void TQuarixNTRIPClient::ReconnectTimerTimer(QObject*) {
  ReconnectTimer->stop();
  if (AutoReconnect && ReconnectAttempts < MaxReconnectAttempts) {
    ++ReconnectAttempts;
    Log("Reconnect attempt " + std::to_string(ReconnectAttempts) + "/" + std::to_string(MaxReconnectAttempts));
    Connect();
  } else if (ReconnectAttempts >= MaxReconnectAttempts) {
    Log("Max reconnect attempts reached");
  }
}

void TQuarixNTRIPClient::HandleStatus(int code, const std::string& message) {
  if (OnStatus) OnStatus(this, code, message);
  Log(message);
  // A refused login ends the series: trying the same password again and
  // again helps nobody and may lock the account.
  if (code == 4 && message.rfind("401", 0) == 0) AutoReconnect = false;
  if (code == 0 && AutoReconnect) {
    if (ReconnectAttempts < MaxReconnectAttempts) ReconnectTimer->start();
    else Log("Max reconnect attempts reached");
  }
}

void TQuarixNTRIPClient::HandleData(const uint8_t* data, int length) {
  if (OnData) OnData(this, data, length);
}

void TQuarixNTRIPClient::ParseSourceTable(const std::string& text) {
  ntrip::SourceTable table = ntrip::ParseSourceTable(text);
  MountPoints = std::move(table.mountPoints);
  MountPointNMEA = std::move(table.nmea);
  Log("Source table parsed: " + std::to_string(MountPoints.size()) + " mount points");
  HandleSourceTable(&MountPoints);
}

void TQuarixNTRIPClient::HandleSourceTable(const std::vector<std::string>* list) {
  if (OnSourceTable) OnSourceTable(this, list);
}

void TQuarixNTRIPClient::Log(const std::string& text) {
  if (OnLog) OnLog(this, text);
}

void TQuarixNTRIPClient::RunOnMainThread(std::function<void()> call) {
  auto item = std::make_shared<HandOver>();
  item->call = std::move(call);
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    queue_.push_back(item);
    queueCv_.notify_all();
  }
  QMetaObject::invokeMethod(this, [this] { ServeHandOvers(); }, Qt::QueuedConnection);
  std::unique_lock<std::mutex> lock(queueMutex_);
  queueCv_.wait(lock, [&] { return item->done; });
}

void TQuarixNTRIPClient::PostToMainThread(std::function<void()> call) {
  auto item = std::make_shared<HandOver>();
  item->call = std::move(call);
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    queue_.push_back(item);
  }
  QMetaObject::invokeMethod(this, [this] { ServeHandOvers(); }, Qt::QueuedConnection);
}

void TQuarixNTRIPClient::ServeHandOvers() {
  for (;;) {
    std::shared_ptr<HandOver> item, outer;
    {
      std::lock_guard<std::mutex> lock(queueMutex_);
      if (queue_.empty()) return;
      item = queue_.front();
      queue_.pop_front();
      outer = running_;
      running_ = item;
    }
    struct Release {
      TQuarixNTRIPClient* c;
      std::shared_ptr<HandOver> item, outer;
      ~Release() {
        std::lock_guard<std::mutex> lock(c->queueMutex_);
        item->done = true;
        c->running_ = outer;
        c->queueCv_.notify_all();
      }
    } release{this, item, outer};
    item->call();
  }
}

// ---------------------------------------------------------------------------
// Worker

namespace {
constexpr long kMaxPostedBytes = 1L << 20;
}  // namespace

TNTRIPWorkerThread::TNTRIPWorkerThread(TQuarixNTRIPClient* client, int requestMode)
    : Client(client), RequestMode(requestMode) {
  host_ = client->CasterHost;
  port_ = client->CasterPort;
  mountPoint_ = client->MountPoint;
  username_ = client->Username;
  password_ = client->Password;
}

TNTRIPWorkerThread::~TNTRIPWorkerThread() {
  Stop();
  Join();
}

void TNTRIPWorkerThread::Start() {
  thread_ = std::thread([this] {
    Execute();
    std::lock_guard<std::mutex> lock(Client->queueMutex_);
    finished_ = true;
    Client->queueCv_.notify_all();
  });
}

void TNTRIPWorkerThread::Join() {
  if (thread_.joinable()) thread_.join();
}

void TNTRIPWorkerThread::Stop() {
  StopRequested = true;
  std::lock_guard<std::mutex> lock(socketMutex_);
  if (socket_ != -1) ::shutdown(socket_, SHUT_RDWR);
}

void TNTRIPWorkerThread::CloseSocket() {
  std::lock_guard<std::mutex> lock(socketMutex_);
  if (socket_ != -1) {
    ::close(socket_);
    socket_ = -1;
  }
}

void TNTRIPWorkerThread::ReportStatus(int code, const std::string& message) {
  Client->Status = code;
  StatusCode = code;
  StatusMessage = message;
  Client->RunOnMainThread([c = Client, code, message] { c->HandleStatus(code, message); });
}

void TNTRIPWorkerThread::HandleReceivedData(const char* data, int length) {
  Client->BytesReceived += length;
  {
    std::lock_guard<std::mutex> lock(Client->ReceivedDataMutex);
    ntrip::AppendTail(Client->ReceivedData, data, std::size_t(length));
  }
  // The receiver gets the block first, whatever the user-interface thread is doing.
  if (Client->ForwardToSerial) Client->WriteToSerial(data, length);
  // The block is copied so the main thread never reads the receive buffer.
  // While that thread does not come round, blocks beyond a bound are not
  // handed over (they are forwarded and counted all the same).
  if (Client->postedBytes_ > kMaxPostedBytes) return;
  Client->postedBytes_ += length;
  Client->PostToMainThread([c = Client, block = std::string(data, std::size_t(length))] {
    c->postedBytes_ -= long(block.size());
    c->HandleData(reinterpret_cast<const uint8_t*>(block.data()), int(block.size()));
  });
}

std::string TNTRIPWorkerThread::BuildGGA() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  double lat, lon, alt;
  Client->GetPosition(lat, lon, alt);
  return ntrip::BuildGGA(utc.tm_hour, utc.tm_min, utc.tm_sec, lat, lon, alt);
}

void TNTRIPWorkerThread::SendGGA() {
  int s;
  {
    std::lock_guard<std::mutex> lock(socketMutex_);
    s = socket_;
  }
  if (s == -1) return;
  const std::string sentence = BuildGGA() + "\r\n";
  const std::size_t n = platform::SendWhole(s, sentence.data(), sentence.size());
  if (n > 0) Client->BytesSent += int(n);
  // A report the caster did not take is told once, and once when reports go
  // through again; a broken connection shows in the next receive.
  if (n < sentence.size()) {
    if (ggaFailures_.Failed() && !StopRequested) {
      const std::string line = std::string("GGA report not sent: ") + std::strerror(errno);
      Client->PostToMainThread([c = Client, line] { c->Log(line); });
    }
  } else if (ggaFailures_.Succeeded()) {
    const std::string line = "GGA reports are sent again (" + std::to_string(ggaFailures_.Amount()) + " not sent)";
    Client->PostToMainThread([c = Client, line] { c->Log(line); });
  }
}

void TNTRIPWorkerThread::Execute() {
  using Clock = std::chrono::steady_clock;
  ReportStatus(1, "Connecting to " + host_ + ":" + std::to_string(port_));

  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host_.c_str(), nullptr, &hints, &found) != 0 || !found) {
    ReportStatus(4, "Failed to resolve host: " + host_);
    return;
  }
  sockaddr_in address = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
  ::freeaddrinfo(found);
  address.sin_port = htons(uint16_t(port_));

  const int s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s < 0) {
    ReportStatus(4, "Failed to create socket");
    return;
  }
  {
    std::lock_guard<std::mutex> lock(socketMutex_);
    socket_ = s;
  }
  constexpr int kTimeoutSeconds = 30;  // a receive, a send, the connect
  timeval timeout{kTimeoutSeconds, 0};
  ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  if (StopRequested || platform::ConnectCarryingOn(s, reinterpret_cast<sockaddr*>(&address), sizeof address,
                                                   kTimeoutSeconds * 1000) != 0) {
    CloseSocket();
    if (!StopRequested) ReportStatus(4, "Failed to connect to " + host_);
    return;
  }

  const std::string request = ntrip::BuildRequest(RequestMode, host_, mountPoint_, username_, password_);
  if (!request.empty() && platform::SendWhole(s, request.data(), request.size()) < request.size() &&
      !StopRequested) {
    // The answer's receive below tells the connection closed.
    const std::string line = std::string("Request not sent: ") + std::strerror(errno);
    Client->PostToMainThread([c = Client, line] { c->Log(line); });
  }

  auto lastGGA = Clock::now();
  const auto ggaDue = [&] {
    const int interval = Client->GGAInterval;
    return interval >= 1 && Clock::now() - lastGGA >= std::chrono::seconds(interval);
  };
  char buffer[4096];
  std::string header, sourceTable;
  bool headerComplete = false, inSourceTable = false;
  const auto handOverTable = [&] {
    Client->RunOnMainThread([c = Client, sourceTable] { c->ParseSourceTable(sourceTable); });
  };

  const auto refuse = [this](const ntrip::ResponseCheck& check) {
    if (!check.serverLine.empty()) {
      const std::string line = "Server response: " + check.serverLine;
      Client->RunOnMainThread([c = Client, line] { c->Log(line); });
    }
    ReportStatus(4, check.refusal);
  };
  while (!StopRequested) {
    const ssize_t n = platform::RetryInterrupted([&] { return ::recv(s, buffer, sizeof buffer - 1, 0); });
    if (n <= 0) {
      if (StopRequested) break;
      // A caster may refuse with its status line alone and close (str2str
      // sends "HTTP/1.0 401 Unauthorized" and a line end): judge what arrived.
      if (!headerComplete && RequestMode < 2 && !header.empty()) {
        const ntrip::ResponseCheck check = ntrip::CheckResponse(header + "\r\n\r\n", mountPoint_);
        if (check.kind == ntrip::ResponseCheck::Refused) {
          refuse(check);
          break;
        }
      }
      ReportStatus(0, "Connection closed");
      break;
    }
    buffer[n] = 0;
    if (headerComplete || RequestMode >= 2) {
      if (inSourceTable) {
        const std::size_t before = sourceTable.size();
        sourceTable.append(buffer, std::size_t(n));
        if (sourceTable.size() > ntrip::kSourceTableLimit) {
          ReportStatus(4, "Unknown server response");
          break;
        }
        if (ntrip::FoundSince(sourceTable, before, "ENDSOURCETABLE")) {
          handOverTable();
          break;
        }
        continue;
      }
      HandleReceivedData(buffer, int(n));
      if (Client->Status != 3) ReportStatus(3, "Receiving correction data");
      if (ggaDue()) {
        SendGGA();
        lastGGA = Clock::now();
      }
      continue;
    }
    const std::size_t before = header.size();
    header.append(buffer, std::size_t(n));
    // The header can only be complete once a line end arrived.
    ntrip::ResponseCheck check;
    if (ntrip::FoundSince(header, before, "\n")) check = ntrip::CheckResponse(header, mountPoint_);
    if (check.kind == ntrip::ResponseCheck::Incomplete) {
      if (header.size() <= ntrip::kHeaderLimit) continue;
      ReportStatus(4, "Unknown server response");
      break;
    }
    headerComplete = true;
    if (check.kind == ntrip::ResponseCheck::Refused) {
      refuse(check);
      break;
    }
    if (check.kind == ntrip::ResponseCheck::SourceTable) {
      inSourceTable = true;
      sourceTable = std::move(check.rest);
      header.clear();
      if (sourceTable.find("ENDSOURCETABLE") != std::string::npos) {
        handOverTable();
        break;
      }
      continue;
    }
    ReportStatus(2, "Connected to " + mountPoint_);
    Client->Connected = true;
    Client->ReconnectAttempts = 0;
    SendGGA();
    lastGGA = Clock::now();
    header.clear();
    if (!check.rest.empty()) {
      HandleReceivedData(check.rest.data(), int(check.rest.size()));
      ReportStatus(3, "Receiving correction data");
    }
  }
  CloseSocket();
  Client->Connected = false;
  if (!StopRequested) ReportStatus(0, "Disconnected");
}
