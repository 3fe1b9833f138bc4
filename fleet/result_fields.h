#pragma once

#include <nlohmann/json.hpp>

#include "fleet/reporter.h"

namespace trelvo {

// One recorder's result as a JSON object, the same in the --json output and
// in a --report file:
//   update: host, recorder, serial, ok, skipped, aborted, outcome, state,
//           message, seconds, bytes, sha256, version, attempts
//   probe:  host, recorder, serial, ok, outcome, message, seconds, version,
//           accepted, access, attempts
// An update whose success is checked (RunFacts::expectVersion) adds
// expected_version and version_after_update, what the recorder reported
// when asked again after it had reported success. version, accepted,
// access and version_after_update are null where the recorder never told.
// host and the versions are UTF-8, decoded from the recorders' Windows-1252.
// The version a recorder reported, or null where it never told.
nlohmann::json VersionField(const RecorderResult& result);
// A recorder's text as UTF-8, or null where there is none.
nlohmann::json TextField(const std::optional<std::string>& text);

nlohmann::json ResultFields(const RecorderTarget& target, const RecorderResult& result,
                            const RunFacts& facts);

}  // namespace trelvo
