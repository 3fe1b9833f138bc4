#include "ui/qt/operator_text_edit.h"

#include <QLineEdit>
#include <QStringEncoder>
#include <algorithm>
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

QLineEdit* MakeOperatorTextEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setValidator(new OperatorTextValidator(edit));
    return edit;
}

void WipeEdit(QLineEdit& edit) {
    // The copy shares the edit's storage; writing through it reaches the
    // edit's own characters. A text the program set from a literal has no
    // storage of its own to overwrite (and holds no secret).
    QString shared = edit.text();
    if (shared.data_ptr().isMutable()) {
        QChar* characters = const_cast<QChar*>(shared.constData());
        std::fill(characters, characters + shared.size(), QChar(u'\0'));
    }
    edit.clear();
}

}  // namespace trelvo
