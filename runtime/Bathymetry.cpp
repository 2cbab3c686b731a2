#include "runtime/Bathymetry.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

#include "app/formats.h"
#include "app/helpers.h"
#include "app/placement.h"
#include "app/settingsfile.h"
#include "app/textfile.h"
#include "ntrip/uNTRIPSettings.h"
#include "planning/USoundVelocity.h"
#include "platform/clock.h"
#include "platform/prompts.h"
#include "runtime/unavigation.h"
#include "ui/QuarixTranslation.h"

TOffsets* Offsets = nullptr;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

bool English() { return !Translation || Translation->CurrentLanguage == "en"; }

bool ProfileInUse() { return fSVP && fSVP->cUseSVP && fSVP->cUseSVP->isChecked(); }

// The transducer pole: C from the water line up to the antenna, A from the
// water line down to the transducer, B the whole distance.
QPixmap PoleSketch() {
  QPixmap pm(100, 129);
  pm.fill(Qt::white);
  QPainter p(&pm);
  const int x = 40, antenna = 12, water = 62, transducer = 116;
  p.setPen(QPen(QColor(0, 90, 200), 1));
  p.fillRect(0, water, 100, 129 - water, QColor(215, 235, 255));
  p.drawLine(0, water, 99, water);
  p.setPen(QPen(Qt::black, 3));
  p.drawLine(x, antenna, x, transducer);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::darkGray);
  p.drawEllipse(QPoint(x, antenna), 6, 4);
  p.drawRect(x - 5, transducer - 2, 10, 6);
  const auto dimension = [&](int dx, int from, int to, const char* name) {
    p.drawLine(dx, from, dx, to);
    p.drawLine(dx - 3, from, dx + 3, from);
    p.drawLine(dx - 3, to, dx + 3, to);
    p.drawText(QRect(dx + 4, (from + to) / 2 - 8, 14, 16), Qt::AlignCenter, name);
  };
  dimension(62, antenna, water, "C");
  dimension(62, water, transducer, "A");
  dimension(14, antenna, transducer, "B");
  return pm;
}

// A row of the form: label, edit and unit.
QLineEdit* Row(QWidget* parent, QGridLayout* grid, int row, const char* name, const QString& label,
               const QString& unit) {
  auto* l = new QLabel(label, parent);
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setAccessibleName(label);
  l->setBuddy(e);
  grid->addWidget(l, row, 0, Qt::AlignRight);
  grid->addWidget(e, row, 1);
  if (!unit.isEmpty()) grid->addWidget(new QLabel(unit, parent), row, 2);
  return e;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

// Shows a window modally and returns when it is hidden again (a window that is
// already shown is only brought to the front).
class HideWatcher : public QObject {
 public:
  HideWatcher(QWidget* w, QEventLoop* loop) : loop_(loop) { w->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Hide || e->type() == QEvent::Destroy) loop_->quit();
    return false;
  }

 private:
  QEventLoop* loop_;
};

void ShowModally(QWidget* w) {
  if (w->isVisible()) {
    w->raise();
    w->activateWindow();
    return;
  }
  w->setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  HideWatcher watcher(w, &loop);
  w->show();
  if (w->isVisible()) loop.exec();
  w->removeEventFilter(&watcher);
  w->setWindowModality(Qt::NonModal);
}

}  // namespace

TOffsets::TOffsets(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName("Offsets");
  setWindowTitle("Offsets Essential for Post Processing / Recovery");

  pSketch = new QWidget(this);
  pSketch->setObjectName("pSketch");
  Image1 = new QLabel(pSketch);
  Image1->setObjectName("Image1");
  Image1->setPixmap(PoleSketch());
  Image1->setFixedSize(100, 129);
  auto* sketchLayout = new QVBoxLayout(pSketch);
  sketchLayout->addWidget(Image1);
  sketchLayout->addStretch();

  auto* form = new QWidget(this);
  auto* grid = new QGridLayout(form);
  OffsetA = Row(form, grid, 0, "OffsetA", "A", "m");
  OffsetB = Row(form, grid, 1, "OffsetB", "B", "m");
  OffsetC = Row(form, grid, 2, "OffsetC", "C", "m");
  SV = Row(form, grid, 3, "SV", "SV", "m/s");
  TideHt = Row(form, grid, 4, "TideHt", "Tide Ht", "m");
  Location = Row(form, grid, 5, "Location", "Location", "");
  SurveyBoat = Row(form, grid, 6, "SurveyBoat", "Vessel", "");
  Surveyor = Row(form, grid, 7, "Surveyor", "Surveyor", "");
  grid->addWidget(new QLabel("Date and Time (UTC)", form), 8, 0, 1, 3);
  time = new QLabel(form);
  time->setObjectName("time");
  grid->addWidget(time, 9, 0, 1, 3);

  bSVP = Button(this, "bSVP", "Sound Velocity Profile");
  bNTRIPShow = Button(this, "bNTRIPShow", "NTRIP Client");
  BitBtn1 = Button(this, "BitBtn1", "Realtime");
  BitBtn3 = Button(this, "BitBtn3", "Cancel");

  auto* top = new QHBoxLayout;
  top->addWidget(pSketch);
  top->addWidget(form);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(bSVP);
  buttons->addWidget(bNTRIPShow);
  buttons->addStretch();
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn3);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  setFixedSize(sizeHint());

  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
  connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(BitBtn3); });
  connect(bSVP, &QPushButton::clicked, this, [this] { bSVPClick(bSVP); });
  connect(bNTRIPShow, &QPushButton::clicked, this, [this] { bNTRIPShowClick(bNTRIPShow); });
  for (QLineEdit* e : {OffsetA, OffsetB, OffsetC, SV, TideHt, Location, SurveyBoat, Surveyor})
    e->installEventFilter(this);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(Timer1); });
  Timer1->start();
  Timer1Timer(Timer1);

  try {
    accepted_ = offsets::ReadSection(IniFile());
  } catch (...) {
    // none stored: empty texts, which the survey reports as no numbers
  }
}

