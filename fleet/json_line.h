#pragma once

#include <QJsonObject>
#include <string>
#include <string_view>

namespace trelvo {

// One compact JSON object, without its line end, in which every control
// character is escaped: the JSON writer escapes C0 only, but a recorder's
// text can also decode to DEL or to a C1 control (among them a terminal's
// DCS and OSC), which must not reach a terminal or a report raw. A JSON
// reader gets the same characters back.
std::string JsonLine(const QJsonObject& object);

// The escaping on its own, for JSON text already written as UTF-8.
std::string EscapeJsonControls(std::string_view json);

}  // namespace trelvo
