#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace trelvo {

// One compact JSON object, without its line end, as scripts have read the
// command line's JSON from the start: keys in order, UTF-8 unescaped, and
// numbers without a needless ".0": a whole number within 2^53 as an
// integer, any other in the shortest form that reads back the same, fixed
// or with an exponent (at least two digits, "1e-05"), whichever is
// shorter. Every control character is escaped: the JSON writer escapes C0
// only, but a recorder's text can also decode to DEL or to a C1 control
// (among them a terminal's DCS and OSC), which must not reach a terminal
// or a report raw. A JSON reader gets the same characters back. Bytes that
// are not UTF-8 come out as U+FFFD, never as an exception.
std::string JsonLine(const nlohmann::json& object);

// The escaping on its own, for JSON text already written as UTF-8.
std::string EscapeJsonControls(std::string_view json);

}  // namespace trelvo