offsets::Entries TOffsets::CurrentEntries() const {
  offsets::Entries e;
  e.offsetA = OffsetA->text().toStdString();
  e.offsetB = OffsetB->text().toStdString();
  e.offsetC = OffsetC->text().toStdString();
  e.sv = SV->text().toStdString();
  e.tideHt = TideHt->text().toStdString();
  e.location = Location->text().toStdString();
  e.surveyBoat = SurveyBoat->text().toStdString();
  e.surveyor = Surveyor->text().toStdString();
  e.time = time->text().toStdString();
  return e;
}

QLineEdit* TOffsets::EditOf(offsets::Field f) const {
  using offsets::Field;
  switch (f) {
    case Field::OffsetA: return OffsetA;
    case Field::OffsetB: return OffsetB;
    case Field::OffsetC: return OffsetC;
    case Field::SV: return SV;
    case Field::TideHt: return TideHt;
    case Field::Location: return Location;
    case Field::SurveyBoat: return SurveyBoat;
    case Field::Surveyor: return Surveyor;
    case Field::None: break;
  }
  return nullptr;
}

void TOffsets::FormShow() {
  try {
    const offsets::Entries e = offsets::ReadSection(IniFile());
    OffsetA->setText(Q(e.offsetA));
    OffsetB->setText(Q(e.offsetB));
    OffsetC->setText(Q(e.offsetC));
    SV->setText(Q(e.sv));
    TideHt->setText(Q(e.tideHt));
    Surveyor->setText(Q(e.surveyor));
    SurveyBoat->setText(Q(e.surveyBoat));
    Location->setText(Q(e.location));
  } catch (...) {
    // the edits keep what they had
  }
  clickHandlersAttached_ = true;
  RestoreFormPlacement(this, false);
}

void TOffsets::Timer1Timer(QObject*) { time->setText(Q(FormatDateTime(platform::Now()))); }

void TOffsets::BitBtn1Click(QObject*) {
  // 1. The map is saved whatever follows.
  if (FNav) FNav->SaveAndGoOn(BitBtn1);
  const bool english = English();
  const offsets::Entries e = CurrentEntries();
  // 2. The clock text (the press goes on).
  if (offsets::ClockTextBad(e.time)) prompts::ShowMessage(Q(offsets::TimeFormatMessage(english)));
  // 3.
  MakeDayFolders();
  // 4 - 7. The checks; a failed one ends the press.
  const offsets::CheckResult c = offsets::CheckEntries(e, english);
  if (!c.ok) {
    if (c.conversionError) {
      prompts::ShowException(Q(c.message));
    } else {
      prompts::ShowMessage(Q(c.message));
      if (QLineEdit* edit = EditOf(c.focus)) edit->setFocus();
    }
    return;
  }
  // 8. The report. A report that cannot be written is told; the survey still starts.
  const std::string report = offsets::ReportFileName();
  if (!AppendTextFile(report, offsets::ReportText(e, ProfileInUse(), english)))
    prompts::ShowMessage(Q((english ? "The offsets report could not be written: " : "Ofset raporu yazılamadı: ") +
                           report));
  // 9. From now on the survey corrects with these.
  IniFile ini;
  offsets::WriteSection(ini, e);
  accepted_ = e;
  // 10. Start the survey unless it runs.
  if (FNav && FNav->Realtime && !FNav->Realtime->isChecked()) FNav->Realtime->click();
  // 11.
  SaveFormPlacement(this);
  close();
}

