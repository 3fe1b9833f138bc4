#include "fleet/result_fields.h"

#include <QJsonValue>
#include <cmath>

#include "fleet/target_name.h"
#include "job/job_status_text.h"
#include "text/windows1252_text.h"

namespace trelvo {
namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The probe's two gates: passed, refused, or never reached (null).
QJsonValue Accepted(const RecorderResult& result) {
    if (!result.version) {
        return {};
    }
    return result.outcome.kind != Outcome::VersionRefused;
}

QJsonValue Access(const RecorderResult& result, const RunFacts& facts) {
    if (facts.goal != JobGoal::ProbeAccess) {
        return {};
    }
    switch (result.outcome.kind) {
        case Outcome::Probed:
            return true;
        case Outcome::AccessDenied:
            return false;
        default:
            return {};
    }
}

}  // namespace

// Recorders send their texts in Windows-1252; the bytes it leaves
// unassigned come out as C1 controls, which the JSON line escapes.
QJsonValue VersionField(const RecorderResult& result) {
    return result.version ? QJsonValue(QString::fromStdString(Windows1252ToUtf8(*result.version)))
                          : QJsonValue();
}

QJsonObject ResultFields(const RecorderTarget& target, const RecorderResult& result,
                         const RunFacts& facts) {
    QJsonObject fields{
        {"host", QString::fromStdString(TargetNameText(target))},
        {"recorder", target.index},
        {"serial", target.serial},
        {"ok", result.ok()},
        {"outcome", Latin1(OutcomeName(result.outcome.kind))},
        {"message", QString::fromStdString(ShownMessage(result.outcome))},
        {"seconds", std::round(result.seconds * 1000) / 1000},
        {"version", VersionField(result)},
        {"attempts", result.attempts},
    };
    if (facts.goal == JobGoal::Update) {
        fields["skipped"] = result.outcome.kind == Outcome::Skipped;
        fields["aborted"] = result.aborted();
        fields["state"] = Latin1(StateName(result.reached));
        fields["bytes"] = static_cast<double>(result.bytes);
        fields["sha256"] = QString::fromStdString(facts.sha256);
    } else {
        fields["accepted"] = Accepted(result);
        fields["access"] = Access(result, facts);
    }
    return fields;
}

}  // namespace trelvo
