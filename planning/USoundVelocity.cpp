#include "planning/USoundVelocity.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <stdexcept>

#include "app/formats.h"
#include "app/helpers.h"
#include "app/placement.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "planning/svplists.h"
#include "planning/svpreduce.h"
#include "planning/uSVPGraph.h"
#include "platform/prompts.h"
#include "runtime/Bathymetry.h"
#include "runtime/unavigation.h"
#include "ui/QuarixTranslation.h"

TfSVP* fSVP = nullptr;

namespace {
constexpr const char* kSection = "SVP";

QPlainTextEdit* List(QWidget* parent, QGridLayout* grid, int column, const char* name, const QString& frame) {
  auto* box = new QGroupBox(frame, parent);
  auto* layout = new QVBoxLayout(box);
  auto* m = new QPlainTextEdit(box);
  m->setObjectName(name);
  m->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(m);
  grid->addWidget(box, 0, column);
  return m;
}

QToolButton* Arrow(QWidget* parent, QGridLayout* grid, int column, const char* name) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setArrowType(Qt::RightArrow);
  b->setAutoRaise(true);
  b->setMinimumSize(24, 24);
  grid->addWidget(b, 0, column, Qt::AlignVCenter);
  return b;
}

QLineEdit* LabelledEdit(QWidget* parent, QVBoxLayout* layout, const char* name, const QString& label) {
  auto* l = new QLabel(label, parent);
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  l->setBuddy(e);
  e->setAccessibleName(QString(label).replace("&&", "&"));
  layout->addWidget(l);
  layout->addWidget(e);
  return e;
}

bool English() { return !Translation || Translation->CurrentLanguage == "en"; }
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }

void WriteOrThrow(const std::string& fileName, const std::string& text) {
  if (!WriteFileAtomically(fileName, text)) throw std::runtime_error("Cannot create file \"" + fileName + "\".");
}
}  // namespace

std::vector<std::string> ListLines(const QPlainTextEdit* list) {
  std::vector<std::string> lines;
  if (list->toPlainText().isEmpty()) return lines;
  for (QTextBlock b = list->document()->firstBlock(); b.isValid(); b = b.next())
    lines.push_back(b.text().toStdString());
  return lines;
}

void SetListLines(QPlainTextEdit* list, const std::vector<std::string>& lines) {
  QStringList text;
  for (const std::string& l : lines) text << Q(l);
  list->setPlainText(text.join('\n'));
}

std::string ListFileText(const QPlainTextEdit* list) { return svp::JoinListText(ListLines(list)); }