void TOffsets::BitBtn3Click(QObject*) {
  SaveFormPlacement(this);
  close();
}

void TOffsets::FormCloseQuery(QObject*, bool& CanClose) {
  RestoreFormPlacement(this, false);
  CanClose = true;
}

void TOffsets::FormDblClick(QObject*) { setFixedHeight(410); }

// A longer caption (the profile button's state, a translation) widens the
// fixed dialog so that every button shows its text whole.
bool TOffsets::event(QEvent* e) {
  const bool done = QDialog::event(e);
  if (e->type() == QEvent::LayoutRequest && layout() && layout()->sizeHint().width() > width())
    setFixedWidth(layout()->sizeHint().width());
  return done;
}

void TOffsets::bSVPClick(QObject*) {
  if (fSVP) fSVP->show();
}

void TOffsets::bNTRIPShowClick(QObject*) {
  if (frmNTRIPSettings) ShowModally(frmNTRIPSettings);
}

// An empty edit passes (a first start has them all empty, and the dialog
// must still let the user move between them or cancel); the Realtime press
// checks every number anyway.
void TOffsets::CheckNumber(QLineEdit* edit) {
  double v = 0;
  const std::string text = edit->text().toStdString();
  if (text.empty() || TryStrToFloat(text, v)) return;
  inExit_ = true;
  prompts::ShowMessage(Q(offsets::ConversionErrorText(text)));
  edit->setFocus();
  inExit_ = false;
}

void TOffsets::OffsetAExit(QObject*) { CheckNumber(OffsetA); }
void TOffsets::OffsetBExit(QObject*) { CheckNumber(OffsetB); }
void TOffsets::OffsetCExit(QObject*) { CheckNumber(OffsetC); }
void TOffsets::SVExit(QObject*) { CheckNumber(SV); }
void TOffsets::TideHtExit(QObject*) { CheckNumber(TideHt); }

void TOffsets::NumericEditClick(QObject* Sender) {
  if (auto* w = qobject_cast<QWidget*>(Sender); w && FNav) FNav->ShowNumericKeypad(w);
}

void TOffsets::TextEditClick(QObject* Sender) {
  if (auto* w = qobject_cast<QWidget*>(Sender); w && FNav) FNav->ShowSimpleKeyboard(w);
}

void TOffsets::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) FormShow();
}

void TOffsets::ShowAccepted() {
  const std::pair<QLineEdit*, const std::string*> texts[] = {
      {OffsetA, &accepted_.offsetA}, {OffsetB, &accepted_.offsetB},       {OffsetC, &accepted_.offsetC},
      {SV, &accepted_.sv},           {TideHt, &accepted_.tideHt},         {Location, &accepted_.location},
      {SurveyBoat, &accepted_.surveyBoat}, {Surveyor, &accepted_.surveyor}};
  for (const auto& [edit, text] : texts) edit->setText(Q(*text));
}

// Cancel, Escape or the window's close button: what was typed is dropped.
void TOffsets::hideEvent(QHideEvent* e) {
  QDialog::hideEvent(e);
  if (!e->spontaneous()) ShowAccepted();
}

void TOffsets::closeEvent(QCloseEvent* e) {
  bool canClose = true;
  FormCloseQuery(this, canClose);
  if (!canClose) {
    e->ignore();
    return;
  }
  QDialog::closeEvent(e);
}

void TOffsets::keyPressEvent(QKeyEvent* e) {
  // Escape presses the Cancel button.
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    BitBtn3Click(BitBtn3);
    return;
  }
  QDialog::keyPressEvent(e);
}

void TOffsets::mouseDoubleClickEvent(QMouseEvent* e) {
  FormDblClick(this);
  QDialog::mouseDoubleClickEvent(e);
}

bool TOffsets::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::FocusOut && !inExit_) {
    // Leaving an edit for another control of the dialog (not a window switch).
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
    // Leaving for the Cancel button checks nothing: cancelling keeps no value.
    const bool cancelling = QApplication::focusWidget() == BitBtn3;
    if (!cancelling &&
        (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason)) {
      if (watched == OffsetA) OffsetAExit(OffsetA);
      else if (watched == OffsetB) OffsetBExit(OffsetB);
      else if (watched == OffsetC) OffsetCExit(OffsetC);
      else if (watched == SV) SVExit(SV);
      else if (watched == TideHt) TideHtExit(TideHt);
    }
  } else if (e->type() == QEvent::MouseButtonRelease && clickHandlersAttached_) {
    if (watched == OffsetA || watched == OffsetB || watched == OffsetC || watched == SV || watched == TideHt)
      NumericEditClick(watched);
    else if (watched == Location || watched == SurveyBoat || watched == Surveyor)
      TextEditClick(watched);
  }
  return QDialog::eventFilter(watched, e);
}
