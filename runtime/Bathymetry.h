#pragma once
// TOffsets: the offsets dialog. The surveyor enters the transducer and antenna
// offsets, the sound velocity, the manual tide and the names of location,
// vessel and surveyor; the Realtime button checks them, appends the offsets
// report to the day's " Offsets.log", stores them in [ECHOSOUNDER_OFFSETS] and
// starts the survey. The survey corrects with the offsets of the last
// accepted Realtime press (or those stored when the program started), never
// with edits in progress; leaving the dialog any other way puts its texts back
// to them.
#include <QDialog>

#include "runtime/offsetscheck.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class TOffsets : public QDialog {
  Q_OBJECT
 public:
  explicit TOffsets(QWidget* parent = nullptr);

  QWidget* pSketch;
  QLabel* Image1;         // sketch of the transducer pole with A, B and C
  QLineEdit* OffsetA;     // transducer draft, m
  QLineEdit* OffsetB;     // transducer to antenna, m
  QLineEdit* OffsetC;     // antenna height above the water, m
  QLineEdit* SV;          // the single sound velocity, m/s
  QLineEdit* TideHt;      // manual tide height, m
  QLineEdit* Location;
  QLineEdit* SurveyBoat;
  QLineEdit* Surveyor;
  QLabel* time;           // the clock
  QPushButton* bSVP;      // shows the sound-velocity window; its caption tells which sound velocity is used
  QPushButton* BitBtn1;   // "Realtime"
  QPushButton* BitBtn3;   // "Cancel"
  QPushButton* bNTRIPShow;
  QTimer* Timer1;         // 1000 ms, the clock

  void FormShow();
  void Timer1Timer(QObject* Sender = nullptr);
  void BitBtn1Click(QObject* Sender = nullptr);
  void BitBtn3Click(QObject* Sender = nullptr);
  void FormCloseQuery(QObject* Sender, bool& CanClose);
  void FormDblClick(QObject* Sender = nullptr);
  void bSVPClick(QObject* Sender = nullptr);
  void bNTRIPShowClick(QObject* Sender = nullptr);
  void OffsetAExit(QObject* Sender = nullptr);
  void OffsetBExit(QObject* Sender = nullptr);
  void OffsetCExit(QObject* Sender = nullptr);
  void SVExit(QObject* Sender = nullptr);
  void TideHtExit(QObject* Sender = nullptr);
  void NumericEditClick(QObject* Sender);
  void TextEditClick(QObject* Sender);

  // The edits' texts and the clock text.
  offsets::Entries CurrentEntries() const;
  // The offsets in force for the survey.
  const offsets::Entries& AcceptedEntries() const { return accepted_; }

 protected:
  bool event(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QLineEdit* EditOf(offsets::Field f) const;
  void CheckNumber(QLineEdit* edit);
  void ShowAccepted();
  offsets::Entries accepted_;
  bool clickHandlersAttached_ = false;
  bool inExit_ = false;
};

extern TOffsets* Offsets;
