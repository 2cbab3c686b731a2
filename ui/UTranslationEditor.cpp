#include "ui/UTranslationEditor.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "app/taborder.h"
#include "app/textfile.h"
#include "platform/prompts.h"
#include "ui/QuarixTranslation.h"
#include "ui/translationjson.h"

TfTranslationEditor* fTranslationEditor = nullptr;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

QWidget* Panel(QWidget* parent, const char* name) {
  auto* p = new QWidget(parent);
  p->setObjectName(name);
  return p;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setGeometry(x, y, w, h);
  return b;
}

}  // namespace

TfTranslationEditor::TfTranslationEditor(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName("fTranslationEditor");
  setWindowTitle("Translation Editor");
  QFont f("Segoe UI");
  f.setPointSize(9);
  setFont(f);
  resize(750, 450);

  PanelTop = Panel(this, "PanelTop");
  PanelTop->setFixedHeight(41);
  LabelLanguage = new QLabel("Edit Language:", PanelTop);
  LabelLanguage->setObjectName("LabelLanguage");
  LabelLanguage->move(16, 12);
  cbLanguage = new QComboBox(PanelTop);  // a drop-down list: no typing
  cbLanguage->setObjectName("cbLanguage");
  cbLanguage->setGeometry(107, 8, 80, cbLanguage->sizeHint().height());
  btReload = Button(PanelTop, "btReload", "Reload", 200, 6, 75, 28);
  btSave = Button(PanelTop, "btSave", "Save Changes", 281, 6, 152, 28);

  PanelGrid = Panel(this, "PanelGrid");
  sgTranslations = new QTableWidget(1, 3, PanelGrid);
  sgTranslations->setObjectName("sgTranslations");
  sgTranslations->setShowGrid(true);
  sgTranslations->verticalHeader()->hide();
  sgTranslations->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  sgTranslations->setEditTriggers(QAbstractItemView::AllEditTriggers);
  auto* gridLayout = new QVBoxLayout(PanelGrid);
  gridLayout->setContentsMargins(0, 0, 0, 0);
  gridLayout->addWidget(sgTranslations);

  PanelBottom = Panel(this, "PanelBottom");
  PanelBottom->setFixedHeight(41);
  edNewKey = new QLineEdit(PanelBottom);
  edNewKey->setObjectName("edNewKey");
  edNewKey->setGeometry(16, 9, 178, edNewKey->sizeHint().height());
  btAddKey = Button(PanelBottom, "btAddKey", "Add Key", 200, 6, 113, 28);
  LabelStatus = new QLabel(PanelBottom);
  LabelStatus->setObjectName("LabelStatus");
  LabelStatus->setGeometry(350, 12, 380, LabelStatus->sizeHint().height());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(PanelTop);
  layout->addWidget(PanelGrid, 1);
  layout->addWidget(PanelBottom);

  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  connect(cbLanguage, &QComboBox::activated, this, [this] { cbLanguageChange(cbLanguage); });
  connect(btReload, &QPushButton::clicked, this, [this] { btReloadClick(btReload); });
  connect(btSave, &QPushButton::clicked, this, [this] { btSaveClick(btSave); });
  connect(btAddKey, &QPushButton::clicked, this, [this] { btAddKeyClick(btAddKey); });
  connect(sgTranslations, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (filling_) return;
    sgTranslationsSetEditText(sgTranslations, item->column(), item->row() + 1, item->text());
  });
  SetReadingTabOrder(this);

  Modified = false;
}

void TfTranslationEditor::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  // Coming back from minimised (or the window system's own show that follows
  // ours) is no new showing: it must not throw away edits in the grid.
  if (!e->spontaneous()) FormShow();
}

void TfTranslationEditor::FormShow() {
  if (Translation) {
    auto tr = [](const char* text) { return Q(Translation->Translate(text)); };
    setWindowTitle(tr("Translation Editor"));
    LabelLanguage->setText(tr("Edit Language:"));
    LabelLanguage->adjustSize();
    btReload->setText(tr("Reload"));
    btSave->setText(tr("Save Changes"));
    btAddKey->setText(tr("Add Key"));
  }
  LoadLanguageList();
  LoadTranslationGrid();
  Modified = false;
  LabelStatus->clear();
  ToldUnreadableLanguageFile();
}

void TfTranslationEditor::LoadLanguageList() {
  cbLanguage->clear();
  if (!Translation) return;
  for (const std::string& code : Translation->Languages) cbLanguage->addItem(Q(code));
  const int current = cbLanguage->findText(Q(Translation->CurrentLanguage), Qt::MatchFixedString | Qt::MatchCaseSensitive);
  if (current >= 0) cbLanguage->setCurrentIndex(current);
  else if (cbLanguage->count() > 0) cbLanguage->setCurrentIndex(0);
}

void TfTranslationEditor::LoadTranslationGrid() {
  if (!Translation) return;
  const std::string language = S(cbLanguage->currentText());
  FillGrid(TranslationRows(*Translation, language), language);
}

