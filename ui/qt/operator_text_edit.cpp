#include "ui/qt/operator_text_edit.h"

#include <QStringEncoder>
#include <string>

#include "text/operator_text.h"

namespace trelvo {

QValidator::State OperatorTextValidator::validate(QString& input, int& /*position*/) const {
    for (const QChar c : input) {
        if (!IsTypableWindows1252(c.unicode())) {
            return Invalid;
        }
    }
    return Acceptable;
}

Secret Utf8Secret(QStringView text) {
    // Stateless: a lone high surrogate at the end is replaced, not held back
    // for a next call that never comes.
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    // All the room at once: a string growing step by step would leave parts
    // of a password behind in the storage it gives up.
    std::string bytes(static_cast<std::size_t>(encoder.requiredSpace(text.size())), '\0');
    char* end = encoder.appendToBuffer(bytes.data(), text);
    bytes.resize(static_cast<std::size_t>(end - bytes.data()));
    return Secret(std::move(bytes));
}

}  // namespace trelvo
