#pragma once
// The RTCM report window: shows the report the NTRIP window makes and saves it
// into the day's log folder.
#include <QWidget>
#include <string>

class QPlainTextEdit;
class QPushButton;

class TfRTCMParsing : public QWidget {
  Q_OBJECT
 public:
  explicit TfRTCMParsing(QWidget* parent = nullptr);

  QPlainTextEdit* MemoRTCM;
  QPushButton* btnClear;
  QPushButton* btnClose;

  void AddLine(const std::string& text);
  void ClearLines();
  void btnClearClick(QObject* Sender = nullptr);
  // Saves the report (when there is one) and hides the window; a failure to
  // save is thrown and the window stays open.
  void btnCloseClick(QObject* Sender = nullptr);

  int LineCount() const { return lineCount_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int lineCount_ = 0;
};

extern TfRTCMParsing* fRTCMParsing;
