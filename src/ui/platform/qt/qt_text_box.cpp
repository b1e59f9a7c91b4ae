#include "ui/platform/qt/qt_text_box.h"

namespace platform::qt {

TextBoxRules::TextBoxRules(QLineEdit* edit) : QValidator(edit) {
  connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { held_ = text; });
}

QValidator::State TextBoxRules::validate(QString& input, int& pos) const {
  if (!exact_) keepFirstLine(input, pos);
  for (qsizetype i = 0; i < input.size(); ++i) {
    if (input[i].isHighSurrogate() && (i + 1 == input.size() || !input[i + 1].isLowSurrogate())) {
      input.remove(i, 1);
      if (pos > i) --pos;
      --i;
    }
  }
  return Acceptable;
}

// Text put in with a line break (pasted, dropped) keeps what precedes its first break; the text
// around it stays.
void TextBoxRules::keepFirstLine(QString& input, int& pos) const {
  qsizetype start = 0;  // the part the box held that is still in front
  while (start < held_.size() && start < input.size() && held_[start] == input[start])
    ++start;
  qsizetype kept = 0;  // and behind
  while (kept < held_.size() - start && kept < input.size() - start &&
         held_[held_.size() - 1 - kept] == input[input.size() - 1 - kept])
    ++kept;
  const qsizetype end = input.size() - kept;
  for (qsizetype i = start; i < end; ++i) {
    if (input[i] == u'\n' || input[i] == u'\r') {
      input.remove(i, end - i);
      pos = static_cast<int>(i);
      return;
    }
  }
}

}  // namespace platform::qt
