#pragma once
// The NTRIP client: fetches RTCM corrections from a caster on a worker thread
// (one per connection), writes them into the GNSS receiver's serial port,
// reports to the user-interface thread and reconnects by itself.
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ntrip/correctionforwarder.h"
#include "platform/failurerun.h"
#include "platform/serialport.h"

class QTimer;
class TNTRIPWorkerThread;

class TQuarixNTRIPClient : public QObject {
  Q_OBJECT
 public:
  explicit TQuarixNTRIPClient(QObject* owner = nullptr);
  ~TQuarixNTRIPClient() override;

  std::string CasterHost;
  int CasterPort = 2101;
  std::string Username;
  std::string Password;
  std::string MountPoint;
  int RequestMode = 0;           // 0 NTRIP 1.0, 1 NTRIP 2.0, 2 or more raw stream
  // Rover position for the GGA reports; written through SetPosition (or under
  // PositionMutex), read by the worker under PositionMutex.
  double Latitude = 0;
  double Longitude = 0;
  double Altitude = 0;
  bool UseManualPosition = false;
  std::mutex PositionMutex;
  std::atomic<bool> ForwardToSerial{true};
  std::atomic<int> Status{0};
  std::atomic<bool> Connected{false};
  std::atomic<int> BytesReceived{0};
  std::atomic<int> BytesSent{0};
  std::atomic<int> ReconnectAttempts{0};
  int MaxReconnectAttempts = 10;
  bool AutoReconnect = true;
  // The newest received correction bytes (at most 8192); read with ReceivedDataCopy.
  std::string ReceivedData;
  std::mutex ReceivedDataMutex;
  TNTRIPWorkerThread* Worker = nullptr;
  QTimer* ReconnectTimer;        // 5000 ms, one shot
  std::atomic<int> GGAInterval{10};  // seconds
  std::vector<std::string> MountPoints;
  std::vector<std::string> MountPointNMEA;

  std::function<void(TQuarixNTRIPClient*, int, const std::string&)> OnStatus;
  std::function<void(TQuarixNTRIPClient*, const uint8_t*, int)> OnData;
  std::function<void(TQuarixNTRIPClient*, const std::vector<std::string>*)> OnSourceTable;
  std::function<void(TQuarixNTRIPClient*, const std::string&)> OnLog;
  // Corrections the port could not take were dropped (dropping true, the
  // amount so far), or the port keeps up again (false, the run's amount).
  std::function<void(TQuarixNTRIPClient*, const CorrectionForwarder::Loss&)> OnForwardLoss;

  void Connect();
  void Disconnect();
  void FetchSourceTable();
  // The port that receives the corrections; it is borrowed, never closed here.
  void SetSerialHandle(platform::SerialHandle handle);
  platform::SerialHandle GetSerialHandle();
  // Hands a block to the port's forwarder, which writes it without making
  // the caller wait; a port that has been closed meanwhile is dropped and
  // receives nothing more. Called on the worker thread.
  void WriteToSerial(const char* data, int length);
  // How long corrections wait for a port that does not take them.
  void SetForwardHoldMs(int ms);
  std::size_t ForwardWaiting();
  void SetPosition(double latitude, double longitude, double altitude);
  // The position of one SetPosition call.
  void GetPosition(double& latitude, double& longitude, double& altitude);
  std::string ReceivedDataCopy();
  void ReconnectTimerTimer(QObject* Sender = nullptr);

  // Run on the user-interface thread through the worker's hand-over.
  void HandleStatus(int code, const std::string& message);
  void HandleData(const uint8_t* data, int length);
  void ParseSourceTable(const std::string& text);
  void HandleSourceTable(const std::vector<std::string>* list);
  void Log(const std::string& text);

  // Worker side of a hand-over: runs call on the user-interface thread and waits for it.
  void RunOnMainThread(std::function<void()> call);
  // The same without waiting, for the received blocks: the worker goes on
  // receiving and forwarding while the user-interface thread is busy.
  void PostToMainThread(std::function<void()> call);
  // Runs the pending hand-overs; on the user-interface thread.
  void ServeHandOvers();

 private:
  struct HandOver {
    std::function<void()> call;
    bool done = false;
  };
  std::mutex queueMutex_;
  std::condition_variable queueCv_;
  std::deque<std::shared_ptr<HandOver>> queue_;
  std::shared_ptr<HandOver> running_;  // the hand-over being run, if any
  std::atomic<long> postedBytes_{0};   // bytes of received blocks not yet handed over
  void FreeWorker();
  friend class TNTRIPWorkerThread;
  // Last: it stops (and stops reporting) before the hand-over queue goes.
  CorrectionForwarder forwarder_;
};

class TNTRIPWorkerThread {
 public:
  TNTRIPWorkerThread(TQuarixNTRIPClient* client, int requestMode);
  ~TNTRIPWorkerThread();  // joins the thread

  TQuarixNTRIPClient* Client;
  int RequestMode;
  std::atomic<bool> StopRequested{false};
  int StatusCode = 0;
  std::string StatusMessage;

  void Start();
  // Asks the thread to end; a blocked receive returns at once.
  void Stop();
  bool Finished() const { return finished_; }
  void Join();
  // The thread, for sending it a signal.
  std::thread::native_handle_type NativeHandle() { return thread_.native_handle(); }

  void ReportStatus(int code, const std::string& message);
  void HandleReceivedData(const char* data, int length);
  std::string BuildGGA();
  void SendGGA();

 private:
  void Execute();
  void CloseSocket();
  std::thread thread_;
  std::mutex socketMutex_;
  int socket_ = -1;
  std::atomic<bool> finished_{false};
  platform::FailureRun ggaFailures_;  // GGA reports the caster did not take
  // Settings of this connection, copied when the connection starts.
  std::string host_, mountPoint_, username_, password_;
  int port_ = 2101;
};
