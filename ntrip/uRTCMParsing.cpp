#include "ntrip/uRTCMParsing.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <stdexcept>

#include "app/textfile.h"
#include "platform/clock.h"
#include "platform/paths.h"

TfRTCMParsing* fRTCMParsing = nullptr;

TfRTCMParsing::TfRTCMParsing(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("fRTCMParsing");
  setWindowTitle("RTCM Message Parser");
  resize(624, 441);
  MemoRTCM = new QPlainTextEdit(this);
  MemoRTCM->setObjectName("MemoRTCM");
  MemoRTCM->setReadOnly(true);
  MemoRTCM->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoRTCM->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoRTCM->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont font("Consolas");
  font.setPointSize(9);
  MemoRTCM->setFont(font);
  btnClear = new QPushButton("Clear", this);
  btnClear->setObjectName("btnClear");
  btnClose = new QPushButton("Save && Close", this);
  btnClose->setObjectName("btnClose");
  connect(btnClear, &QPushButton::clicked, this, [this] { btnClearClick(btnClear); });
  connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(btnClose); });
}

void TfRTCMParsing::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int w = width(), h = height();
  MemoRTCM->setGeometry(8, 8, w - 16, h - 48);
  btnClear->setGeometry(8, h - 34, 75, 25);
  btnClose->setGeometry(w - 136, h - 34, 128, 25);
}

void TfRTCMParsing::AddLine(const std::string& text) {
  MemoRTCM->appendPlainText(QString::fromStdString(text));
  ++lineCount_;
}

void TfRTCMParsing::ClearLines() {
  MemoRTCM->clear();
  lineCount_ = 0;
}

void TfRTCMParsing::btnClearClick(QObject*) { ClearLines(); }

void TfRTCMParsing::btnCloseClick(QObject*) {
  if (lineCount_ > 0) {
    const std::string date = platform::Now().toString("yyyy-MM-dd").toStdString();
    const std::string folder = platform::DataRoot() + date + "/LOG";
    if (!QDir().mkpath(QString::fromStdString(folder)))
      throw std::runtime_error("Cannot create the folder " + folder);
    std::string text;
    for (const QString& line : MemoRTCM->toPlainText().split('\n')) text += line.toStdString() + "\r\n";
    const std::string file = folder + "/" + date + " Quarix RTCM Parsing.log";
    if (!WriteFileAtomically(file, text)) throw std::runtime_error("Cannot write " + file);
  }
  close();
}
