#pragma once

#include <QJsonObject>
#include <QString>
#include <string>
#include <vector>

#include "tools/cli/reporter.h"

namespace trelvo {

// `update --report FILE`: one JSON object per recorder (ResultFields), one
// per line, written when the run ends (also after Ctrl-C) into a temporary
// file beside FILE that then replaces it, so FILE is always whole.
class ReportFile final : public Reporter {
public:
    ReportFile(QString path, RunFacts facts) : path_(std::move(path)), facts_(std::move(facts)) {}

    void Ticked(std::span<RecorderRun* const>) override {}
    void Finished(const RecorderTarget& target, const RecorderResult& result) override;
    void Ended() override;

    // Empty when written; else why not.
    const std::string& problem() const { return problem_; }

private:
    QString path_;
    RunFacts facts_;
    std::vector<QJsonObject> results_;
    std::string problem_;
};

// The recorders of a report that were not ok, in their order, for
// `update --retry-failed`. False, with a message, when the report is
// missing, not such a report, or of an update file with another digest.
bool ReadRetryTargets(const QString& path, const std::string& sha256,
                      std::vector<RecorderTarget>& targets, std::string& problem);

}  // namespace trelvo
