#include "runtime/screenshots.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <algorithm>

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

ScreenshotTaker::~ScreenshotTaker() {
  if (pending_.valid()) pending_.wait();
}

std::vector<std::string> ScreenshotTaker::Tick() {
  Collect();  // one tick's pictures at a time, in order
  const std::string folder = ScreenshotFolder(DayLogFolder);
  if (!QDir().mkpath(QString::fromStdString(folder))) {
    ReportFailure("Screenshot folder could not be created: " + folder);
    return {};
  }
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
              grabbed.isNull() ? QImage() : grabbed.toImage(), screens[i]->geometry().size()};
    files.push_back(p.file);
    pictures.push_back(std::move(p));
  }
  pending_ = std::async(std::launch::async, [this, pictures = std::move(pictures)] {
    Written w = Write(pictures);
    // Told on the user-interface thread once written.
    QMetaObject::invokeMethod(&context_, [this] { Collect(); }, Qt::QueuedConnection);
    return w;
  });
  return files;
}

std::vector<std::string> ScreenshotTaker::WaitForPictures() {
  Collect();
  return lastWritten_;
}

ScreenshotTaker::Written ScreenshotTaker::Write(const std::vector<Picture>& pictures) {
  Written w;
  for (const Picture& p : pictures) {
    QImage picture(p.size, QImage::Format_RGB32);
    picture.fill(Qt::black);
    if (!p.shot.isNull()) {
      QPainter painter(&picture);
      painter.drawImage(0, 0, p.shot);
    }
    QImageWriter writer(QString::fromStdString(p.file), "png");
    writer.setQuality(0);  // the PNG writer's compression level 9
    if (writer.write(picture.convertToFormat(QImage::Format_RGB888)))
      w.files.push_back(p.file);
    else
      w.failures.push_back("Screenshot could not be saved: " + p.file);
  }
  return w;
}

void ScreenshotTaker::Collect() {
  if (!pending_.valid()) return;
  const Written w = pending_.get();
  for (const std::string& f : w.failures) ReportFailure(f);
  if (w.failures.empty()) failureReported_ = false;
  lastWritten_ = w.files;
}

void ScreenshotTaker::ReportFailure(const std::string& what) {
  if (failureReported_) return;
  failureReported_ = true;
  prompts::ShowMessage(QString::fromStdString(what));
}
