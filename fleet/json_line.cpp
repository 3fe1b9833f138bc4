#include "fleet/json_line.h"

#include <QJsonDocument>

namespace trelvo {

std::string JsonLine(const QJsonObject& object) {
    return EscapeJsonControls(QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString());
}

// Outside strings a JSON text is ASCII without DEL, and in UTF-8 the byte
// 0xC2 only ever leads a character, so each match below is a whole
// character inside a string.
std::string EscapeJsonControls(std::string_view json) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(json.size());
    for (std::size_t at = 0; at < json.size(); ++at) {
        const auto byte = static_cast<unsigned char>(json[at]);
        unsigned control = 0x100;
        if (byte == 0x7F) {
            control = byte;
        } else if (byte == 0xC2 && at + 1 < json.size()) {
            const auto next = static_cast<unsigned char>(json[at + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                control = next;
                ++at;
            }
        }
        if (control == 0x100) {
            escaped += json[at];
            continue;
        }
        escaped += "\\u00";
        escaped += kHex[control >> 4];
        escaped += kHex[control & 0x0F];
    }
    return escaped;
}

}  // namespace trelvo
