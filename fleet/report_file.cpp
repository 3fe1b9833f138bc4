#include "fleet/report_file.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "fleet/json_line.h"
#include "fleet/result_fields.h"
#include "fleet/target_name.h"
#include "names/host_name.h"

namespace trelvo {

void ReportFile::Finished(const RecorderTarget& target, const RecorderResult& result) {
    results_.push_back(ResultFields(target, result, facts_));
}

void ReportFile::Ended() {
    // In the order the recorders were named, however they finished.
    std::stable_sort(results_.begin(), results_.end(),
                     [](const QJsonObject& a, const QJsonObject& b) {
                         return a["recorder"].toInt() < b["recorder"].toInt();
                     });
    if (!file_.isOpen() && !Open()) {
        return;
    }
    for (const QJsonObject& result : results_) {
        file_.write(QByteArray::fromStdString(JsonLine(result) + '\n'));
    }
    if (!file_.commit()) {
        Fail();
    }
}

// QSaveFile writes to a temporary file and renames it over the report only
// on commit, so a crash leaves the old report or none, never half.
bool ReportFile::Open() {
    if (!file_.open(QIODevice::WriteOnly)) {
        Fail();
        return false;
    }
    return true;
}

void ReportFile::Fail() {
    problem_ =
        "cannot write the report " + path_.toStdString() + ": " + file_.errorString().toStdString();
}

bool ReadRetryTargets(const QString& path, const std::string& sha256,
                      std::vector<RecorderTarget>& targets, std::string& problem) {
    const std::string name = path.toStdString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = "cannot read the report " + name + ": " + file.errorString().toStdString();
        return false;
    }
    int line = 0;
    while (!file.atEnd()) {
        ++line;
        const QByteArray text = file.readLine().trimmed();
        if (text.isEmpty()) {
            continue;
        }
        const QJsonObject entry = QJsonDocument::fromJson(text).object();
        const bool wellFormed = entry["host"].isString() && entry["ok"].isBool() &&
                                entry["serial"].isBool() && entry["sha256"].isString();
        if (!wellFormed) {
            problem = name + " line " + std::to_string(line) + " is no recorder of a report";
            return false;
        }
        if (entry["sha256"].toString().toStdString() != sha256) {
            problem = "the report " + name + " is of another update file";
            return false;
        }
        if (entry["ok"].toBool()) {
            continue;
        }
        // The report shows names as UTF-8; the recorder is reached by the
        // bytes they came from.
        const bool serial = entry["serial"].toBool();
        std::optional<std::string> host =
            TargetNameBytes(entry["host"].toString().toStdString(), serial);
        const NameProblem nameProblem =
            host ? CheckHostName(*host)
                 : NameProblem{CheckOperatorText(entry["host"].toString().toStdString())};
        if (!nameProblem.none()) {
            problem = name + " line " + std::to_string(line) + ": the recorder's name " +
                      std::string(NameProblemText(nameProblem));
            return false;
        }
        targets.push_back({static_cast<int>(targets.size()), std::move(*host), serial});
    }
    if (line == 0) {
        problem = "the report " + name + " is empty";
        return false;
    }
    return true;
}

}  // namespace trelvo
