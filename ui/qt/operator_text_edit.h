#pragma once

#include <QStringView>
#include <QValidator>

class QLineEdit;
class QWidget;

#include "text/secret.h"

// The window's side of the rule for operator texts: the edits take only
// what the rule allows, and hand their texts on as UTF-8.
namespace trelvo {

// Accepts only texts made of characters an operator may type
// (IsTypableWindows1252).
class OperatorTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

// The text as UTF-8, written straight into the secret's storage so that no
// copy of a password is left behind. A lone surrogate becomes U+FFFD, which
// the rule refuses.
Secret Utf8Secret(QStringView text);

// An edit for a password, an update code or a recorder's name: it takes
// only what the rule allows, as the recorders get them as Windows-1252.
QLineEdit* MakeOperatorTextEdit(QWidget* parent);

// Empties the edit, first overwriting the characters it held in their own
// storage, so no copy of a password stays behind in the edit's memory.
void WipeEdit(QLineEdit& edit);

}  // namespace trelvo
