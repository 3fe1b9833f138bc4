#pragma once

#include <QStringView>
#include <QValidator>

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

}  // namespace trelvo
