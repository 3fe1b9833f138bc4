#include "ui/fleet/fleet_export.h"

#include <cmath>
#include <sstream>

#include "fleet/json_line.h"
#include "fleet/result_fields.h"
#include "fleet/target_name.h"
#include "job/job_status_text.h"
#include "link/ipv4_address.h"
#include "text/windows1252_text.h"

namespace trelvo {
namespace {

RecorderTarget TargetOf(const FleetRow& row) {
    return {row.id, row.TargetName(), false, row.attempts};
}

std::string CsvCell(std::string text) {
    if (!text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        text.insert(text.begin(), '\'');
    }
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

std::optional<Outcome> OutcomeNamed(std::string_view name) {
    for (int kind = 0; kind <= static_cast<int>(Outcome::NotVerified); ++kind) {
        if (OutcomeName(static_cast<Outcome>(kind)) == name) {
            return static_cast<Outcome>(kind);
        }
    }
    return std::nullopt;
}

std::optional<JobState> StateNamed(std::string_view name) {
    for (int state = 0; state <= static_cast<int>(JobState::AwaitResult); ++state) {
        if (StateName(static_cast<JobState>(state)) == name) {
            return static_cast<JobState>(state);
        }
    }
    return std::nullopt;
}

// A report is read from anyone: a field of another type counts as missing.
std::optional<std::string> StringField(const nlohmann::json& fields, const char* name) {
    const auto field = fields.find(name);
    if (field == fields.end() || !field->is_string()) {
        return std::nullopt;
    }
    return field->get<std::string>();
}

// A text field in the recorders' code page, if it has one.
std::optional<std::string> Windows1252Field(const nlohmann::json& fields, const char* name) {
    const std::optional<std::string> text = StringField(fields, name);
    return text ? Utf8ToWindows1252(*text) : std::nullopt;
}

template <typename Number>
Number NumberField(const nlohmann::json& fields, const char* name, Number otherwise) {
    const auto field = fields.find(name);
    return field != fields.end() && field->is_number() ? field->get<Number>() : otherwise;
}

}  // namespace

std::string ReportText(const FleetRows& rows) {
    std::string text;
    for (const FleetRow& row : rows.all()) {
        if (!row.result) {
            continue;
        }
        nlohmann::json fields = ResultFields(TargetOf(row), *row.result, row.resultFacts);
        if (!row.address.empty() && row.address != row.name) {
            fields["name"] = TargetNameText({row.id, row.name, false});
        }
        text += JsonLine(fields) + '\n';
    }
    return text;
}

std::string CsvText(const FleetRows& rows) {
    std::string text =
        "\xEF\xBB\xBFrecorder,address,version,accepted,outcome,message,attempts,"
        "seconds,sha256\r\n";
    for (const FleetRow& row : rows.all()) {
        const std::vector<std::string> cells{
            CellText(row, FleetColumn::Recorder),
            row.address,
            row.version ? Windows1252ToUtf8(*row.version) : std::string(),
            row.accepted ? (*row.accepted ? "yes" : "no") : "",
            row.result ? std::string(OutcomeName(row.result->outcome.kind)) : std::string(),
            row.result ? row.message : std::string(),
            row.attempts > 0 ? std::to_string(row.attempts) : std::string(),
            row.result ? JsonLine(std::round(row.result->seconds * 1000) / 1000) : std::string(),
            row.result ? row.resultFacts.sha256 : std::string(),
        };
        for (std::size_t i = 0; i < cells.size(); ++i) {
            text += i == 0 ? "" : ",";
            text += CsvCell(cells[i]);
        }
        text += "\r\n";
    }
    return text;
}

bool AddReported(FleetRows& rows, const ReportedRecorder& recorder) {
    if (recorder.target.serial) {
        return false;
    }
    const nlohmann::json& fields = recorder.fields;
    std::optional<std::string> name = Windows1252Field(fields, "name");
    std::string address = recorder.target.name;
    if (!name) {
        name = address;
    }
    if (!ParseDottedIpv4(address)) {
        address.clear();
    }
    FleetRow& row = *rows.Find(rows.Add(*name, address));
    RecorderResult result;
    result.outcome.kind =
        OutcomeNamed(StringField(fields, "outcome").value_or("")).value_or(Outcome::Aborted);
    result.reached = StateNamed(StringField(fields, "state").value_or("")).value_or(JobState::Idle);
    result.version = Windows1252Field(fields, "version");
    result.attempts = NumberField(fields, "attempts", 1);
    result.seconds = NumberField(fields, "seconds", 0.0);
    result.bytes = NumberField(fields, "bytes", std::uint64_t{0});
    if (const std::optional<std::string> sha256 = StringField(fields, "sha256")) {
        row.resultFacts = {JobGoal::Update, *sha256, Windows1252Field(fields, "expected_version")};
        result.checked = fields.contains("version_after_update");
        result.checkedVersion = Windows1252Field(fields, "version_after_update");
    } else {
        const auto access = fields.find("access");
        row.resultFacts.goal = access != fields.end() && !access->is_null() ? JobGoal::ProbeAccess
                                                                            : JobGoal::ProbeVersion;
    }
    row.version = result.version;
    if (const auto accepted = fields.find("accepted");
        accepted != fields.end() && accepted->is_boolean()) {
        row.accepted = accepted->get<bool>();
    } else if (result.version) {
        row.accepted = result.outcome.kind != Outcome::VersionRefused;
    }
    row.message = StringField(fields, "message").value_or("");
    row.attempts = result.attempts;
    row.result = result;
    row.stage = RowStage::Finished;
    return true;
}

}  // namespace trelvo
