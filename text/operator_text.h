#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/secret.h"

// The one rule for every text an operator gives that goes to a recorder:
// the password, the update code, the recorder's name or address and the
// update file's name. The recorders read them as Windows-1252 bytes, so the
// text must be made of characters that code page carries, and none of them
// a control character: a NUL would cut the text short on the wire, and no
// tab, line break or escape belongs in a typed password, name or address.
// Whatever cannot follow the rule is refused, never altered.
namespace trelvo {

// Why a text cannot go to a recorder.
enum class TextRefusal : std::int32_t {
    None,
    NotUtf8,
    // C0, DEL and the C1 controls.
    ControlCharacter,
    // A character Windows-1252 has no byte for, or a byte it leaves
    // unassigned.
    OutsideCodePage,
};

// True for a character an operator may type: the edits of both windows
// take exactly these.
bool IsTypableWindows1252(char32_t character);

// Why the UTF-8 text breaks the rule: the first character that does.
TextRefusal CheckOperatorText(std::string_view utf8);

// The Windows-1252 bytes of a UTF-8 text that keeps the rule; nothing when
// it breaks it.
std::optional<std::string> OperatorTextBytes(std::string_view utf8);

// Turns a UTF-8 secret into its Windows-1252 bytes; when the rule refuses
// it the secret is left as it was.
TextRefusal ToOperatorTextBytes(Secret& text);

// The same rule for Windows-1252 bytes read from a file (a hosts file's
// names): every byte must be a character an operator could have typed.
TextRefusal CheckOperatorBytes(std::string_view bytes);

// For messages after the text's name: "holds a control character ...";
// empty for None.
std::string_view TextRefusalText(TextRefusal refusal);

}  // namespace trelvo
