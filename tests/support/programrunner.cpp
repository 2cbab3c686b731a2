#include "tests/support/programrunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "app/textfile.h"

ProgramRunner::ProgramRunner() {
  QDir(dir_.path()).mkpath("home");
  QDir(dir_.path()).mkpath("prog");
  QFile::copy(QUARIX_EXE, QString::fromStdString(ProgramFolder() + "QuarixDM"));
  QFile::setPermissions(QString::fromStdString(ProgramFolder() + "QuarixDM"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

ProgramRunner::~ProgramRunner() { Stop(); }

std::string ProgramRunner::Home() const { return (dir_.path() + "/home/").toStdString(); }
std::string ProgramRunner::ProgramFolder() const { return (dir_.path() + "/prog/").toStdString(); }
std::string ProgramRunner::SettingsFile() const { return ProgramFolder() + "QuarixDM.INI"; }

void ProgramRunner::WriteSettings(const std::string& text) {
  WriteFileAtomically(SettingsFile(), ToTextMode(text), 0600);
}

bool ProgramRunner::Start(const QProcessEnvironment& extra) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", dir_.path() + "/home");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("QT_LOGGING_RULES", "quarix.prompts=true");
  env.insert("QT_MESSAGE_PATTERN", "%{category}: %{message}");
  env.insert(extra);
  process_.setProcessEnvironment(env);
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.setWorkingDirectory(dir_.path());
  process_.start(QString::fromStdString(ProgramFolder() + "QuarixDM"), {});
  return process_.waitForStarted(10000);
}

bool ProgramRunner::WaitFor(const std::function<bool()>& cond, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < timeoutMs) {
    if (cond()) return true;
    process_.waitForReadyRead(50);
    output_ += QString::fromLocal8Bit(process_.readAll());
    QCoreApplication::processEvents();
  }
  return cond();
}

void ProgramRunner::Stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(5000);
  }
  output_ += QString::fromLocal8Bit(process_.readAll());
}

QString ProgramRunner::Output() {
  output_ += QString::fromLocal8Bit(process_.readAll());
  return output_;
}
