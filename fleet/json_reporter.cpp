#include "fleet/json_reporter.h"

#include "fleet/json_line.h"
#include "fleet/result_fields.h"
#include "fleet/target_name.h"
#include "job/job_status_text.h"

namespace trelvo {
namespace {

nlohmann::json Event(const char* name, const RecorderTarget& target) {
    return {{"event", name},
            {"recorder", target.index},
            {"host", TargetNameText(target)},
            {"attempt", target.attempt}};
}

void WriteLine(std::ostream& out, const nlohmann::json& object) {
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
            nlohmann::json event = Event("state", target);
            event["state"] = StateName(run->state());
            event["text"] = ShownStatusText(run->state());
            WriteLine(out_, event);
        }
        if (first || found->second.percent != run->percent()) {
            nlohmann::json event = Event("progress", target);
            event["percent"] = run->percent();
            event["remaining"] = run->remaining();
            WriteLine(out_, event);
        }
        shown_[target.index] = {run->state(), run->percent()};
    }
    out_ << std::flush;
}

void JsonReporter::Retrying(const RecorderTarget& target, const RecorderResult& failed,
                            std::uint32_t waitMs) {
    shown_.erase(target.index);
    nlohmann::json event = Event("retry", target);
    event["outcome"] = OutcomeName(failed.outcome.kind);
    event["message"] = ShownMessage(failed.outcome);
    event["state"] = StateName(failed.reached);
    event["wait_seconds"] = waitMs / 1000.0;
    WriteLine(out_, event);
    out_ << std::flush;
}

void JsonReporter::Finished(const RecorderTarget& target, const RecorderResult& result) {
    shown_.erase(target.index);
    nlohmann::json event = ResultFields(target, result, facts_);
    event["event"] = "result";
    WriteLine(out_, event);
    out_ << std::flush;
}

}  // namespace trelvo
