#include "planning/USoundVelocity.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>
#include <stdexcept>

#include "app/helpers.h"
#include "app/textfile.h"
#include "platform/prompts.h"
#include "runtime/Bathymetry.h"
#include "ui/QuarixTranslation.h"

TfSVP* fSVP = nullptr;

namespace {
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

bool English() { return !Translation || Translation->CurrentLanguage == "en"; }

bool ColumnIsBlank(const QPlainTextEdit* column) { return column->toPlainText().trimmed().isEmpty(); }
}  // namespace

std::string ListFileText(const QPlainTextEdit* list) {
  const QString text = list->toPlainText();
  if (text.isEmpty()) return {};
  std::string out;
  for (QTextBlock b = list->document()->firstBlock(); b.isValid(); b = b.next())
    out += b.text().toStdString() + "\r\n";
  return out;
}

TfSVP::TfSVP(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setObjectName("fSVP");
  setWindowTitle("Sound Velocity");
  auto* grid = new QGridLayout(this);
  mRawSVData = List(this, grid, 0, "mRawSVData", "Source SVP Data");
  mRawSVData->setLineWrapMode(QPlainTextEdit::NoWrap);
  mRawSVExtracted = List(this, grid, 1, "mRawSVExtracted", "Raw SV values");
  mSortedAveragedSV = List(this, grid, 2, "mSortedAveragedSV", "Averaged SV Values");
  mSVPColumn = List(this, grid, 3, "mSVPColumn", "SV Column");
  cUseSVP = new QCheckBox("Use Sound Velocity Profile", this);
  cUseSVP->setObjectName("cUseSVP");
  grid->addWidget(cUseSVP, 1, 0, 1, 4);
  connect(cUseSVP, &QCheckBox::toggled, this, &TfSVP::cUseSVPClick);
}

void TfSVP::cUseSVPClick() {
  if (cUseSVP->isChecked()) {
    if (ColumnIsBlank(mSVPColumn)) {
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

void TfSVP::SaveDatedCopies() const {
  const std::pair<const QPlainTextEdit*, const char*> lists[] = {
      {mRawSVData, " mRawSVData.ini"},
      {mRawSVExtracted, " mRawSVExtracted.ini"},
      {mSortedAveragedSV, " mSortedAveragedSV.ini"},
      {mSVPColumn, " mSVPColumn.ini"},
  };
  for (const auto& [list, suffix] : lists) {
    const std::string fileName = DaySVPFolder + DateText() + suffix;
    if (!WriteFileAtomically(fileName, ListFileText(list)))
      throw std::runtime_error("Cannot create file \"" + fileName + "\".");
  }
}
