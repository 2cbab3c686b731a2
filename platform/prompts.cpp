#include "platform/prompts.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QFileDialog>
#include <QMessageBox>

#include "platform/termination.h"

namespace prompts {
namespace {
// Every text shown to the user is also logged (off unless enabled), so a run
// of the whole program can be checked for messages.
Q_LOGGING_CATEGORY(lcPrompts, "quarix.prompts", QtWarningMsg)

void LogShown(const QString& text) { qCInfo(lcPrompts).noquote() << text; }

bool gScripted = false;
Script gScript;

QMessageBox::Icon IconOf(Kind kind) {
  switch (kind) {
    case Kind::Information: return QMessageBox::Information;
    case Kind::Warning: return QMessageBox::Warning;
    case Kind::Error: return QMessageBox::Critical;
    case Kind::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// Once the program has been asked to end nobody is there to answer: the
// text is only logged, and the box answers as its Escape key would.
int Run(QMessageBox& box) {
  if (platform::TerminationRequested()) {
    qCWarning(lcPrompts).noquote() << box.text();
    return box.standardButtons().testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
           : box.standardButtons().testFlag(QMessageBox::No)   ? QMessageBox::No
                                                               : QMessageBox::Ok;
  }
  return box.exec();
}

// A file dialog; an empty name when cancelled. Saving asks before a file is
// replaced.
QString RunFileDialog(QWidget* parent, const QString& caption, const QString& filter, const QString& folder,
                      QFileDialog::AcceptMode mode) {
  if (platform::TerminationRequested()) return {};
  QFileDialog dialog(parent, caption, folder, filter);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

Answer NextAnswer(const QString& text) {
  gScript.shown.push_back(text);
  if (gScript.answers.empty()) return Answer::No;
  const Answer a = gScript.answers.front();
  gScript.answers.pop_front();
  return a;
}

QString NextFile(const QString& caption) {
  gScript.shown.push_back(caption);
  if (gScript.fileNames.empty()) return {};
  QString f = gScript.fileNames.front();
  gScript.fileNames.pop_front();
  return f;
}

Answer Ask(const QString& text, Kind kind, QMessageBox::StandardButtons buttons) {
  if (gScripted) return NextAnswer(text);
  LogShown(text);
  QMessageBox box(IconOf(kind), QApplication::applicationName(), text, buttons,
                  QApplication::activeWindow());
  switch (Run(box)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Ok: return Answer::Ok;
    default: return Answer::Cancel;
  }
}
}  // namespace

void ShowMessage(const QString& text) {
  if (gScripted) {
    gScript.shown.push_back(text);
    return;
  }
  LogShown(text);
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                  QApplication::activeWindow());
  Run(box);
}

Answer AskYesNo(const QString& text, Kind kind) {
  return Ask(text, kind, QMessageBox::Yes | QMessageBox::No);
}

Answer AskYesNoCancel(const QString& text, Kind kind) {
  return Ask(text, kind, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

Answer AskOkCancel(const QString& text, Kind kind) {
  return Ask(text, kind, QMessageBox::Ok | QMessageBox::Cancel);
}

void ShowException(const QString& text) {
  if (gScripted) {
    gScript.shown.push_back(text);
    return;
  }
  LogShown(text);
  QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok,
                  QApplication::activeWindow());
  Run(box);
}

QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter,
                     const QString& folder) {
  if (gScripted) return NextFile(caption);
  return RunFileDialog(parent, caption, filter, folder, QFileDialog::AcceptOpen);
}

QString SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                     const QString& folder) {
  if (gScripted) return NextFile(caption);
  return RunFileDialog(parent, caption, filter, folder, QFileDialog::AcceptSave);
}

void StartScript() {
  gScripted = true;
  gScript = Script{};
}
void StopScript() { gScripted = false; }
bool Scripted() { return gScripted; }
Script& CurrentScript() { return gScript; }

}  // namespace prompts
