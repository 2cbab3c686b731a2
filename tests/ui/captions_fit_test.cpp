// Every caption of every window shows whole, in English and in Turkish: no
// label, button, check box, radio button, group box, tab or column header
// holds a text wider than the room its control gives it, in any of the texts
// its states give it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <QPlainTextEdit>

#include "app/fonts.h"
#include "platform/paths.h"
#include "runtime/statuspanels.h"
#include "tests/runtime/formsfixture.h"
#include "ui/QuarixKeyboard.h"
#include "ui/QuarixTranslation.h"
#include "ui/UTranslationEditor.h"
#include "ntrip/uNTRIPSettings.h"
#include "planning/USoundVelocity.h"
#include "runtime/Bathymetry.h"

namespace {

// The text a control shows: mnemonic marks dropped, "&&" shown as "&".
QString Shown(const QString& caption, bool mnemonics) {
  if (!mnemonics) return caption;
  QString s;
  for (int i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    s += caption[i];
  }
  return s;
}

// Width of the widest line of a text.
int TextWidth(const QFontMetrics& fm, const QString& text) {
  int w = 0;
  for (const QString& line : text.split('\n')) w = std::max(w, fm.horizontalAdvance(line));
  return w;
}

struct Clip {
  QString where;  // window / control: text
  int text, room;
};

class CaptionWalker {
 public:
  std::vector<Clip> clips;
  int measured = 0;  // captions measured, whole or not

  // One control in its window as it stands.
  void Control(QWidget* window, QWidget* c) {
    Settle();
    Measure(window, c);
  }

  void Window(QWidget* w) {
    for (auto* tabs : w->findChildren<QTabWidget*>()) {
      // Each page in turn: controls on hidden pages get no geometry.
      for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        Settle();
        Controls(w, tabs->widget(i));
      }
      tabs->setCurrentIndex(0);
    }
    Settle();
    Controls(w, w);
  }

  static void Settle() {
    for (int i = 0; i < 3; ++i) {
      QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
      QApplication::processEvents();
    }
  }

 private:
  void Controls(QWidget* window, QWidget* root) {
    std::vector<QWidget*> all{root};
    for (auto* c : root->findChildren<QWidget*>()) all.push_back(c);
    for (QWidget* c : all) Measure(window, c);
  }

  void Measure(QWidget* window, QWidget* c) {
    if (!c->isVisibleTo(window) || c->width() <= 0) return;
    if (qobject_cast<TQuarixStatusBar*>(c->parentWidget())) return;  // panels, not captions
    if (auto* l = qobject_cast<QLabel*>(c))
      Label(window, l);
    else if (auto* b = qobject_cast<QPushButton*>(c))
      Button(window, b, QStyle::SE_PushButtonContents);
    else if (auto* b = qobject_cast<QCheckBox*>(c))
      Button(window, b, QStyle::SE_CheckBoxContents);
    else if (auto* b = qobject_cast<QRadioButton*>(c))
      Button(window, b, QStyle::SE_RadioButtonContents);
    else if (auto* t = qobject_cast<QToolButton*>(c))
      Tool(window, t);
    else if (auto* g = qobject_cast<QGroupBox*>(c))
      Group(window, g);
    else if (auto* bar = qobject_cast<QTabBar*>(c))
      Tabs(window, bar);
    else if (auto* h = qobject_cast<QHeaderView*>(c))
      Header(window, h);
  }

  void Report(QWidget* window, QWidget* c, const QString& text, int width, int room) {
    if (text.trimmed().isEmpty()) return;
    ++measured;
    if (width <= room) return;
    clips.push_back({window->objectName() + " / " + c->objectName() + " (" + c->metaObject()->className() +
                         "): \"" + text + "\"",
                     width, room});
  }

  void Label(QWidget* window, QLabel* l) {
    if (l->wordWrap() || l->text().isEmpty() || Qt::mightBeRichText(l->text())) return;
    const QString text = Shown(l->text(), l->buddy() != nullptr);
    int room = l->contentsRect().width() - 2 * l->margin();
    if (l->indent() > 0) room -= l->indent();
    // A label placed by hand ends where the next control beside it begins.
    if (QWidget* parent = l->parentWidget(); parent && (!parent->layout() || parent->layout()->indexOf(static_cast<QWidget*>(l)) < 0)) {
      const QRect g = l->geometry();
      for (auto* sibling : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect s = sibling->geometry();
        if (sibling == l || sibling->isHidden() || s.left() <= g.left()) continue;
        if (s.top() < g.bottom() && s.bottom() > g.top()) room = std::min(room, s.left() - g.left());
      }
    }
    Report(window, l, text, TextWidth(l->fontMetrics(), text), room);
  }