TfSVP::TfSVP(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setObjectName("fSVP");
  setWindowTitle("Sound Velocity");
  auto* outer = new QVBoxLayout(this);

  auto* top = new QHBoxLayout;
  BitBtn1 = new QPushButton("SVP", this);
  BitBtn1->setObjectName("BitBtn1");
  bGraph = new QPushButton("Graph", this);
  bGraph->setObjectName("bGraph");
  GroupBox5 = new QGroupBox("Parameters", this);
  GroupBox5->setObjectName("GroupBox5");
  auto* params = new QVBoxLayout(GroupBox5);
  eSearchString = LabelledEdit(GroupBox5, params, "eSearchString", "Format Identifier for SV && P");
  eSearchString->setText(kDefaultSearchString);
  eMaxDepth = LabelledEdit(GroupBox5, params, "eMaxDepth", "Max Depth");
  eMaxDepth->setText("200");
  rSVFirst = new QRadioButton("SV first", GroupBox5);
  rSVFirst->setObjectName("rSVFirst");
  rDFirst = new QRadioButton("Depth first", GroupBox5);
  rDFirst->setObjectName("rDFirst");
  params->addWidget(rSVFirst);
  params->addWidget(rDFirst);
  top->addWidget(BitBtn1);
  top->addWidget(bGraph);
  top->addWidget(GroupBox5);
  top->addStretch();
  outer->addLayout(top);

  auto* grid = new QGridLayout;
  mRawSVData = List(this, grid, 0, "mRawSVData", "Source SVP Data");
  mRawSVData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mRawSVData->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  bRawToSVV = Arrow(this, grid, 1, "bRawToSVV");
  mRawSVExtracted = List(this, grid, 2, "mRawSVExtracted", "Raw SV values");
  bSVVtoAveragedSV = Arrow(this, grid, 3, "bSVVtoAveragedSV");
  mSortedAveragedSV = List(this, grid, 4, "mSortedAveragedSV", "Averaged SV Values");
  bAveragedSVtoSVP = Arrow(this, grid, 5, "bAveragedSVtoSVP");
  mSVPColumn = List(this, grid, 6, "mSVPColumn", "SV Column");
  outer->addLayout(grid);

  auto* bottom = new QHBoxLayout;
  cUseSVP = new QCheckBox("Use Sound Velocity Profile", this);
  cUseSVP->setObjectName("cUseSVP");
  bSaveClose = new QPushButton("Save && Close", this);
  bSaveClose->setObjectName("bSaveClose");
  bSaveClose->setEnabled(false);
  bottom->addWidget(cUseSVP);
  bottom->addStretch();
  bottom->addWidget(bSaveClose);
  outer->addLayout(bottom);

  mDefault = new QMenu(this);
  mDefault->setObjectName("mDefault");
  Defaults1 = mDefault->addAction("Defaults");
  Defaults1->setObjectName("Defaults1");
  AutoDedetct1 = mDefault->addAction("Auto Dedetct");
  AutoDedetct1->setObjectName("AutoDedetct1");
  for (QWidget* w : std::initializer_list<QWidget*>{GroupBox5, eSearchString, eMaxDepth, rSVFirst, rDFirst}) {
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w, &QWidget::customContextMenuRequested, this,
            [this, w](const QPoint& at) { mDefault->popup(w->mapToGlobal(at)); });
  }
  eSearchString->installEventFilter(this);

  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
  connect(bGraph, &QPushButton::clicked, this, [this] { bGraphClick(bGraph); });
  connect(bRawToSVV, &QToolButton::clicked, this, [this] { bRawToSVVClick(bRawToSVV); });
  connect(bSVVtoAveragedSV, &QToolButton::clicked, this, [this] { bSVVtoAveragedSVClick(bSVVtoAveragedSV); });
  connect(bAveragedSVtoSVP, &QToolButton::clicked, this, [this] { bAveragedSVtoSVPClick(bAveragedSVtoSVP); });
  connect(bSaveClose, &QPushButton::clicked, this, [this] { BitBtn2Click(bSaveClose); });
  connect(Defaults1, &QAction::triggered, this, [this] { Defaults1Click(); });
  connect(AutoDedetct1, &QAction::triggered, this, [this] { AutoDedetct1Click(); });
  connect(cUseSVP, &QCheckBox::toggled, this, &TfSVP::cUseSVPClick);
  connect(mSVPColumn, &QPlainTextEdit::textChanged, this, [this] { ColumnChanged(); });
  resize(900, 500);

  FormCreate();
}

double TfSVP::ValidSV(double SV) { return svp::ValidSV(SV); }

void TfSVP::FormCreate() {
  QPlainTextEdit* const lists[svp::kStageCount] = {mRawSVData, mRawSVExtracted, mSortedAveragedSV, mSVPColumn};
  for (int i = 0; i < svp::kStageCount; ++i) {
    std::vector<std::string> lines;
    if (svp::LoadStartList(static_cast<svp::Stage>(i), lines)) SetListLines(lists[i], lines);
  }

  const IniFile ini;
  eSearchString->setText(Q(ini.ReadString(kSection, "eSearchString", S(eSearchString))));
  eMaxDepth->setText(Q(ini.ReadString(kSection, "eMaxDepth", S(eMaxDepth))));
  rSVFirst->setChecked(ini.ReadBool(kSection, "rSVFirst", true));
  rDFirst->setChecked(ini.ReadBool(kSection, "rDFirst", false));
  const bool use = ini.ReadBool(kSection, "cUseSVP", false);

  if (use && svp::HasValue(ListLines(mSVPColumn))) cUseSVP->setChecked(true);
}

void TfSVP::FormShow() { RestoreFormPlacement(this, false); }

void TfSVP::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TfSVP::FormCloseQuery(QObject* Sender, bool& CanClose) {
  IniFile ini;
  ini.WriteString(kSection, "eSearchString", S(eSearchString));
  ini.WriteString(kSection, "eMaxDepth", S(eMaxDepth));
  ini.WriteBool(kSection, "rSVFirst", rSVFirst->isChecked());
  ini.WriteBool(kSection, "rDFirst", rDFirst->isChecked());
  ini.WriteBool(kSection, "cUseSVP", cUseSVP->isChecked());
  CanClose = true;
}

void TfSVP::closeEvent(QCloseEvent* e) {
  bool canClose = true;
  FormCloseQuery(this, canClose);
  if (canClose) e->accept();
  else e->ignore();
}

