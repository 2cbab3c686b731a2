#include "runtime/screenshots.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <cstring>
#include <exception>

#include "app/helpers.h"
#include "platform/clock.h"
#include "platform/prompts.h"

namespace {

std::string PlaceName(const std::vector<MonitorArea>& m, size_t self) {
  if (m.size() == 1) return "Primary";
  bool anyLeft = false, anyRight = false, anyAbove = false, anyBelow = false, sameLeft = true;
  for (size_t i = 0; i < m.size(); ++i) {
    if (i == self) continue;
    anyLeft = anyLeft || m[i].left < m[self].left;
    anyRight = anyRight || m[i].left > m[self].left;
    anyAbove = anyAbove || m[i].top < m[self].top;
    anyBelow = anyBelow || m[i].top > m[self].top;
    sameLeft = sameLeft && m[i].left == m[self].left;
  }
  if (!anyLeft && anyRight) return "Left";
  if (!anyRight && anyLeft) return "Right";
  if (anyLeft && anyRight) return "Middle";
  if (sameLeft && !anyAbove && anyBelow) return "Top";
  if (sameLeft && !anyBelow && anyAbove) return "Bottom";
  return "Monitor" + std::to_string(self + 1);
}

}  // namespace

std::vector<std::string> MonitorNames(const std::vector<MonitorArea>& monitors) {
  std::vector<std::string> names;
  for (size_t i = 0; i < monitors.size(); ++i) names.push_back(PlaceName(monitors, i));
  std::vector<std::string> unique = names;
  for (size_t i = 0; i < names.size(); ++i)
    if (std::count(names.begin(), names.end(), names[i]) > 1) unique[i] += std::to_string(i + 1);
  return unique;
}

std::string ScreenshotFolder(const std::string& dayLogFolder) {
  std::string day = dayLogFolder;
  while (!day.empty() && day.back() == '/') day.pop_back();
  const size_t slash = day.rfind('/');
  day = slash == std::string::npos ? std::string() : day.substr(0, slash + 1);
  return day + "PNG/";
}

std::string ScreenshotFileName(const std::string& folder, const QDateTime& tick,
                               const std::string& monitorName) {
  return folder + "QDM " + tick.toString("yyyy-MM-dd").toStdString() + " " +
         tick.toString("HHmmss").toStdString() + " " + monitorName + ".png";
}

const QImage& MonitorPicture(const QImage& shot, const QSize& size, QImage& canvas) {
  if (shot.format() == QImage::Format_RGB32 && shot.size() == size) return shot;
  if (canvas.size() != size || canvas.format() != QImage::Format_RGB32)
    canvas = QImage(size, QImage::Format_RGB32);
  const int width = std::min(shot.width(), size.width());
  const int height = std::min(shot.height(), size.height());
  constexpr quint32 kBlack = 0xFF000000u;
  for (int y = 0; y < size.height(); ++y) {
    auto* line = reinterpret_cast<quint32*>(canvas.scanLine(y));
    int done = 0;
    if (y < height) {
      // One row at a time: far below the size from which Qt spreads an image
      // conversion over its thread pool.
      QImage row(shot.constScanLine(y), shot.width(), 1, shot.bytesPerLine(), shot.format());
      if (shot.format() <= QImage::Format_Indexed8) row.setColorTable(shot.colorTable());
      const QImage rgb = row.convertToFormat(QImage::Format_RGB32);
      std::memcpy(line, rgb.constScanLine(0), static_cast<size_t>(width) * sizeof(quint32));
      done = width;
    }
    std::fill(line + done, line + size.width(), kBlack);
  }
  return canvas;
}

bool ScreenshotTaker::WritePng(const QImage& picture, const std::string& file) {
  // A 32-bit RGB picture is written as 24-bit RGB rows, without a copy.
  QImageWriter writer(QString::fromStdString(file), "png");
  writer.setQuality(0);  // the PNG writer's compression level 9
  return writer.write(picture);
}

