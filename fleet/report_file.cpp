#include "fleet/report_file.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <optional>
#include <system_error>

#include "fleet/json_line.h"
#include "fleet/result_fields.h"
#include "fleet/target_name.h"
#include "names/host_name.h"
#include "text/utf8_path.h"

namespace trelvo {
namespace {

enum class LineRead { Line, End, TooLong, Failed };

// One line without its end, at most kReportLineLimit bytes of it, so a
// file without line ends is never held whole.
LineRead ReadLine(std::istream& in, std::string& line) {
    line.clear();
    std::streambuf& buffer = *in.rdbuf();
    for (;;) {
        const int next = buffer.sbumpc();
        if (next == std::char_traits<char>::eof()) {
            return line.empty() ? LineRead::End : LineRead::Line;
        }
        if (next == '\n') {
            return LineRead::Line;
        }
        if (line.size() == kReportLineLimit) {
            return LineRead::TooLong;
        }
        line += static_cast<char>(next);
    }
}

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view kSpace = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

bool HasField(const nlohmann::json& entry, const char* name, nlohmann::json::value_t type) {
    const auto field = entry.find(name);
    return field != entry.end() && field->type() == type;
}

bool IsReportEntry(const nlohmann::json& entry) {
    using Type = nlohmann::json::value_t;
    return entry.is_object() && HasField(entry, "host", Type::string) &&
           HasField(entry, "ok", Type::boolean) && HasField(entry, "serial", Type::boolean);
}

std::string ReportLinePlace(const std::string& path, int line) {
    return path + " line " + std::to_string(line);
}

}  // namespace

void ReportFile::Finished(const RecorderTarget& target, const RecorderResult& result) {
    results_.push_back(ResultFields(target, result, facts_));
}

void ReportFile::Ended() {
    // In the order the recorders were named, however they finished.
    std::stable_sort(results_.begin(), results_.end(),
                     [](const nlohmann::json& a, const nlohmann::json& b) {
                         return a["recorder"].get<int>() < b["recorder"].get<int>();
                     });
    if (!file_.IsOpen() && !Open()) {
        return;
    }
    for (const nlohmann::json& result : results_) {
        file_.Write(JsonLine(result) + '\n');
    }
    if (!file_.Commit()) {
        Fail();
    }
}

bool ReportFile::Open() {
    if (!file_.Open()) {
        Fail();
        return false;
    }
    return true;
}

void ReportFile::Fail() {
    problem_ = "cannot write the report " + path_ + ": " + file_.error();
}

bool ReadReport(const std::string& path, std::vector<ReportedRecorder>& recorders,
                std::string& problem) {
    const std::optional<std::filesystem::path> name = Utf8Path(path);
    std::error_code folderError;
    if (name && std::filesystem::is_directory(*name, folderError)) {
        problem = "cannot read the report " + path + ": file to open is a directory";
        return false;
    }
    std::ifstream file;
    if (name) {
        file.open(*name, std::ios::binary);
    }
    if (!file.is_open()) {
        const int error = name ? errno : ENOENT;
        problem = "cannot read the report " + path + ": " + std::generic_category().message(error);
        return false;
    }
    int line = 0;
    std::string text;
    for (;;) {
        const LineRead read = ReadLine(file, text);
        if (read == LineRead::End) {
            break;
        }
        ++line;
        const std::string at = ReportLinePlace(path, line);
        if (read == LineRead::TooLong) {
            problem = at + " is longer than any recorder of a report";
            return false;
        }
        const std::string_view trimmed = Trimmed(text);
        if (trimmed.empty()) {
            continue;
        }
        nlohmann::json entry = nlohmann::json::parse(trimmed, nullptr, false);
        if (!IsReportEntry(entry)) {
            problem = at + " is no recorder of a report";
            return false;
        }
        // The report shows names as UTF-8; the recorder is reached by the
        // bytes they came from.
        const bool serial = entry["serial"].get<bool>();
        const std::string& shown = entry["host"].get_ref<const std::string&>();
        std::optional<std::string> host = TargetNameBytes(shown, serial);
        const NameProblem nameProblem =
            host ? CheckHostName(*host) : NameProblem{CheckOperatorText(shown)};
        if (!nameProblem.none()) {
            problem = at + ": the recorder's name " + std::string(NameProblemText(nameProblem));
            return false;
        }
        recorders.push_back({{static_cast<int>(recorders.size()), std::move(*host), serial},
                             std::move(entry),
                             line});
    }
    if (line == 0) {
        problem = "the report " + path + " is empty";
        return false;
    }
    return true;
}

bool ReadRetryTargets(const std::string& path, const std::string& sha256,
                      std::vector<RecorderTarget>& targets, std::string& problem) {
    std::vector<ReportedRecorder> recorders;
    if (!ReadReport(path, recorders, problem)) {
        return false;
    }
    for (ReportedRecorder& recorder : recorders) {
        const auto digest = recorder.fields.find("sha256");
        if (digest == recorder.fields.end() || !digest->is_string()) {
            problem = ReportLinePlace(path, recorder.line) + " is no recorder of a report";
            return false;
        }
        if (digest->get_ref<const std::string&>() != sha256) {
            problem = "the report " + path + " is of another update file";
            return false;
        }
        if (!recorder.fields["ok"].get<bool>()) {
            recorder.target.index = static_cast<int>(targets.size());
            targets.push_back(std::move(recorder.target));
        }
    }
    return true;
}

}  // namespace trelvo