bool TfSVP::eventFilter(QObject* watched, QEvent* e) {
  if (watched == eSearchString && e->type() == QEvent::MouseButtonDblClick) {
    eSearchStringDblClick(eSearchString);
    return true;
  }
  return QWidget::eventFilter(watched, e);
}

void TfSVP::ConfigureProbeDialog(QFileDialog& dialog) {
  dialog.setWindowTitle("Open");
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // The entry shows its name alone; its pattern matches every file.
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setNameFilter(kProbeFileFilter);
}

QString TfSVP::ChooseProbeFile() {
  if (prompts::Scripted()) return prompts::OpenFileName(this, "Open", kProbeFileFilter);
  QFileDialog dialog(this);
  ConfigureProbeDialog(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void TfSVP::BitBtn1Click(QObject* Sender) {
  const QString name = ChooseProbeFile();
  if (name.isEmpty()) return;
  // Read before anything changes: a file that cannot be taken (gone, a FIFO,
  // a device, one too large) is told, and the lists stay as they are.
  std::string bytes, why;
  std::vector<std::string> lines;
  if (!ReadWholeFile(name.toStdString(), bytes, svp::kMaxProbeFileBytes, &why) ||
      !svp::ProbeFileLines(bytes, lines, &why)) {
    prompts::ShowMessage("The file \"" + name + "\" cannot be read as a sound velocity file: " + Q(why) + ".");
    return;
  }
  for (QPlainTextEdit* m : {mRawSVData, mRawSVExtracted, mSortedAveragedSV, mSVPColumn}) m->clear();
  SetListLines(mRawSVData, lines);
}

void TfSVP::bRawToSVVClick(QObject* Sender) {
  for (QPlainTextEdit* m : {mRawSVExtracted, mSortedAveragedSV, mSVPColumn}) m->clear();
  const std::string format = S(eSearchString);
  const std::string problem = svp::FormatProblem(format);
  if (!problem.empty()) {
    prompts::ShowMessage(Q("The format \"" + format + "\" cannot be used: " + problem + "."));
    return;
  }
  const bool english = English();
  const auto ask = [english](double sv, int line) {
    const std::string value = FloatToStr(sv), number = std::to_string(line + 1);
    const std::string text =
        english ? "Value exceeds SV range! Please correct " + value + " value at line " + number +
                      " in source file. This line will be skipped."
                : "Bu değer belkenen ses hızı aralığında değl! Ses hızı " + value + "'nin bulunduğu satır " +
                      number + " kullanılmayacaktır.";
    return prompts::AskOkCancel(Q(text)) == prompts::Answer::Ok;
  };
  const svp::ExtractResult r = svp::ExtractPairs(ListLines(mRawSVData), format, rSVFirst->isChecked(), ask);
  SetListLines(mRawSVExtracted, r.lines);
}

void TfSVP::bSVVtoAveragedSVClick(QObject* Sender) {
  mSortedAveragedSV->clear();
  mSVPColumn->clear();
  const int maxDepth = svp::ParseMaxDepth(S(eMaxDepth));
  SetListLines(mSortedAveragedSV, svp::AverageByMetre(ListLines(mRawSVExtracted), maxDepth));
}

void TfSVP::bAveragedSVtoSVPClick(QObject* Sender) {
  // The column is replaced only once the new one is known, so a profile in use
  // stays in use when the step succeeds; any failure leaves it empty.
  int maxDepth = 0;
  try {
    maxDepth = svp::ParseMaxDepth(S(eMaxDepth));
  } catch (...) {
    mSVPColumn->clear();
    throw;
  }
  const svp::ColumnResult r = svp::BuildColumn(ListLines(mSortedAveragedSV), maxDepth);
  const bool english = English();
  switch (r.status) {
    case svp::ColumnResult::Status::BlankTop:
      SetListLines(mSVPColumn, r.column);
      bSaveClose->setEnabled(false);
      prompts::ShowMessage(
          english ? QString("SV value at 0 depth cannot be blank. Consider manually adding a value for 0 depth."
                            "Example 0,1500.")
                  : QString("Ses hızı profilinin başlangıcı olan 0 derinlik ve buna ait ses hızı boş olamaz. "
                            "Bu değeri kendiniz doldurup yeniden deneyiniz.") +
                        "\nÖrnek: 0,1500.00");
      return;
    case svp::ColumnResult::Status::OutOfRange:
      mSVPColumn->clear();
      bSaveClose->setEnabled(false);
      prompts::ShowMessage(Q(english ? "SV value at " + std::to_string(r.line) +
                                           " is out of range. Please check, correct retry."
                                     : "Sıra " + std::to_string(r.line) +
                                           " ses hızı değeri hatalı. Lütfen kontrol edin, düzeltin ve tekrar deneyin"));
      return;
    case svp::ColumnResult::Status::Ok:
      SetListLines(mSVPColumn, r.column);
      bSaveClose->setEnabled(true);
      return;
  }
}

void TfSVP::AutoDedetct1Click(QObject* Sender) {
  const std::vector<std::string> probe = ListLines(mRawSVData);
  if (probe.empty()) {
    prompts::ShowMessage("No data loaded. Please load a file first.");
    return;
  }
  const auto h = svp::DetectHeader(probe);
  if (!h) {
    prompts::ShowMessage("Could not find header line with SV and Pressure/Depth columns.\n"
                         "Please set search string manually.");
    return;
  }
  eSearchString->setText(Q(h->format));
  (h->svFirst ? rSVFirst : rDFirst)->setChecked(true);
  prompts::ShowMessage(Q(svp::DetectionReport(*h, English())));
}

void TfSVP::Defaults1Click(QObject* Sender) {
  eSearchString->setText(kDefaultSearchString);
  eMaxDepth->setText("200");
  rSVFirst->setChecked(true);
}

void TfSVP::eSearchStringDblClick(QObject* Sender) { eSearchString->setText(kDefaultSearchString); }

void TfSVP::bGraphClick(QObject* Sender) {
  if (ListLines(mSortedAveragedSV).empty()) {
    prompts::ShowMessage("No data to graph. Please process SVP data first.");
    return;
  }
  if (!fSVPGraph) fSVPGraph = new TfSVPGraph();
  fSVPGraph->LoadProfile(ListLines(mSortedAveragedSV));
  // This window stays on top: the editor must open above it, not behind it.
  fSVPGraph->winId();
  if (fSVPGraph->windowHandle() && windowHandle()) fSVPGraph->windowHandle()->setTransientParent(windowHandle());
  if (fSVPGraph->ShowModal() != QDialog::Accepted || !fSVPGraph->Modified) return;
  std::vector<std::string> lines;
  fSVPGraph->StoreProfile(lines);
  SetListLines(mSortedAveragedSV, lines);
  mSVPColumn->clear();
  bSaveClose->setEnabled(false);
  prompts::ShowMessage("Data updated. Please regenerate SVP Column.");
}

void TfSVP::BitBtn2Click(QObject* Sender) {
  if (FNav) FNav->Save1Click();
  SaveDatedCopies();
  SaveProgramCopies();
  close();
}

void TfSVP::cUseSVPClick() {
  if (cUseSVP->isChecked()) {
    if (!svp::HasValue(ListLines(mSVPColumn))) {
      cUseSVP->setChecked(false);  // runs this handler again for the unchecked state
      prompts::ShowMessage(English() ? "SVP Column is empty. Please load or create an SVP profile first."
                                     : "SVP Sütunu boş. Lütfen önce bir SVP profili yükleyin veya oluşturun.");
      return;
    }
    if (Offsets) {
      Offsets->SV->setEnabled(false);
      Offsets->bSVP->setText(English() ? "SVP Profile Used" : "Ses Hızı Profili Devrede");
    }
  } else if (Offsets) {
    Offsets->SV->setEnabled(true);
    Offsets->bSVP->setText(English() ? "Single SV Used" : "Tek Ses Hızı Değeri");
  }
}

void TfSVP::ColumnChanged() {
  // The depth correction must never use another sound velocity than the one
  // the offsets window names: an emptied column ends the use of the profile.
  if (cUseSVP->isChecked() && !svp::HasValue(ListLines(mSVPColumn))) cUseSVP->setChecked(false);
}

void TfSVP::SaveDatedCopies() const {
  const QPlainTextEdit* const lists[svp::kStageCount] = {mRawSVData, mRawSVExtracted, mSortedAveragedSV, mSVPColumn};
  for (int i = 0; i < svp::kStageCount; ++i)
    WriteOrThrow(svp::DatedListFile(static_cast<svp::Stage>(i)), ListFileText(lists[i]));
}

void TfSVP::SaveProgramCopies() const {
  const QPlainTextEdit* const lists[svp::kStageCount] = {mRawSVData, mRawSVExtracted, mSortedAveragedSV, mSVPColumn};
  for (int i = 0; i < svp::kStageCount; ++i)
    WriteOrThrow(svp::ProgramListFile(static_cast<svp::Stage>(i)), ListFileText(lists[i]));
}
