// The Turkish language file that comes with the program: its layout, its
// cover of the windows' captions, and the way into Turkish and back.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QComboBox>
#include <QTabWidget>
#include <QToolButton>
#include <filesystem>
#include <functional>

#include "app/textfile.h"
#include "platform/paths.h"
#include "tests/runtime/formsfixture.h"
#include "ui/QuarixTranslation.h"
#include "ui/UTranslationEditor.h"

namespace {

std::string Shipped() {
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(QUARIX_LANGUAGES_DIR "/tr.json", bytes));
  return bytes;
}

void InstallShipped() {
  const std::string folder = platform::ProgramFolder() + "Languages/";
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(WriteFileAtomically(folder + "tr.json", Shipped()));
}

// One caption of a control: how to read it now, and the text it had in English.
struct Caption {
  std::string where;
  std::function<QString()> read;
  QString english;
};

class TurkishWindows : public FormsTest {
 protected:
  void SetUp() override {
    delete Translation;
    Translation = nullptr;
    InstallShipped();
    Start();
    FNav->TranslationEditor1Click(nullptr);
  }
  void TearDown() override {
    delete fTranslationEditor;
    fTranslationEditor = nullptr;
    FormsTest::TearDown();
    delete Translation;
    Translation = nullptr;
  }

  // The captions of the translated windows, as the translation reaches them.
  static std::vector<Caption> Captions() {
    std::vector<Caption> all;
    auto add = [&all](const QObject* o, const QString& kind, std::function<QString()> read) {
      all.push_back({(o->objectName() + " " + kind).toStdString(), read, read()});
    };
    for (QWidget* w : std::initializer_list<QWidget*>{FNav, fRealtime, Navset, Offsets, FShape, fSVP, formAbout,
                                                      FMsg, FGPS, frmNTRIPSettings, fRunline1, fWaterfal, fTheme,
                                                      fTranslationEditor}) {
      add(w, "title", [w] { return w->windowTitle(); });
      for (auto* l : w->findChildren<QLabel*>()) add(l, "label", [l] { return l->text(); });
      for (auto* b : w->findChildren<QAbstractButton*>()) add(b, "button", [b] { return b->text(); });
      for (auto* g : w->findChildren<QGroupBox*>()) add(g, "group", [g] { return g->title(); });
      for (auto* t : w->findChildren<QTabWidget*>())
        for (int i = 0; i < t->count(); ++i) add(t, "tab", [t, i] { return t->tabText(i); });
      for (auto* m : w->findChildren<QMenu*>()) {
        add(m, "menu", [m] { return m->title(); });
        for (QAction* a : m->actions())
          if (!a->isSeparator()) add(m, "item", [a] { return a->text().section('\t', 0, 0); });
      }
    }
    return all;
  }

  static void SwitchLanguage() {
    FNav->sStatusBarDblClick(nullptr);
    fTranslationEditor->hide();
    fTranslationEditor->show();  // the editor translates its captions when shown
  }
};

TEST(TurkishFile, IsWrittenInTheDictionaryFileLayout) {
  TempEnv env;
  InstallShipped();
  delete Translation;
  Translation = new TQuarixTranslation();
  Translation->SetLanguage("tr");
  EXPECT_GT(Translation->Dictionary.size(), 200u);
  // Written back by the dictionary itself, the file stays byte for byte the same:
  // byte-order mark, CR LF lines, entries in key order.
  std::filesystem::remove(platform::ProgramFolder() + "Languages/tr.json");
  Translation->SaveLanguage("tr");
  std::string written;
  ASSERT_TRUE(ReadWholeFile(platform::ProgramFolder() + "Languages/tr.json", written));
  EXPECT_EQ(written, Shipped());
  // Every Turkish text leads back to its own key.
  EXPECT_EQ(Translation->ReverseDictionary.size(), Translation->Dictionary.size());
  // Turkish texts the program has always shown stand as they are.
  EXPECT_EQ(Translation->Dictionary["SVP Profile Used"], "Ses Hızı Profili Devrede");
  EXPECT_EQ(Translation->Dictionary["Single SV Used"], "Tek Ses Hızı Değeri");
  EXPECT_EQ(Translation->Dictionary["Failed! Name of surveyor cannot be missing"],
            "Başarısız! Öçen kişinin adı boş olamaz");
  EXPECT_EQ(Translation->Dictionary["Realtime"], "Gerçek Zamanlı");
  delete Translation;
  Translation = nullptr;
}

TEST_F(TurkishWindows, CaptionsGoIntoTurkishAndBackToTheirKeys) {
  const auto& turkish = Translation->Dictionary;
  const std::vector<Caption> captions = Captions();
  int covered = 0;
  for (const Caption& c : captions) covered += turkish.count(c.english.toStdString()) ? 1 : 0;
  EXPECT_GT(covered, 200);

  SwitchLanguage();
  ASSERT_EQ(Translation->CurrentLanguage, "tr");
  for (const Caption& c : captions) {
    const auto t = turkish.find(c.english.toStdString());
    if (t != turkish.end()) EXPECT_EQ(c.read().toStdString(), t->second) << c.where;
  }

  SwitchLanguage();
  ASSERT_EQ(Translation->CurrentLanguage, "en");
  for (const Caption& c : captions)
    if (turkish.count(c.english.toStdString())) EXPECT_EQ(c.read(), c.english) << c.where;
}

// The survey button's caption of every state follows the language: after a
// press too, and after a switch while the survey runs.
TEST_F(TurkishWindows, SurveyButtonCaptionsFollowTheLanguageInEveryState) {
  FGPS->Port->setCurrentText("COM200");  // no such ports: the survey starts all the same
  FGPS->SPort->setCurrentText("COM201");
  SwitchLanguage();
  ASSERT_EQ(Translation->CurrentLanguage, "tr");
  EXPECT_EQ(FNav->Realtime->text().toStdString(), "Gerçek Zamanlı");
  FNav->Realtime->click();
  EXPECT_EQ(FNav->Realtime->text().toStdString(), "Durdur");
  FNav->Realtime->click();
  EXPECT_EQ(FNav->Realtime->text().toStdString(), "Başlat");
  FNav->Realtime->click();
  SwitchLanguage();
  EXPECT_EQ(FNav->Realtime->text().toStdString(), "Stop");
  FNav->Realtime->click();
  EXPECT_EQ(FNav->Realtime->text().toStdString(), "Start");
}

TEST_F(TurkishWindows, EveryWordedCaptionHasATurkishText) {
  SwitchLanguage();
  std::string log;
  ReadWholeFile(platform::ProgramFolder() + "Languages/missing.log", log);
  // Only texts without words are left: numbers, the clock, placeholders, the
  // version line and the main window's title, which carries the file name.
  const QRegularExpression word("[A-Za-z]{2,}");
  for (const QString& key : QString::fromStdString(log).split("\r\n", Qt::SkipEmptyParts))
    if (!key.startsWith("Version ") && !key.startsWith("Quarix Depthmark - ")) EXPECT_FALSE(word.match(key).hasMatch()) << key.toStdString();
}

}  // namespace
