#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "fleet/atomic_file.h"
#include "fleet/reporter.h"

namespace trelvo {

// `update --report FILE`: one JSON object per recorder (ResultFields), one
// per line, written when the run ends (also after Ctrl-C) into a temporary
// file beside FILE that then replaces it, so FILE is always whole. The
// name is UTF-8.
class ReportFile final : public Reporter {
public:
    // `facts` must outlive the report; it is read only once the run is on,
    // so the report can be made before the password settles the goal.
    ReportFile(std::string path, const RunFacts& facts)
        : path_(std::move(path)), facts_(facts), file_(path_) {}

    // Makes the temporary file before the run, so a folder that cannot be
    // written is refused before any recorder is touched. False, with
    // problem() saying why, when it cannot be made.
    bool Open();

    void Ticked(std::span<RecorderRun* const>) override {}
    void Finished(const RecorderTarget& target, const RecorderResult& result) override;
    void Ended() override;

    // Empty when written; else why not.
    const std::string& problem() const { return problem_; }

private:
    void Fail();

    std::string path_;
    const RunFacts& facts_;
    AtomicFile file_;
    std::vector<nlohmann::json> results_;
    std::string problem_;
};

// The longest line a report is read with: a version reply may carry a
// megabyte, and a byte can take six in JSON ("\u0081").
inline constexpr std::size_t kReportLineLimit = std::size_t{8} * 1024 * 1024;

// A recorder as a report holds it: its name as the bytes it is reached by,
// and every field of its line.
struct ReportedRecorder {
    RecorderTarget target;  // its index is its place in the report
    nlohmann::json fields;  // an object with at least host, ok and serial
    int line = 0;           // counted from 1
};

// Every recorder of a report of an update or a probe, in the report's
// order. False, with a message, when the report is missing, empty or not
// such a report (as for ReadRetryTargets). The name is UTF-8.
bool ReadReport(const std::string& path, std::vector<ReportedRecorder>& recorders,
                std::string& problem);

// The recorders of a report that were not ok, in their order, for
// `update --retry-failed`. False, with a message, when the report is
// missing, not such a report (not JSON, a field missing or of another
// type, a line longer than kReportLineLimit), or of an update file with
// another digest. The name is UTF-8.
bool ReadRetryTargets(const std::string& path, const std::string& sha256,
                      std::vector<RecorderTarget>& targets, std::string& problem);

}  // namespace trelvo
