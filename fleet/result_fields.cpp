#include "fleet/result_fields.h"

#include <cmath>

#include "fleet/target_name.h"
#include "job/job_status_text.h"
#include "text/windows1252_text.h"

namespace trelvo {
namespace {

// The probe's two gates: passed, refused, or never reached (null).
nlohmann::json Accepted(const RecorderResult& result) {
    if (!result.version) {
        return nullptr;
    }
    return result.outcome.kind != Outcome::VersionRefused;
}

nlohmann::json Access(const RecorderResult& result, const RunFacts& facts) {
    if (facts.goal != JobGoal::ProbeAccess) {
        return nullptr;
    }
    switch (result.outcome.kind) {
        case Outcome::Probed:
            return true;
        case Outcome::AccessDenied:
            return false;
        default:
            return nullptr;
    }
}

}  // namespace

// Recorders send their texts in Windows-1252; the bytes it leaves
// unassigned come out as C1 controls, which the JSON line escapes.
nlohmann::json TextField(const std::optional<std::string>& text) {
    if (!text) {
        return nullptr;
    }
    return Windows1252ToUtf8(*text);
}

nlohmann::json VersionField(const RecorderResult& result) {
    return TextField(result.version);
}

nlohmann::json ResultFields(const RecorderTarget& target, const RecorderResult& result,
                            const RunFacts& facts) {
    nlohmann::json fields{
        {"host", TargetNameText(target)},
        {"recorder", target.index},
        {"serial", target.serial},
        {"ok", result.ok()},
        {"outcome", OutcomeName(result.outcome.kind)},
        {"message", ShownMessage(result.outcome)},
        {"seconds", std::round(result.seconds * 1000) / 1000},
        {"version", VersionField(result)},
        {"attempts", result.attempts},
    };
    if (facts.goal == JobGoal::Update) {
        fields["skipped"] = result.outcome.kind == Outcome::Skipped;
        fields["aborted"] = result.aborted();
        fields["state"] = StateName(result.reached);
        fields["bytes"] = result.bytes;
        fields["sha256"] = facts.sha256;
        if (facts.expectVersion) {
            fields["expected_version"] = TextField(facts.expectVersion);
            fields["version_after_update"] = TextField(result.checkedVersion);
        }
    } else {
        fields["accepted"] = Accepted(result);
        fields["access"] = Access(result, facts);
    }
    return fields;
}

}  // namespace trelvo
