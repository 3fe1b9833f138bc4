#include "ui/windows1252.h"

#include <array>

namespace trelvo {
namespace {

// The characters of bytes 0x80 to 0x9F; 0 marks the unassigned ones. Every
// other byte is the Latin-1 character of the same number.
constexpr std::array<char16_t, 32> kHighControlRange{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 0x98
};

bool IsControl(char16_t unit) {
    return unit < 0x20 || unit == 0x7F;
}

}  // namespace

std::optional<std::uint8_t> Windows1252Byte(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<std::uint8_t>(unit);
    }
    for (std::size_t i = 0; i < kHighControlRange.size(); ++i) {
        if (kHighControlRange[i] != 0 && kHighControlRange[i] == unit) {
            return static_cast<std::uint8_t>(0x80 + i);
        }
    }
    return std::nullopt;
}

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
        if (IsControl(c.unicode()) || !Windows1252Byte(c.unicode())) {
            return Invalid;
        }
    }
    return Acceptable;
}

}  // namespace trelvo
