#include "fleet/discovery.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "fleet/result_fields.h"
#include "text/terminal_text.h"
#include "text/windows1252_text.h"

namespace trelvo {
namespace {

bool Answered(const RecorderResult& result) {
    return result.outcome.kind == Outcome::Probed || result.outcome.kind == Outcome::VersionRefused;
}

// Erases the terminal line the cursor stands on.
constexpr const char* kClearLine = "\r\x1b[K";

}  // namespace

void DiscoveryCollector::Ticked(std::span<RecorderRun* const>) {
    if (progress_ == nullptr || asked_ == shownAsked_) {
        return;
    }
    shownAsked_ = asked_;
    *progress_ << kClearLine << asked_ << " of " << addresses_ << " addresses asked, "
               << found_.size() << (found_.size() == 1 ? " recorder" : " recorders") << " found"
               << std::flush;
}

void DiscoveryCollector::Finished(const RecorderTarget& target, const RecorderResult& result) {
    ++asked_;
    if (Answered(result)) {
        found_.push_back({target, result});
    }
}

void DiscoveryCollector::Ended() {
    if (progress_ != nullptr && shownAsked_ != ~std::uint64_t{0}) {
        *progress_ << kClearLine << std::flush;
    }
}

std::vector<FoundRecorder> DiscoveryCollector::Found() const {
    std::vector<FoundRecorder> found = found_;
    std::sort(found.begin(), found.end(), [](const FoundRecorder& a, const FoundRecorder& b) {
        return a.target.index < b.target.index;
    });
    return found;
}

std::string DiscoveryLine(const FoundRecorder& recorder) {
    std::ostringstream line;
    line << std::left << std::setw(15) << recorder.target.name << "  "
         << (recorder.accepted() ? "accepted" : "refused ") << "  "
         << (recorder.result.version ? TerminalSafeWindows1252(*recorder.result.version) : "-");
    return line.str();
}

nlohmann::json DiscoveryJson(const FoundRecorder& recorder) {
    return {{"host", recorder.target.name},
            {"version", VersionField(recorder.result)},
            {"accepted", recorder.accepted()}};
}

std::string HostsFileLine(const FoundRecorder& recorder) {
    std::string line = recorder.target.name + ' ' + recorder.target.name + " #";
    if (recorder.result.version) {
        // Escaped as on the terminal, then back to the file's code page:
        // every character the escaping leaves is one Windows-1252 carries.
        line += ' ' +
                Utf8ToWindows1252(TerminalSafeWindows1252(*recorder.result.version)).value_or("?");
    }
    return line;
}

}  // namespace trelvo
