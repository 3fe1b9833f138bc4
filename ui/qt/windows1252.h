#pragma once

#include <QStringView>
#include <QValidator>
#include <cstdint>
#include <optional>
#include <string>

#include "text/windows1252_text.h"

// The recorder family reads operator texts in the Windows-1252 code page.
namespace trelvo {

// The text's Windows-1252 bytes; a character the code page cannot carry
// becomes "?", as the platform's own conversion does.
std::string ToWindows1252(QStringView text);

// Accepts only texts made of characters an operator may type
// (IsTypableWindows1252).
class Windows1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

}  // namespace trelvo
