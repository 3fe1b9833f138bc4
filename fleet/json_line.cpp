#include "fleet/json_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace trelvo {
namespace {

// Doubles hold every integer up to here exactly.
constexpr double kExactIntegers = 9007199254740992.0;

std::string Number(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    if (value == std::trunc(value) && std::fabs(value) <= kExactIntegers) {
        return std::to_string(static_cast<std::int64_t>(value));
    }
    // The shortest digits that read back the same: "D.DDDe±X".
    char buffer[32];
    const char* end =
        std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::scientific)
            .ptr;
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    std::string out;
    if (text.front() == '-') {
        out = "-";
        text.remove_prefix(1);
    }
    const std::size_t e = text.find('e');
    std::string digits(1, text[0]);
    if (e > 1) {
        digits.append(text.substr(2, e - 2));
    }
    const bool negativeExponent = text[e + 1] == '-';
    int magnitude = 0;
    std::from_chars(text.data() + e + 2, text.data() + text.size(), magnitude);
    const int exponent = negativeExponent ? -magnitude : magnitude;

    const int count = static_cast<int>(digits.size());
    const int point = exponent + 1;  // digits before the decimal point
    const int fixedLength = point <= 0 ? 2 - point + count : point < count ? count + 1 : point;
    const int exponentDigits = magnitude >= 100 ? 3 : 2;
    const int scientificLength = count + (count > 1 ? 1 : 0) + 2 + exponentDigits;
    if (fixedLength <= scientificLength) {
        if (point <= 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-point), '0');
            out += digits;
        } else if (point < count) {
            out += std::string_view(digits).substr(0, static_cast<std::size_t>(point));
            out += '.';
            out += std::string_view(digits).substr(static_cast<std::size_t>(point));
        } else {
            out += digits;
            out.append(static_cast<std::size_t>(point - count), '0');
        }
        return out;
    }
    out += digits[0];
    if (count > 1) {
        out += '.';
        out += std::string_view(digits).substr(1);
    }
    out += negativeExponent ? "e-" : "e+";
    if (magnitude < 10) {
        out += '0';
    }
    out += std::to_string(magnitude);
    return out;
}

void Write(const nlohmann::json& value, std::string& out) {
    switch (value.type()) {
        case nlohmann::json::value_t::object: {
            out += '{';
            bool first = true;
            for (const auto& [key, member] : value.items()) {
                if (!first) {
                    out += ',';
                }
                first = false;
                Write(nlohmann::json(key), out);
                out += ':';
                Write(member, out);
            }
            out += '}';
            break;
        }
        case nlohmann::json::value_t::array: {
            out += '[';
            bool first = true;
            for (const nlohmann::json& element : value) {
                if (!first) {
                    out += ',';
                }
                first = false;
                Write(element, out);
            }
            out += ']';
            break;
        }
        case nlohmann::json::value_t::number_float:
            out += Number(value.get<double>());
            break;
        default:
            out += value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            break;
    }
}

}  // namespace

std::string JsonLine(const nlohmann::json& object) {
    std::string json;
    Write(object, json);
    return EscapeJsonControls(json);
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
