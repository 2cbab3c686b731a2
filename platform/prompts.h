#pragma once
// Message boxes, questions, file dialogs and the exception box. Every window
// goes through these functions, so tests can answer them without a modal loop.
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class QWidget;

namespace prompts {

enum class Answer { None, Ok, Yes, No, Cancel };
enum class Kind { Information, Warning, Error, Confirmation };

// A plain message with an OK button (the class library's ShowMessage).
void ShowMessage(const QString& text);
// A message dialog of the given kind with Yes and No buttons; returns the answer.
Answer AskYesNo(const QString& text, Kind kind = Kind::Confirmation);
// Yes, No and Cancel.
Answer AskYesNoCancel(const QString& text, Kind kind = Kind::Confirmation);
// OK and Cancel.
Answer AskOkCancel(const QString& text, Kind kind = Kind::Warning);
// The exception box shown for an exception that reached the message loop.
void ShowException(const QString& text);
// File dialogs; an empty result means the user cancelled.
QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter,
                     const QString& folder = QString());
QString SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                     const QString& folder = QString());

// Scripting for tests. While scripted, nothing is shown: every text is
// recorded, questions take the next queued answer (No when the queue is
// empty) and file dialogs the next queued name (empty when none).
struct Script {
  std::deque<Answer> answers;
  std::deque<QString> fileNames;
  std::vector<QString> shown;  // every text shown or asked, in order
};
void StartScript();
void StopScript();
bool Scripted();
Script& CurrentScript();

}  // namespace prompts
