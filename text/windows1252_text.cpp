#include "text/windows1252_text.h"

#include <array>

#include "text/secret.h"

namespace trelvo {
namespace {

// The characters of bytes 0x80 to 0x9F; 0 marks the unassigned ones. Every
// other byte is the Latin-1 character of the same number.
constexpr std::array<char32_t, 32> kHighControlRange{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 0x98
};

bool IsUnassigned(char32_t character) {
    return character >= 0x80 && character <= 0x9F && kHighControlRange[character - 0x80] == 0;
}

void AppendUtf8(char32_t character, std::string& text) {
    const auto unit = [&](char32_t bits) { text.push_back(static_cast<char>(bits)); };
    if (character < 0x80) {
        unit(character);
    } else if (character < 0x800) {
        unit(0xC0 | (character >> 6));
        unit(0x80 | (character & 0x3F));
    } else {
        // Nothing the code page carries lies beyond the first plane.
        unit(0xE0 | (character >> 12));
        unit(0x80 | ((character >> 6) & 0x3F));
        unit(0x80 | (character & 0x3F));
    }
}

}  // namespace

std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
    } else {
        return std::nullopt;
    }
    if (at + static_cast<std::size_t>(length) > text.size()) {
        return std::nullopt;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + static_cast<std::size_t>(i));
        if ((next & 0xC0u) != 0x80u) {
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kShortest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    at += static_cast<std::size_t>(length);
    return value;
}

std::optional<std::uint8_t> Windows1252Byte(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<std::uint8_t>(character);
    }
    for (std::size_t i = 0; i < kHighControlRange.size(); ++i) {
        if (kHighControlRange[i] != 0 && kHighControlRange[i] == character) {
            return static_cast<std::uint8_t>(0x80 + i);
        }
    }
    return std::nullopt;
}

std::optional<std::string> Utf8ToWindows1252(std::string_view utf8, Unassigned unassigned) {
    std::string bytes;
    // Never more bytes than the UTF-8 text: no reallocation leaves a copy.
    bytes.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::optional<char32_t> character = NextUtf8Character(utf8, at);
        std::optional<std::uint8_t> byte = character ? Windows1252Byte(*character) : std::nullopt;
        if (!byte && character && unassigned == Unassigned::FromC1Controls &&
            IsUnassigned(*character)) {
            byte = static_cast<std::uint8_t>(*character);
        }
        if (!byte) {
            // The text may be a password: no part of it stays behind.
            WipeString(bytes);
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(*byte));
    }
    return bytes;
}

bool ToWindows1252(Secret& text) {
    std::optional<std::string> bytes = Utf8ToWindows1252(text.text());
    if (!bytes) {
        return false;
    }
    text.Take(*bytes);
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        const bool high = byte >= 0x80 && byte < 0xA0 && !IsUnassigned(byte);
        AppendUtf8(high ? kHighControlRange[byte - 0x80] : static_cast<char32_t>(byte), text);
    }
    return text;
}

}  // namespace trelvo
