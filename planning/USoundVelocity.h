#pragma once
// The sound-velocity window: the four stages of a sound-velocity profile and
// the switch between the offsets window's single sound velocity and the
// per-metre sound-velocity column.
#include <QWidget>
#include <string>

class QCheckBox;
class QPlainTextEdit;

class TfSVP : public QWidget {
  Q_OBJECT
 public:
  explicit TfSVP(QWidget* parent = nullptr);

  QPlainTextEdit* mRawSVData;         // stage 0: the probe file as loaded
  QPlainTextEdit* mRawSVExtracted;    // stage 1: extracted pairs
  QPlainTextEdit* mSortedAveragedSV;  // stage 2: 1 m averages
  QPlainTextEdit* mSVPColumn;         // stage 3: line i = sound velocity for i metres
  QCheckBox* cUseSVP;                 // "Use Sound Velocity Profile"

  // Runs on every change of cUseSVP's check state.
  void cUseSVPClick();

  // Writes the four lists as the day's dated copies in DaySVPFolder, in list
  // order. Throws std::runtime_error at the first file that cannot be written.
  void SaveDatedCopies() const;
};

// The lines of a text list as the files hold them.
std::string ListFileText(const QPlainTextEdit* list);

extern TfSVP* fSVP;