  void Button(QWidget* window, QAbstractButton* b, QStyle::SubElement contents) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    opt.icon = b->icon();
    opt.iconSize = b->iconSize();
    int room = b->style()->subElementRect(contents, &opt, b).width();
    if (contents == QStyle::SE_PushButtonContents) {
      room -= 2 * b->style()->pixelMetric(QStyle::PM_ButtonMargin, &opt, b) / 3;  // the label's own inset
      if (!b->icon().isNull()) room -= b->iconSize().width() + 4;
    }
    const QString text = Shown(b->text(), true);
    Report(window, b, text, TextWidth(b->fontMetrics(), text), room);
  }

  void Tool(QWidget* window, QToolButton* t) {
    if (t->text().isEmpty() || t->toolButtonStyle() == Qt::ToolButtonIconOnly ||
        (t->toolButtonStyle() == Qt::ToolButtonFollowStyle && !t->icon().isNull()))
      return;
    if (t->objectName().startsWith("qt_")) return;  // Qt's own scroll and extension buttons
    QStyleOptionToolButton opt;
    opt.initFrom(t);
    opt.subControls = QStyle::SC_ToolButton;
    if (t->popupMode() == QToolButton::MenuButtonPopup) opt.subControls |= QStyle::SC_ToolButtonMenu;
    opt.features = t->popupMode() == QToolButton::MenuButtonPopup ? QStyleOptionToolButton::MenuButtonPopup
                                                                    : QStyleOptionToolButton::None;
    const int frame = t->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, t);
    int room = t->style()->subControlRect(QStyle::CC_ToolButton, &opt, QStyle::SC_ToolButton, t).width() - 2 * frame;
    if (!t->icon().isNull() && t->toolButtonStyle() == Qt::ToolButtonTextBesideIcon)
      room -= t->iconSize().width() + 4;
    const QString text = Shown(t->text(), true);
    Report(window, t, text, TextWidth(t->fontMetrics(), text), room);
  }

  void Group(QWidget* window, QGroupBox* g) {
    if (g->title().isEmpty()) return;
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.lineWidth = 1;
    opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    if (g->isCheckable()) opt.subControls |= QStyle::SC_GroupBoxCheckBox;
    opt.textAlignment = g->alignment();
    const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    // The title shows whole when it ends inside the box.
    const QString text = Shown(g->title(), true);
    const int width = TextWidth(g->fontMetrics(), text);
    Report(window, g, text, label.left() + width, g->width() - 2);
  }

  void Tabs(QWidget* window, QTabBar* bar) {
    for (int i = 0; i < bar->count(); ++i) {
      if (!bar->isTabVisible(i)) continue;
      QStyleOptionTab opt;
      opt.initFrom(bar);
      opt.rect = bar->tabRect(i);
      opt.text = bar->tabText(i);
      opt.shape = bar->shape();
      opt.documentMode = bar->documentMode();
      const QRect textRect = bar->style()->subElementRect(QStyle::SE_TabBarTabText, &opt, bar);
      const QString text = Shown(bar->tabText(i), true);
      int room = textRect.width();
      // A tab that reaches past the bar's edge is cut there.
      room = std::min(room, bar->width() - textRect.left());
      Report(window, bar, text, TextWidth(bar->fontMetrics(), text), room);
    }
  }

  void Header(QWidget* window, QHeaderView* h) {
    auto* model = h->model();
    if (!model) return;
    const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    for (int i = 0; i < h->count(); ++i) {
      if (h->isSectionHidden(i)) continue;
      const QString text = model->headerData(i, h->orientation(), Qt::DisplayRole).toString();
      if (h->orientation() == Qt::Vertical) continue;  // row numbers
      int room = h->sectionSize(i) - 2 * margin;
      if (h->isSortIndicatorShown() && h->sortIndicatorSection() == i)
        room -= h->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, h) + margin;
      QFont f = h->font();
      const QVariant fv = model->headerData(i, h->orientation(), Qt::FontRole);
      if (fv.canConvert<QFont>()) f = fv.value<QFont>();
      Report(window, h, QString("column %1 ").arg(i) + text, TextWidth(QFontMetrics(f), text), room);
    }
  }
};

class CaptionsFit : public FormsTest {
 protected:
  void SetUp() override {
    SetupDesignFonts();
    const std::string folder = platform::ProgramFolder() + "Languages/";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(QUARIX_LANGUAGES_DIR "/tr.json", folder + "tr.json");
    delete Translation;
    Translation = nullptr;
    Start();
    FNav->TranslationEditor1Click(nullptr);
    FNav->ShowNumericKeypad(nullptr);
    FNav->ShowSimpleKeyboard(nullptr);
  }
  void TearDown() override {
    delete fTranslationEditor;
    fTranslationEditor = nullptr;
    FormsTest::TearDown();
    delete Translation;
    Translation = nullptr;
  }

