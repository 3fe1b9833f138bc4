#include "text/operator_text.h"

#include "text/windows1252_text.h"

namespace trelvo {
namespace {

bool IsControl(char32_t character) {
    return character < 0x20 || (character >= 0x7F && character <= 0x9F);
}

}  // namespace

bool IsTypableWindows1252(char32_t character) {
    return !IsControl(character) && Windows1252Byte(character).has_value();
}

TextRefusal CheckOperatorText(std::string_view utf8) {
    for (std::size_t at = 0; at < utf8.size();) {
        const std::optional<char32_t> character = NextUtf8Character(utf8, at);
        if (!character) {
            return TextRefusal::NotUtf8;
        }
        if (IsControl(*character)) {
            return TextRefusal::ControlCharacter;
        }
        if (!Windows1252Byte(*character)) {
            return TextRefusal::OutsideCodePage;
        }
    }
    return TextRefusal::None;
}

std::optional<std::string> OperatorTextBytes(std::string_view utf8) {
    if (CheckOperatorText(utf8) != TextRefusal::None) {
        return std::nullopt;
    }
    return Utf8ToWindows1252(utf8);
}

TextRefusal ToOperatorTextBytes(Secret& text) {
    const TextRefusal refusal = CheckOperatorText(text.text());
    if (refusal == TextRefusal::None) {
        ToWindows1252(text);
    }
    return refusal;
}

TextRefusal CheckOperatorBytes(std::string_view bytes) {
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value < 0x20 || value == 0x7F) {
            return TextRefusal::ControlCharacter;
        }
        // The five bytes the code page leaves unassigned decode to the C1
        // control of their number: no character anyone typed.
        const std::string character = Windows1252ToUtf8(std::string_view(&byte, 1));
        std::size_t at = 0;
        if (IsControl(NextUtf8Character(character, at).value_or(0))) {
            return TextRefusal::OutsideCodePage;
        }
    }
    return TextRefusal::None;
}

std::string_view TextRefusalText(TextRefusal refusal) {
    switch (refusal) {
        case TextRefusal::None:
            break;
        case TextRefusal::NotUtf8:
            return "is not UTF-8 text";
        case TextRefusal::ControlCharacter:
            return "holds a control character (a NUL, tab, line break or the like), "
                   "which no recorder takes";
        case TextRefusal::OutsideCodePage:
            return "holds a character the recorders cannot read (they take Windows-1252 only)";
    }
    return {};
}

}  // namespace trelvo
