#include "ui/qt/windows1252.h"

namespace trelvo {

std::string ToWindows1252(QStringView text) {
    std::string bytes;
    // All at once: a string growing step by step would leave parts of a
    // password behind in the storage it gives up.
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        bytes.push_back(static_cast<char>(Windows1252Byte(c.unicode()).value_or('?')));
    }
    return bytes;
}

QValidator::State Windows1252Validator::validate(QString& input, int& /*position*/) const {
    for (const QChar c : input) {
        if (!IsTypableWindows1252(c.unicode())) {
            return Invalid;
        }
    }
    return Acceptable;
}

}  // namespace trelvo
