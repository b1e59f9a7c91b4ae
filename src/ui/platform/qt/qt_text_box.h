// The rules of a Qt text box: what it takes of the text put in. Internal to src/ui/platform/qt/.
#pragma once

#include <QLineEdit>
#include <QString>
#include <QValidator>

namespace platform::qt {

// What a text box takes: one line, as a single-line box on Windows takes it, so a line copied
// from a terminal with its line break still reads as typed; and whole characters, since Qt's
// length limit counts code units and may cut between the halves of a surrogate pair.
class TextBoxRules final : public QValidator {
 public:
  explicit TextBoxRules(QLineEdit* edit);

  // For text set by the program, which keeps it whole.
  void setExact(bool exact) { exact_ = exact; }

  State validate(QString& input, int& pos) const override;

 private:
  void keepFirstLine(QString& input, int& pos) const;

  QString held_;  // the box's text before the change being validated
  bool exact_ = false;
};

}  // namespace platform::qt