// A language file that is there but cannot be read (no regular file, too
// large) leaves its column empty: that is told, so that an empty column is
// never taken for a language without texts. A missing file is a language
// not translated yet.
bool TfTranslationEditor::ToldUnreadableLanguageFile() {
  if (!Translation) return false;
  const std::string file = Translation->LanguageFileName(S(cbLanguage->currentText()));
  std::error_code ec;
  if (file.empty() || !std::filesystem::exists(file, ec)) return false;
  const std::string why = FileReadProblem(file, translation::kMaxLanguageFileBytes);
  if (why.empty()) return false;
  LabelStatus->setText(Q("Not loaded: " + file + " cannot be read (" + why + ")"));
  return true;
}

void TfTranslationEditor::FillGrid(const std::vector<TranslationRow>& rows, const std::string& language) {
  filling_ = true;
  sgTranslations->clear();
  sgTranslations->setColumnCount(3);
  sgTranslations->setRowCount(0);
  sgTranslations->setHorizontalHeaderLabels({"Key", "English", Q(language)});
  sgTranslations->setColumnWidth(0, 200);
  sgTranslations->setColumnWidth(1, 250);
  sgTranslations->setColumnWidth(2, 250);
  for (const TranslationRow& row : rows) AppendRow(row);
  filling_ = false;
}

void TfTranslationEditor::AppendRow(const TranslationRow& row) {
  const bool wasFilling = filling_;
  filling_ = true;
  const int r = sgTranslations->rowCount();
  sgTranslations->setRowCount(r + 1);
  auto* key = new QTableWidgetItem(Q(row.Key));
  key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);  // the key column is fixed
  sgTranslations->setItem(r, 0, key);
  sgTranslations->setItem(r, 1, new QTableWidgetItem(Q(row.English)));
  sgTranslations->setItem(r, 2, new QTableWidgetItem(Q(row.Text)));
  filling_ = wasFilling;
}

std::string TfTranslationEditor::GridLanguage() const {
  const QTableWidgetItem* h = sgTranslations->horizontalHeaderItem(2);
  return h ? S(h->text()) : std::string();
}

QString TfTranslationEditor::Cell(int col, int row) const {
  if (row == 0) {
    const QTableWidgetItem* h = sgTranslations->horizontalHeaderItem(col);
    return h ? h->text() : QString();
  }
  const QTableWidgetItem* item = sgTranslations->item(row - 1, col);
  return item ? item->text() : QString();
}

std::vector<TranslationRow> TfTranslationEditor::GridRows() const {
  std::vector<TranslationRow> rows;
  for (int r = 1; r <= sgTranslations->rowCount(); ++r)
    rows.push_back({S(Cell(0, r)), S(Cell(1, r)), S(Cell(2, r))});
  return rows;
}

void TfTranslationEditor::cbLanguageChange(QObject* Sender) {
  if (Modified) {
    const prompts::Answer a = prompts::AskYesNoCancel("Do you want to save changes?");
    if (a == prompts::Answer::Cancel) {
      // The grid keeps its texts and its language, and the list shows that language again.
      const int shown = cbLanguage->findText(Q(GridLanguage()), Qt::MatchFixedString | Qt::MatchCaseSensitive);
      if (shown >= 0) cbLanguage->setCurrentIndex(shown);
      return;
    }
    if (a == prompts::Answer::Yes && Translation && !SaveGrid()) {
      // Nothing was written: the edits stay in the grid, as with Cancel.
      const int shown = cbLanguage->findText(Q(GridLanguage()), Qt::MatchFixedString | Qt::MatchCaseSensitive);
      if (shown >= 0) cbLanguage->setCurrentIndex(shown);
      return;
    }
  }
  LoadTranslationGrid();
  Modified = false;
  LabelStatus->clear();
  ToldUnreadableLanguageFile();
}

void TfTranslationEditor::btReloadClick(QObject* Sender) {
  if (!Translation) return;
  Translation->Reload();
  LoadLanguageList();
  LoadTranslationGrid();
  Modified = false;
  if (!ToldUnreadableLanguageFile()) LabelStatus->setText("Reloaded");
}

void TfTranslationEditor::btSaveClick(QObject* Sender) {
  if (!Translation) return;
  if (!SaveGrid()) return;
  Modified = false;
  LabelStatus->setText("Saved!");
}

bool TfTranslationEditor::SaveGrid() {
  const std::string language = GridLanguage();
  if (StoreTranslationRows(*Translation, language, GridRows())) return true;
  if (language == "en")
    LabelStatus->setText("Not saved: the English texts are the keys themselves");
  else
    LabelStatus->setText(Q("Not saved: " + Translation->LanguageFileName(language) + " cannot be written"));
  return false;
}

void TfTranslationEditor::btAddKeyClick(QObject* Sender) {
  const std::string key = TrimmedKey(S(edNewKey->text()));
  if (key.empty()) return;
  for (int r = 1; r <= sgTranslations->rowCount(); ++r) {
    if (S(Cell(0, r)) == key) {
      LabelStatus->setText("Key already exists");
      return;
    }
  }
  AppendRow({key, key, ""});
  edNewKey->clear();
  Modified = true;
  LabelStatus->setText("Key added - don't forget to save");
}

void TfTranslationEditor::sgTranslationsSetEditText(QObject* Sender, int ACol, int ARow, const QString& Value) {
  if (ARow < 1 || ACol < 1) return;
  Modified = true;
  LabelStatus->setText("Modified");
}
