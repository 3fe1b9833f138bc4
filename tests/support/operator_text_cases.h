#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/operator_text.h"

namespace trelvo {

// One text of each character class, for every way a text reaches the tool:
// typed into an edit or given on the command line as UTF-8, or read from a
// file as Windows-1252 bytes.
struct OperatorTextCase {
    const char* what;
    std::string utf8;
    TextRefusal refusal;
    // As a Windows-1252 file holds it; nothing when no bytes say it.
    std::optional<std::string> bytes;
    TextRefusal bytesRefusal;
};

inline const std::vector<OperatorTextCase>& OperatorTextCases() {
    using enum TextRefusal;
    // "z" after a hex escape: no hex digit to run on into.
    static const std::vector<OperatorTextCase> cases{
        {"ascii", "Rec-01 ~!", None, "Rec-01 ~!", None},
        {"latin-1 letters", "Gr\u00f6\u00dfzahl", None, "Gr\xf6\xdfzahl", None},
        {"letters of 0x80-0x9F", "\u20ac\u201e\u017d\u2030", None, "\x80\x84\x8e\x89", None},
        {"no-break space and y diaeresis", "a\u00a0\u00ff", None, "a\xa0\xff", None},
        {"unassigned 0x81", "a\u0081z", ControlCharacter, "a\x81z", OutsideCodePage},
        {"unassigned 0x8D", "a\u008dz", ControlCharacter, "a\x8dz", OutsideCodePage},
        {"unassigned 0x8F", "a\u008fz", ControlCharacter, "a\x8fz", OutsideCodePage},
        {"unassigned 0x90", "a\u0090z", ControlCharacter, "a\x90z", OutsideCodePage},
        {"unassigned 0x9D", "a\u009dz", ControlCharacter, "a\x9dz", OutsideCodePage},
        {"NUL", std::string("a\0z", 3), ControlCharacter, std::string("a\0z", 3), ControlCharacter},
        {"tab", "a\tz", ControlCharacter, "a\tz", ControlCharacter},
        {"line feed", "a\nz", ControlCharacter, "a\nz", ControlCharacter},
        {"escape", "a\x1b[2Jz", ControlCharacter, "a\x1b[2Jz", ControlCharacter},
        {"DEL", "a\x7fz", ControlCharacter, "a\x7fz", ControlCharacter},
        {"C1 next line", "a\u0085z", ControlCharacter, std::nullopt, None},
        {"C1 0x9F", "a\u009fz", ControlCharacter, std::nullopt, None},
        {"cyrillic", "\u0416", OutsideCodePage, std::nullopt, None},
        {"snowman", "\u2603", OutsideCodePage, std::nullopt, None},
        {"beyond the first plane", "a\U0001F600", OutsideCodePage, std::nullopt, None},
        {"not UTF-8", "a\xffz", NotUtf8, std::nullopt, None},
    };
    return cases;
}

}  // namespace trelvo
