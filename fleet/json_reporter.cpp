#include "fleet/json_reporter.h"

#include <QJsonObject>

#include "fleet/json_line.h"
#include "fleet/result_fields.h"
#include "fleet/target_name.h"
#include "job/job_status_text.h"

namespace trelvo {
namespace {

QJsonObject Event(const char* name, const RecorderTarget& target) {
    return {{"event", name},
            {"recorder", target.index},
            {"host", QString::fromStdString(TargetNameText(target))},
            {"attempt", target.attempt}};
}

QString Latin1(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QString Name(JobState state) {
    return Latin1(StateName(state));
}

QString Name(Outcome kind) {
    return Latin1(OutcomeName(kind));
}

void WriteLine(std::ostream& out, const QJsonObject& object) {
    out << JsonLine(object) << '\n';
}

}  // namespace

void JsonReporter::Ticked(std::span<RecorderRun* const> running) {
    for (const RecorderRun* run : running) {
        // An ended job is Idle; its result line follows.
        if (run->ended()) {
            continue;
        }
        const RecorderTarget& target = run->target();
        const auto found = shown_.find(target.index);
        const bool first = found == shown_.end();
        if (first || found->second.state != run->state()) {
            QJsonObject event = Event("state", target);
            event["state"] = Name(run->state());
            event["text"] = QString::fromStdString(ShownStatusText(run->state()));
            WriteLine(out_, event);
        }
        if (first || found->second.percent != run->percent()) {
            QJsonObject event = Event("progress", target);
            event["percent"] = run->percent();
            event["remaining"] = QString::fromStdString(run->remaining());
            WriteLine(out_, event);
        }
        shown_[target.index] = {run->state(), run->percent()};
    }
    out_ << std::flush;
}

void JsonReporter::Retrying(const RecorderTarget& target, const RecorderResult& failed,
                            std::uint32_t waitMs) {
    shown_.erase(target.index);
    QJsonObject event = Event("retry", target);
    event["outcome"] = Name(failed.outcome.kind);
    event["message"] = QString::fromStdString(ShownMessage(failed.outcome));
    event["state"] = Name(failed.reached);
    event["wait_seconds"] = waitMs / 1000.0;
    WriteLine(out_, event);
    out_ << std::flush;
}

void JsonReporter::Finished(const RecorderTarget& target, const RecorderResult& result) {
    shown_.erase(target.index);
    QJsonObject event = ResultFields(target, result, facts_);
    event["event"] = "result";
    WriteLine(out_, event);
    out_ << std::flush;
}

}  // namespace trelvo
