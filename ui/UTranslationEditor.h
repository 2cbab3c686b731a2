#pragma once
// The translation editor: the texts of every language next to their English
// keys, the texts of the language shown editable, keys added, that
// language's file saved. It works only through the dictionary `Translation`.
#include <QWidget>
#include <string>
#include <vector>

#include "ui/translationgrid.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TfTranslationEditor : public QWidget {
  Q_OBJECT
 public:
  explicit TfTranslationEditor(QWidget* owner = nullptr);

  bool Modified = false;  // the grid holds edits that are not saved

  QWidget* PanelTop;
  QLabel* LabelLanguage;
  QComboBox* cbLanguage;
  QPushButton* btReload;
  QPushButton* btSave;
  QWidget* PanelGrid;
  // Three columns: key (read only), English, the language shown; the header
  // row names the columns, its third cell the language code.
  QTableWidget* sgTranslations;
  QWidget* PanelBottom;
  QLineEdit* edNewKey;
  QPushButton* btAddKey;
  QLabel* LabelStatus;

  void FormShow();
  void LoadLanguageList();
  void LoadTranslationGrid();
  // Tells in the status line that the chosen language's file cannot be read.
  bool ToldUnreadableLanguageFile();
  void cbLanguageChange(QObject* Sender = nullptr);
  void btReloadClick(QObject* Sender = nullptr);
  void btSaveClick(QObject* Sender = nullptr);
  void btAddKeyClick(QObject* Sender = nullptr);
  // A cell edited; columns and rows counted from 0 with the header as row 0.
  void sgTranslationsSetEditText(QObject* Sender, int ACol, int ARow, const QString& Value);

  // The language the grid shows (its third header cell).
  std::string GridLanguage() const;
  // The grid's data rows as they stand.
  std::vector<TranslationRow> GridRows() const;
  // A cell, with the header as row 0.
  QString Cell(int col, int row) const;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void FillGrid(const std::vector<TranslationRow>& rows, const std::string& language);
  void AppendRow(const TranslationRow& row);
  // Writes the grid's texts to the file of the language it shows; when that
  // cannot be done the status says so and the result is false.
  bool SaveGrid();
  bool filling_ = false;  // cells written by the window itself are no edits
};

// Null until the translation editor is first opened.
extern TfTranslationEditor* fTranslationEditor;
