// Windows in the current language, the status-bar language switch and the
// translation editor.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "app/settingsfile.h"
#include "app/textfile.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "runtime/statuspanels.h"
#include "tests/runtime/formsfixture.h"
#include "ui/QuarixTranslation.h"
#include "ui/UTranslationEditor.h"

namespace {

const char* const kTurkish =
    "{\"Cancel\": \"\xC4\xB0ptal\", \"Close\": \"Kapat\", \"Edit Language:\": \"Dil:\", \"File\": \"Dosya\","
    " \"Follow Vessel\": \"Tekneyi \xC4\xB0zle\", \"Group\": \"Grup\", \"Label\": \"Etiket\", \"Open\": \"A\xC3\xA7\","
    " \"Open...\": \"A\xC3\xA7...\", \"Page\": \"Sayfa\", \"Realtime\": \"Canl\xC4\xB1\", \"Reload\": \"Yenile\","
    " \"Save\": \"Kaydet\", \"Window\": \"Pencere\", \"Zoom In\": \"Yak\xC4\xB1nla\","
    " \"Acoustics Waterfall\": \"Akustik\", \"Theme Selection\": \"Tema\", \"Save && Exit\": \"Kaydet && \xC3\x87\xC4\xB1k\"}";

void WriteLanguage(const std::string& code, const std::string& bytes) {
  const std::string folder = platform::ProgramFolder() + "Languages/";
  std::filesystem::create_directories(folder);
  ASSERT_TRUE(WriteFileAtomically(folder + code + ".json", bytes));
}

std::string LanguageFile(const std::string& code) {
  std::string s;
  ReadWholeFile(platform::ProgramFolder() + "Languages/" + code + ".json", s);
  return s;
}

// A fresh dictionary in the test's program folder for every test.
void ResetDictionary() {
  delete Translation;
  Translation = nullptr;
}

class Translated : public ::testing::Test {
 protected:
  void SetUp() override { ResetDictionary(); }
  void TearDown() override { ResetDictionary(); }
  TempEnv env;
};

// A window with one control of every kind that has a caption.
struct SampleWindow {
  SampleWindow() {
    w.setWindowTitle("Window");
    label = new QLabel("Label", &w);
    button = new QPushButton("Save", &w);
    check = new QCheckBox("Open", &w);
    radio = new QRadioButton("Close", &w);
    group = new QGroupBox("Group", &w);
    inGroup = new QLabel("Cancel", group);
    tabs = new QTabWidget(&w);
    onPage = new QLabel("Realtime", new QWidget);
    tabs->addTab(onPage->parentWidget(), "Page");
    edit = new QLineEdit("Save", &w);
    speed = new QToolButton(&w);
    speed->setText("Zoom In");
    bar = new QToolBar(&w);
    tool = new QToolButton(bar);
    tool->setText("Open");
    bar->addWidget(tool);
    status = new TQuarixStatusBar(2, 50, &w);
    status->SetPanelText(0, "Save");
    auto* menuBar = new QMenuBar(&w);
    menu = menuBar->addMenu("File");
    open = menu->addAction("Open...\tCtrl+O");
    menu->addSeparator();
  }
  QWidget w;
  QLabel *label, *inGroup, *onPage;
  QPushButton* button;
  QCheckBox* check;
  QRadioButton* radio;
  QGroupBox* group;
  QTabWidget* tabs;
  QLineEdit* edit;
  QToolButton *speed, *tool;
  QToolBar* bar;
  TQuarixStatusBar* status;
  QMenu* menu;
  QAction* open;
};

TEST_F(Translated, FormCaptionsFollowTheLanguageAndComeBack) {
  WriteLanguage("tr", kTurkish);
  Translation = new TQuarixTranslation();
  Translation->SetLanguage("tr");
  SampleWindow s;
  TranslateForm(&s.w);
  TranslateForm(&s.w);  // a second translation changes nothing
  const struct {
    QString shown;
    const char* turkish;
  } translated[] = {
      {s.w.windowTitle(), "Pencere"},     {s.label->text(), "Etiket"},
      {s.button->text(), "Kaydet"},       {s.check->text(), "A\xC3\xA7"},
      {s.radio->text(), "Kapat"},         {s.group->title(), "Grup"},
      {s.inGroup->text(), "\xC4\xB0ptal"}, {s.tabs->tabText(0), "Sayfa"},
      {s.onPage->text(), "Canl\xC4\xB1"}, {s.speed->text(), "Yak\xC4\xB1nla"},
      {s.menu->title(), "Dosya"},         {s.open->text(), "A\xC3\xA7...\tCtrl+O"},
  };
  for (const auto& t : translated) EXPECT_EQ(t.shown, QString::fromUtf8(t.turkish));
  // Edits, tool-bar buttons and status panels keep their texts.
  EXPECT_EQ(s.edit->text(), "Save");
  EXPECT_EQ(s.tool->text(), "Open");
  EXPECT_EQ(s.status->PanelText(0), "Save");

  Translation->SetLanguage("en");
  TranslateForm(&s.w);
  EXPECT_EQ(s.w.windowTitle(), "Window");
  EXPECT_EQ(s.label->text(), "Label");
  EXPECT_EQ(s.radio->text(), "Close");
  EXPECT_EQ(s.tabs->tabText(0), "Page");
  EXPECT_EQ(s.open->text(), "Open...\tCtrl+O");
  EXPECT_EQ(s.menu->title(), "File");
}

TEST_F(Translated, NothingWithoutDictionaryOrControl) {
  SampleWindow s;
  TranslateForm(&s.w);
  TranslateControl(s.label);
  TranslateMenuItem(s.open);
  EXPECT_EQ(s.label->text(), "Label");
  Translation = new TQuarixTranslation();
  TranslateForm(nullptr);
  TranslateControl(nullptr);
  TranslateMenuItem(nullptr);
}

TEST_F(Translated, MenuSeparatorsAndEmptyCaptionsAreLoggedOnce) {
  Translation = new TQuarixTranslation();
  Translation->SetLanguage("tr");  // no Turkish file
  QMenu menu("File");
  menu.addAction("");
  menu.addSeparator();
  QMenu* sub = menu.addMenu("More");
  sub->addAction("Deep");
  for (int i = 0; i < 2; ++i) TranslateMenuItem(menu.menuAction());
  std::string log;
  ReadWholeFile(platform::ProgramFolder() + "Languages/missing.log", log);
  EXPECT_EQ(log, "File\r\n\r\n-\r\nMore\r\nDeep\r\n");
  EXPECT_TRUE(menu.actions()[1]->isSeparator());
}

// ---------------------------------------------------------------------------
// The main window

class LanguageSwitch : public FormsTest {
 protected:
  void SetUp() override { ResetDictionary(); }
  void TearDown() override {
    Free(fTranslationEditor);
    FormsTest::TearDown();
    ResetDictionary();
  }
  std::string StoredLanguage() {
    IniFile ini;
    return ini.ReadString("SETTINGS", "Language", "(none)");
  }
};

TEST_F(LanguageSwitch, DoubleClickSwitchesEnglishAndTurkish) {
  WriteLanguage("tr", kTurkish);
  Start();
  EXPECT_EQ(FNav->File1->title(), "File");
  EXPECT_EQ(FNav->bFollowVessel->text(), "Follow Vessel");
  EXPECT_EQ(fWaterfal->windowTitle(), "Acoustics Waterfall");

  FNav->sStatusBarDblClick(FNav->sStatusBar);
  EXPECT_EQ(Translation->CurrentLanguage, "tr");
  EXPECT_EQ(FNav->sStatusBar->PanelText(4), "TR");
  EXPECT_EQ(StoredLanguage(), "tr");
  EXPECT_EQ(FNav->File1->title(), "Dosya");
  EXPECT_EQ(FNav->Open1->text(), QString::fromUtf8("A\xC3\xA7..."));
  EXPECT_EQ(FNav->bFollowVessel->text(), QString::fromUtf8("Tekneyi \xC4\xB0zle"));
  EXPECT_EQ(FNav->Zoomin->text(), QString::fromUtf8("Yak\xC4\xB1nla"));
  EXPECT_EQ(FNav->Realtime->text(), QString::fromUtf8("Canl\xC4\xB1"));
  EXPECT_EQ(fWaterfal->windowTitle(), "Akustik");
  EXPECT_EQ(fTheme->windowTitle(), "Tema");
  EXPECT_EQ(fTheme->findChild<QPushButton*>("bSaveExit")->text(), QString::fromUtf8("Kaydet && \xC3\x87\xC4\xB1k"));
  EXPECT_EQ(fTheme->findChild<QPushButton*>("bCancel")->text(), QString::fromUtf8("\xC4\xB0ptal"));

  FNav->sStatusBarDblClick(FNav->sStatusBar);
  EXPECT_EQ(Translation->CurrentLanguage, "en");
  EXPECT_EQ(FNav->sStatusBar->PanelText(4), "EN");
  EXPECT_EQ(StoredLanguage(), "en");
  EXPECT_EQ(FNav->File1->title(), "File");
  EXPECT_EQ(FNav->Open1->text(), "Open...");
  EXPECT_EQ(FNav->bFollowVessel->text(), "Follow Vessel");
  EXPECT_EQ(FNav->Realtime->text(), "Realtime");
  EXPECT_EQ(fTheme->findChild<QPushButton*>("bSaveExit")->text(), "Save && Exit");
  EXPECT_EQ(fWaterfal->windowTitle(), "Acoustics Waterfall");
}

TEST_F(LanguageSwitch, AnotherStoredLanguageGoesToEnglishFirst) {
  {
    IniFile ini;
    ini.WriteString("SETTINGS", "Language", "de");
  }
  Start();
  EXPECT_EQ(FNav->sStatusBar->PanelText(4), "DE");
  FNav->sStatusBarDblClick();
  EXPECT_EQ(Translation->CurrentLanguage, "en");
  FNav->sStatusBarDblClick();
  EXPECT_EQ(Translation->CurrentLanguage, "tr");
  EXPECT_EQ(StoredLanguage(), "tr");
}

TEST_F(LanguageSwitch, MenuOpensOneEditorWindow) {
  Start();
  EXPECT_EQ(fTranslationEditor, nullptr);
  FNav->TranslationEditor1->trigger();
  ASSERT_NE(fTranslationEditor, nullptr);
  TfTranslationEditor* first = fTranslationEditor;
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(first->parent(), nullptr);
  first->hide();
  FNav->TranslationEditor1Click();
  EXPECT_EQ(fTranslationEditor, first);
  EXPECT_TRUE(first->isVisible());
}

// ---------------------------------------------------------------------------
// The translation editor

class Editor : public Translated {
 protected:
  void Open(const char* language) {
    if (!Translation) Translation = new TQuarixTranslation();
    Translation->SetLanguage(language);
    editor = std::make_unique<TfTranslationEditor>();
    editor->show();
  }
  void Edit(int row, const QString& text) { editor->sgTranslations->item(row - 1, 2)->setText(text); }
  std::vector<QString> Column(int col) const {
    std::vector<QString> cells;
    for (int r = 0; r <= editor->sgTranslations->rowCount(); ++r) cells.push_back(editor->Cell(col, r));
    return cells;
  }
  QString Status() const { return editor->LabelStatus->text(); }
  std::unique_ptr<TfTranslationEditor> editor;
};

const char* const kSmallTurkish = "{\"Cancel\": \"\xC4\xB0ptal\", \"Reload\": \"Yenile\", \"Save\": \"Kaydet\"}";

TEST_F(Editor, ShowsKeysWithTheCurrentLanguage) {
  WriteLanguage("tr", kSmallTurkish);
  WriteLanguage("de", "{\"Save\": \"Speichern\"}");
  Open("tr");
  EXPECT_EQ(editor->windowTitle(), "Translation Editor");  // no Turkish entry: stays English
  EXPECT_EQ(editor->btReload->text(), "Yenile");
  EXPECT_EQ(editor->cbLanguage->count(), 3);
  EXPECT_EQ(editor->cbLanguage->currentText(), "tr");
  EXPECT_EQ(Column(0), (std::vector<QString>{"Key", "Cancel", "Reload", "Save"}));
  EXPECT_EQ(Column(1), (std::vector<QString>{"English", "Cancel", "Reload", "Save"}));
  EXPECT_EQ(Column(2), (std::vector<QString>{"tr", QString::fromUtf8("\xC4\xB0ptal"), "Yenile", "Kaydet"}));
  EXPECT_EQ(editor->sgTranslations->columnWidth(0), 200);
  EXPECT_EQ(editor->sgTranslations->columnWidth(2), 250);
  EXPECT_FALSE(editor->sgTranslations->item(0, 0)->flags() & Qt::ItemIsEditable);
  EXPECT_FALSE(editor->Modified);
  EXPECT_EQ(Status(), "");

  // Another language: the keys of the Turkish file with that language's texts.
  editor->cbLanguage->setCurrentText("de");
  editor->cbLanguageChange();
  EXPECT_EQ(Column(2), (std::vector<QString>{"de", "Cancel", "Reload", "Speichern"}));
}

TEST_F(Editor, SavingTheCurrentLanguageWritesItsFile) {
  WriteLanguage("tr", kSmallTurkish);
  Open("tr");
  Edit(3, "Sakla");
  editor->sgTranslations->item(0, 1)->setText("Ignored");  // English edits are never kept
  EXPECT_TRUE(editor->Modified);
  EXPECT_EQ(Status(), "Modified");
  editor->btSave->click();
  EXPECT_FALSE(editor->Modified);
  EXPECT_EQ(Status(), "Saved!");
  EXPECT_EQ(LanguageFile("tr"),
            "\xEF\xBB\xBF{\r\n  \"Cancel\": \"\xC4\xB0ptal\",\r\n  \"Reload\": \"Yenile\",\r\n"
            "  \"Save\": \"Sakla\"\r\n}\r\n");
  EXPECT_EQ(Translation->Translate("Save"), "Sakla");
}

TEST_F(Editor, SavingInEnglishWritesNothing) {
  WriteLanguage("tr", kSmallTurkish);
  Open("en");
  EXPECT_EQ(editor->cbLanguage->currentText(), "en");
  EXPECT_EQ(Column(2)[3], "Save");
  Edit(3, "Changed");
  editor->btSaveClick();
  EXPECT_EQ(Status(), "Not saved: the English texts are the keys themselves");
  EXPECT_TRUE(editor->Modified);
  EXPECT_EQ(LanguageFile("tr"), kSmallTurkish);
  EXPECT_FALSE(platform::FileExists(platform::ProgramFolder() + "Languages/en.json"));
}

TEST_F(Editor, SavingALanguageThatIsNotCurrentWritesItsFile) {
  WriteLanguage("tr", kSmallTurkish);
  WriteLanguage("de", "{\"Save\": \"Speichern\", \"Only German\": \"Nur\"}");
  Open("en");
  editor->cbLanguage->setCurrentText("tr");
  editor->cbLanguageChange();
  Edit(3, "Sakla");
  editor->btSaveClick();
  EXPECT_EQ(Status(), "Saved!");
  EXPECT_FALSE(editor->Modified);
  EXPECT_EQ(LanguageFile("tr"),
            "\xEF\xBB\xBF{\r\n  \"Cancel\": \"\xC4\xB0ptal\",\r\n  \"Reload\": \"Yenile\",\r\n"
            "  \"Save\": \"Sakla\"\r\n}\r\n");
  EXPECT_EQ(Translation->CurrentLanguage, "en");

  // Shown again, the editor reads the edit back; a text the grid does not
  // list (a key only that language has) stays in its file.
  editor->cbLanguage->setCurrentText("de");
  editor->cbLanguageChange();
  Edit(1, "Abbrechen");
  editor->btSaveClick();
  EXPECT_NE(LanguageFile("de").find("\"Only German\": \"Nur\""), std::string::npos);
  EXPECT_NE(LanguageFile("de").find("\"Cancel\": \"Abbrechen\""), std::string::npos);
  editor->hide();
  editor->show();
  editor->cbLanguage->setCurrentText("tr");
  editor->cbLanguageChange();
  EXPECT_EQ(editor->Cell(2, 3), "Sakla");
  Translation->SetLanguage("tr");
  EXPECT_EQ(Translation->Translate("Save"), "Sakla");
}

TEST_F(Editor, SaveThatCannotWriteSaysSo) {
  WriteLanguage("tr", kSmallTurkish);
  WriteLanguage("de", "{\"Save\": ");  // unreadable: its texts would be lost
  Open("tr");
  editor->cbLanguage->setCurrentText("de");
  editor->cbLanguageChange();
  Edit(3, "Speichern");
  editor->btSaveClick();
  EXPECT_TRUE(Status().startsWith("Not saved: ")) << Status().toStdString();
  EXPECT_TRUE(Status().endsWith("de.json cannot be written")) << Status().toStdString();
  EXPECT_TRUE(editor->Modified);
  EXPECT_EQ(LanguageFile("de"), "{\"Save\": ");

  // Asked on a change of language, a save that fails keeps the edits in the grid.
  prompts::CurrentScript() = {};
  prompts::CurrentScript().answers.push_back(prompts::Answer::Yes);
  editor->cbLanguage->setCurrentText("tr");
  editor->cbLanguageChange();
  EXPECT_EQ(editor->GridLanguage(), "de");
  EXPECT_EQ(editor->cbLanguage->currentText(), "de");
  EXPECT_EQ(editor->Cell(2, 3), "Speichern");
  EXPECT_TRUE(editor->Modified);
}

TEST_F(Editor, AddingKeys) {
  WriteLanguage("tr", kSmallTurkish);
  Open("tr");
  const struct {
    const char* typed;
    const char* status;
    int rows;
  } cases[] = {
      {"Save", "Key already exists", 3},
      {"   ", "Key already exists", 3},  // nothing happens
      {"  Open File \t", "Key added - don't forget to save", 4},
      {"Open File", "Key already exists", 4},
  };
  for (const auto& c : cases) {
    editor->edNewKey->setText(c.typed);
    editor->btAddKeyClick();
    EXPECT_EQ(Status(), c.status) << c.typed;
    EXPECT_EQ(editor->sgTranslations->rowCount(), c.rows) << c.typed;
  }
  EXPECT_TRUE(editor->Modified);
  EXPECT_EQ(editor->edNewKey->text(), "Open File");  // emptied only when a key was added
  EXPECT_EQ(editor->Cell(0, 4), "Open File");
  EXPECT_EQ(editor->Cell(1, 4), "Open File");
  EXPECT_EQ(editor->Cell(2, 4), "");
  Edit(4, "Dosya A\xC3\xA7");
  editor->btSaveClick();
  EXPECT_EQ(Translation->GetText("tr", "Open File"), "Dosya A\xC3\xA7");
  EXPECT_NE(LanguageFile("tr").find("\"Open File\": \"Dosya A\xC3\xA7\""), std::string::npos);
}

TEST_F(Editor, ChangingLanguageAfterEdits) {
  WriteLanguage("tr", kSmallTurkish);
  WriteLanguage("de", "{}");
  const struct {
    prompts::Answer answer;
    const char* gridLanguage;  // after the change
    const char* savedSave;     // Turkish text of "Save" in its file afterwards
  } cases[] = {
      {prompts::Answer::Yes, "de", "Sakla"},
      {prompts::Answer::No, "de", "Kaydet"},
      {prompts::Answer::Cancel, "tr", "Kaydet"},
  };
  for (const auto& c : cases) {
    WriteLanguage("tr", kSmallTurkish);
    ResetDictionary();
    Open("tr");
    Edit(3, "Sakla");
    prompts::CurrentScript() = {};
    prompts::CurrentScript().answers.push_back(c.answer);
    editor->cbLanguage->setCurrentText("de");
    editor->cbLanguageChange();
    ASSERT_EQ(prompts::CurrentScript().shown.size(), 1u);
    EXPECT_EQ(prompts::CurrentScript().shown[0], "Do you want to save changes?");
    EXPECT_EQ(editor->GridLanguage(), c.gridLanguage);
    EXPECT_EQ(Translation->GetText("tr", "Save"), c.savedSave) << static_cast<int>(c.answer);
    EXPECT_NE(LanguageFile("tr").find(std::string("\"Save\": \"") + c.savedSave + "\""), std::string::npos);
    if (c.answer == prompts::Answer::Cancel) {
      // The edits stay, and a later save keeps them for the language shown.
      EXPECT_TRUE(editor->Modified);
      EXPECT_EQ(editor->cbLanguage->currentText(), "tr");
      EXPECT_EQ(editor->Cell(2, 3), "Sakla");
      editor->btSaveClick();
      EXPECT_EQ(Translation->GetText("tr", "Save"), "Sakla");
    } else {
      EXPECT_FALSE(editor->Modified);
    }
  }
}

TEST_F(Editor, ReloadDropsEditsAndSelectsTheCurrentLanguage) {
  WriteLanguage("tr", kSmallTurkish);
  Open("tr");
  Edit(1, "Vazge\xC3\xA7");
  WriteLanguage("fr", "{}");
  editor->btReloadClick();
  EXPECT_EQ(Status(), "Reloaded");
  EXPECT_FALSE(editor->Modified);
  EXPECT_EQ(editor->Cell(2, 1), QString::fromUtf8("\xC4\xB0ptal"));
  EXPECT_EQ(editor->cbLanguage->count(), 3);
  EXPECT_EQ(editor->cbLanguage->currentText(), "tr");
}

// A language file that cannot be read (a FIFO, a link to a device) is told
// in the status line, on opening, on choosing the language and on Reload,
// never taken for a language without texts; a missing file is a new language.
TEST_F(Editor, ALanguageFileThatCannotBeReadIsTold) {
  const std::string folder = platform::ProgramFolder() + "Languages/";
  WriteLanguage("tr", kSmallTurkish);
  ASSERT_EQ(::mkfifo((folder + "de.json").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", folder + "fr.json");
  const auto told = [&](const char* code) {
    return "Not loaded: " + folder + code + ".json cannot be read (it is not a regular file)";
  };
  Open("de");
  EXPECT_EQ(Status().toStdString(), told("de"));
  editor->btReloadClick();
  EXPECT_EQ(Status().toStdString(), told("de"));
  editor->cbLanguage->setCurrentText("fr");
  editor->cbLanguageChange();
  EXPECT_EQ(Status().toStdString(), told("fr"));
  editor->cbLanguage->setCurrentText("tr");
  editor->cbLanguageChange();
  EXPECT_EQ(Status(), "");
  std::filesystem::remove(folder + "de.json");  // a language not translated yet
  editor->cbLanguage->setCurrentText("de");
  editor->cbLanguageChange();
  EXPECT_EQ(Status(), "");
}

TEST_F(Editor, WithoutTurkishFileOneEmptyRow) {
  Open("tr");
  EXPECT_EQ(editor->sgTranslations->rowCount(), 1);
  EXPECT_EQ(editor->Cell(0, 0), "Key");
  EXPECT_EQ(editor->Cell(0, 1), "");
  editor->btSaveClick();  // the empty row is no entry
  EXPECT_EQ(LanguageFile("tr"), "\xEF\xBB\xBF{\r\n}\r\n");
}

TEST_F(Editor, WithoutDictionaryNothingIsFilled) {
  editor = std::make_unique<TfTranslationEditor>();
  editor->show();
  EXPECT_EQ(editor->cbLanguage->count(), 0);
  EXPECT_EQ(editor->btSave->text(), "Save Changes");
  editor->btSaveClick();
  editor->btReloadClick();
  EXPECT_EQ(Status(), "");
  EXPECT_FALSE(editor->Modified);
}

}  // namespace
