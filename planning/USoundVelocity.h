#pragma once
// The sound-velocity window: the four stages of a sound-velocity profile and
// the switch between the offsets window's single sound velocity and the
// per-metre sound-velocity column.
#include <QWidget>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

class TfSVP : public QWidget {
  Q_OBJECT
 public:
  explicit TfSVP(QWidget* parent = nullptr);

  QPushButton* BitBtn1;               // "SVP": load a probe file
  QPushButton* bGraph;                // "Graph"
  QGroupBox* GroupBox5;               // "Parameters"
  QLineEdit* eSearchString;           // scan format of one probe line
  QLineEdit* eMaxDepth;               // deepest metre of the averaged list and the column
  QRadioButton* rSVFirst;             // the format's first value is the sound velocity
  QRadioButton* rDFirst;              // the format's first value is the depth
  QPlainTextEdit* mRawSVData;         // stage 0: the probe file as loaded
  QToolButton* bRawToSVV;             // stage 0 -> 1
  QPlainTextEdit* mRawSVExtracted;    // stage 1: extracted pairs
  QToolButton* bSVVtoAveragedSV;      // stage 1 -> 2
  QPlainTextEdit* mSortedAveragedSV;  // stage 2: 1 m averages
  QToolButton* bAveragedSVtoSVP;      // stage 2 -> 3
  QPlainTextEdit* mSVPColumn;         // stage 3: line i = sound velocity for i metres
  QCheckBox* cUseSVP;                 // "Use Sound Velocity Profile"
  QPushButton* bSaveClose;            // "Save & Close", enabled by a complete stage 3
  QMenu* mDefault;                    // context menu of the parameters
  QAction* Defaults1;                 // "Defaults"
  QAction* AutoDedetct1;              // "Auto Dedetct"

  static constexpr const char* kDefaultSearchString = "%*23s %lf,%lf";
  // The probe file dialog's one entry: shown as its name, matching all files.
  static constexpr const char* kProbeFileFilter = "Sound Velocity File [*.*] (*)";
  static void ConfigureProbeDialog(QFileDialog& dialog);

  // 1350 <= SV <= 1600: SV, else 0.
  static double ValidSV(double SV);

  void FormCreate();
  void FormShow();
  void FormCloseQuery(QObject* Sender, bool& CanClose);
  void BitBtn1Click(QObject* Sender = nullptr);
  void bRawToSVVClick(QObject* Sender = nullptr);
  void bSVVtoAveragedSVClick(QObject* Sender = nullptr);
  void bAveragedSVtoSVPClick(QObject* Sender = nullptr);
  void AutoDedetct1Click(QObject* Sender = nullptr);
  void Defaults1Click(QObject* Sender = nullptr);
  void eSearchStringDblClick(QObject* Sender = nullptr);
  void bGraphClick(QObject* Sender = nullptr);
  void BitBtn2Click(QObject* Sender = nullptr);

  // Runs on every change of cUseSVP's check state.
  void cUseSVPClick();
  // Runs on every change of the column: an emptied column unchecks cUseSVP.
  void ColumnChanged();

  // Writes the four lists as the day's dated copies in DaySVPFolder, in list
  // order. Throws std::runtime_error at the first file that cannot be written.
  void SaveDatedCopies() const;
  // The same into the program folder.
  void SaveProgramCopies() const;

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  // The probe file the user picks; empty when cancelled.
  QString ChooseProbeFile();
};

// The lines of a text list as the files hold them.
std::string ListFileText(const QPlainTextEdit* list);
// The lines of a text list (none for an empty list).
std::vector<std::string> ListLines(const QPlainTextEdit* list);
void SetListLines(QPlainTextEdit* list, const std::vector<std::string>& lines);

extern TfSVP* fSVP;