ScreenshotTaker::ScreenshotTaker(Encoder encode) : encode_(std::move(encode)) {}

ScreenshotTaker::~ScreenshotTaker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (writer_.joinable()) writer_.join();
}

std::vector<std::string> ScreenshotTaker::Tick() {
  const std::string folder = ScreenshotFolder(DayLogFolder);
  if (!QDir().mkpath(QString::fromStdString(folder))) {
    ReportFailure("Screenshot folder could not be created: " + folder);
    return {};
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!waiting_.empty()) {
      // The writer is behind by a whole tick: taking more pictures would only
      // pile them up.
      if (!skipNoted_) LogEvent("Screenshots skipped: the pictures taken before are still being written");
      skipNoted_ = true;
      return {};
    }
  }
  skipNoted_ = false;
  const QDateTime tick = platform::Now();
  const QList<QScreen*> screens = QGuiApplication::screens();
  std::vector<MonitorArea> areas;
  for (const QScreen* s : screens) {
    const QRect g = s->geometry();
    areas.push_back({g.left(), g.top(), g.width(), g.height()});
  }
  const std::vector<std::string> names = MonitorNames(areas);
  std::vector<Picture> pictures;
  std::vector<std::string> files;
  for (int i = 0; i < screens.size(); ++i) {
    // What the system gives of the monitor (nothing on a platform without a
    // desktop to copy); the copy into a picture of the monitor's size, the
    // encoding and the writing are left to the writer.
    const QPixmap grabbed = screens[i]->grabWindow(0);
    Picture p{ScreenshotFileName(folder, tick, names[static_cast<size_t>(i)]),
              grabbed.isNull() ? QImage() : grabbed.toImage(),
              screens[i]->geometry().size() * screens[i]->devicePixelRatio()};
    files.push_back(p.file);
    pictures.push_back(std::move(p));
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.push_back(std::move(pictures));
  }
  changed_.notify_all();
  if (!writer_.joinable()) writer_ = std::thread([this] { Run(); });
  return files;
}

std::vector<std::string> ScreenshotTaker::WaitForPictures() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.empty() && !writing_; });
  }
  Deliver();
  return lastWritten_;
}

void ScreenshotTaker::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
    if (waiting_.empty()) return;  // stopping, and everything taken is written
    std::vector<Picture> pictures = std::move(waiting_.front());
    waiting_.pop_front();
    writing_ = true;
    lock.unlock();
    Written written = Write(pictures);
    pictures.clear();  // the grabs go before the next tick's come
    lock.lock();
    finished_.push_back(std::move(written));
    writing_ = false;
    changed_.notify_all();
    // Told on the calling thread, which takes whatever is finished by then.
    QMetaObject::invokeMethod(&context_, [this] { Deliver(); }, Qt::QueuedConnection);
  }
}

ScreenshotTaker::Written ScreenshotTaker::Write(std::vector<Picture>& pictures) {
  Written w;
  if (canvases_.size() < pictures.size()) canvases_.resize(pictures.size());
  for (size_t i = 0; i < pictures.size(); ++i) {
    Picture& p = pictures[i];
    bool written = false;
    try {
      written = encode_(MonitorPicture(p.shot, p.size, canvases_[i]), p.file);
    } catch (const std::exception&) {  // out of memory for the picture: it is not saved
    }
    if (written)
      w.files.push_back(p.file);
    else
      w.failures.push_back("Screenshot could not be saved: " + p.file);
    p.shot = QImage();
  }
  return w;
}

void ScreenshotTaker::Deliver() {
  std::vector<Written> finished;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished.swap(finished_);
  }
  for (const Written& w : finished) {
    for (const std::string& f : w.failures) ReportFailure(f);
    if (w.failures.empty()) failureReported_ = false;
    lastWritten_ = w.files;
  }
}

void ScreenshotTaker::ReportFailure(const std::string& what) {
  if (failureReported_) return;
  failureReported_ = true;
  prompts::ShowMessage(QString::fromStdString(what));
}