  static std::vector<QWidget*> Windows() {
    return {FNav,    Navset,       FShape,    FGPS,      fRealtime, FMsg,      Offsets,
            formAbout, fSVP,       fRunline1, fLatency,  fWaterfal, fTheme,    fJoystick,
            fSVPGraph, frmNTRIPSettings, fRTCMParsing, fTranslationEditor};
  }

  // A control whose caption changes with a state, and how each of its states
  // is brought about. A new state text is one more line here.
  struct StateTexts {
    QWidget* window;
    QWidget* control;
    std::vector<std::pair<const char*, std::function<void()>>> states;
  };

  static std::function<void()> Caption(QAbstractButton* b, const char* english) {
    return [b, english] { b->setText(QString::fromStdString(Translation->Translate(english))); };
  }
  static std::function<void()> NtripStatus(int code) {
    return [code] { frmNTRIPSettings->NTRIPClientStatus(nullptr, code, ""); };
  }

  static std::vector<StateTexts> States() {
    return {
        // The survey button: its untranslated start and stop texts, and the
        // ones a translation gives it in either state.
        {FNav,
         FNav->Realtime,
         {{"Start", [] { FNav->Realtime->setText("Start"); }},
          {"Stop", [] { FNav->Realtime->setText("Stop"); }},
          {"Realtime", Caption(FNav->Realtime, "Realtime")},
          {"Stop translated", Caption(FNav->Realtime, "Stop")},
          {"Start translated", Caption(FNav->Realtime, "Start")}}},
        // The offsets dialog's profile button: the sound velocity in use.
        {Offsets,
         Offsets->bSVP,
         {{"profile used", [] { UseProfile(true); }},
          {"single value used", [] { UseProfile(false); }},
          {"designed", Caption(Offsets->bSVP, "Sound Velocity Profile")}}},
        {Offsets, Offsets->BitBtn1, {{"designed", Caption(Offsets->BitBtn1, "Realtime")}}},
        // The NTRIP window's connect button through the client's states.
        {frmNTRIPSettings,
         frmNTRIPSettings->btnConnect,
         {{"disconnected", NtripStatus(0)},
          {"connecting", NtripStatus(1)},
          {"connected", NtripStatus(2)},
          {"receiving", NtripStatus(3)},
          {"error", NtripStatus(4)}}},
    };
  }

  // The profile switch of the sound-velocity window, with a column to use.
  static void UseProfile(bool use) {
    fSVP->mSVPColumn->setPlainText("1500\n1501\n");
    fSVP->cUseSVP->setChecked(use);
    fSVP->cUseSVPClick();
  }

  std::vector<Clip> Walk() {
    CaptionWalker walker;
    for (QWidget* w : Windows()) {
      w->show();
      CaptionWalker::Settle();
      walker.Window(w);
    }
    EXPECT_GT(walker.measured, 0) << "no caption measured";
    for (const StateTexts& s : States()) {
      s.window->show();
      for (const auto& [state, apply] : s.states) {
        apply();
        const int before = walker.measured;
        walker.Control(s.window, s.control);
        EXPECT_GT(walker.measured, before) << s.control->objectName().toStdString() << " " << state << ": not measured";
      }
    }
    return walker.clips;
  }

  static std::string Describe(const std::vector<Clip>& clips) {
    std::string s;
    for (const Clip& c : clips)
      s += c.where.toStdString() + " needs " + std::to_string(c.text) + " px, has " + std::to_string(c.room) + "\n";
    return s;
  }
};

TEST_F(CaptionsFit, EveryCaptionShowsWholeInEnglishAndTurkish) {
  const auto english = Walk();
  EXPECT_TRUE(english.empty()) << "English:\n" << Describe(english);

  FNav->sStatusBarDblClick(nullptr);
  ASSERT_EQ(Translation->CurrentLanguage, "tr");
  fTranslationEditor->hide();
  fTranslationEditor->show();  // translates its own captions when shown
  const auto turkish = Walk();
  EXPECT_TRUE(turkish.empty()) << "Turkish:\n" << Describe(turkish);
}

// A walk that measured nothing would pass whatever the captions: it fails.
TEST(CaptionWalk, CountsWhatItMeasures) {
  QWidget w;
  w.setObjectName("w");
  auto* b = new QPushButton("A caption far too long for its button", &w);
  b->setGeometry(0, 0, 40, 24);
  new QLabel("", &w);
  w.show();
  CaptionWalker walker;
  walker.Window(&w);
  EXPECT_EQ(walker.measured, 1);
  ASSERT_EQ(walker.clips.size(), 1u);
  EXPECT_NE(walker.clips[0].where.indexOf("A caption far too long"), -1);
}

}  // namespace
