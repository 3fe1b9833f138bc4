#pragma once

#include <QJsonObject>
#include <QSaveFile>
#include <QString>
#include <string>
#include <vector>

#include "fleet/reporter.h"

namespace trelvo {

// `update --report FILE`: one JSON object per recorder (ResultFields), one
// per line, written when the run ends (also after Ctrl-C) into a temporary
// file beside FILE that then replaces it, so FILE is always whole.
class ReportFile final : public Reporter {
public:
    // `facts` must outlive the report; it is read only once the run is on,
    // so the report can be made before the password settles the goal.
    ReportFile(QString path, const RunFacts& facts)
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

    QString path_;
    const RunFacts& facts_;
    QSaveFile file_;
    std::vector<QJsonObject> results_;
    std::string problem_;
};

// The recorders of a report that were not ok, in their order, for
// `update --retry-failed`. False, with a message, when the report is
// missing, not such a report, or of an update file with another digest.
bool ReadRetryTargets(const QString& path, const std::string& sha256,
                      std::vector<RecorderTarget>& targets, std::string& problem);

}  // namespace trelvo
