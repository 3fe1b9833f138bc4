#include "fleet/text_reporter.h"

#include <algorithm>
#include <cstdio>

#include "fleet/target_name.h"
#include "job/job_status_text.h"
#include "text/terminal_text.h"
#include "text/windows1252_text.h"

namespace trelvo {
namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Pads with blanks to `width` characters; UTF-8 sequences count as one.
std::string PadRight(std::string text, std::size_t width) {
    std::size_t characters = 0;
    for (const char c : text) {
        characters += IsContinuationByte(c) ? 0 : 1;
    }
    if (characters < width) {
        text.append(width - characters, ' ');
    }
    return text;
}

std::string OneLine(std::string text) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
        text.replace(at, 1, " / ");
    }
    return text;
}

std::string ShownVersion(const RecorderResult& result) {
    return TerminalSafeWindows1252(result.version.value_or(""));
}

// What the recorder reported when asked again after the update.
std::string CheckedVersion(const RecorderResult& result) {
    if (!result.checkedVersion) {
        return "  no version: the recorder did not answer";
    }
    return "  version " + TerminalSafeWindows1252(*result.checkedVersion);
}

}  // namespace

std::string TextReporter::ProgressLine(const RecorderRun& run) {
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", run.percent());
    return PadRight(TerminalSafe(TargetNameText(run.target())), 16) + "  " +
           PadRight(ShownStatusText(run.state()), 22) + "  " + percent + "  " + run.remaining();
}

std::string TextReporter::ResultLine(const RecorderTarget& target, const RecorderResult& result) {
    std::string line = PadRight(TerminalSafe(TargetNameText(target)), 16) + "  ";
    if (result.outcome.kind == Outcome::Skipped) {
        return line + "skipped  " + OneLine(ShownMessage(result.outcome)) + ": " +
               ShownVersion(result);
    }
    if (result.outcome.kind == Outcome::Verified) {
        return line + "ok       " + OneLine(ShownMessage(result.outcome)) + CheckedVersion(result);
    }
    if (result.outcome.kind == Outcome::NotVerified) {
        return line + "FAILED   " + OneLine(ShownMessage(result.outcome)) + CheckedVersion(result);
    }
    if (result.outcome.kind == Outcome::Probed) {
        return line + "ok       " + OneLine(ShownMessage(result.outcome)) + "  version " +
               ShownVersion(result);
    }
    if (result.ok()) {
        return line + "ok       " + OneLine(ShownMessage(result.outcome));
    }
    if (!result.aborted() && result.version) {
        return line + "FAILED   " + OneLine(ShownMessage(result.outcome)) + "  version " +
               ShownVersion(result);
    }
    if (!result.aborted()) {
        return line + "FAILED   " + OneLine(ShownMessage(result.outcome));
    }
    if (result.reached == JobState::Idle) {
        return line + "ABORTED  not started";
    }
    if (result.checked) {
        return line + "ABORTED  during the check of the new version";
    }
    return line + "ABORTED  during: " + ShownStatusText(result.reached);
}

void TextReporter::Ticked(std::span<RecorderRun* const> running) {
    if (size_.columns > 0) {
        Redraw(running);
    } else {
        WriteChanges(running);
    }
}

void TextReporter::Retrying(const RecorderTarget& target, const RecorderResult& failed,
                            std::uint32_t waitMs) {
    Erase();
    shown_.erase(target.index);
    char wait[32];
    std::snprintf(wait, sizeof wait, "%.1f", waitMs / 1000.0);
    out_ << PadRight(TerminalSafe(TargetNameText(target)), 16) + "  RETRY    " +
                OneLine(ShownMessage(failed.outcome)) + "  (attempt " +
                std::to_string(target.attempt) + "; again in " + wait + " s)"
         << '\n'
         << std::flush;
}

void TextReporter::Finished(const RecorderTarget& target, const RecorderResult& result) {
    Erase();
    shown_.erase(target.index);
    out_ << ResultLine(target, result) << '\n' << std::flush;
    if (result.outcome.kind == Outcome::Skipped) {
        ++skipped_;
    } else if (result.ok()) {
        ++ok_;
    } else if (result.aborted()) {
        ++aborted_;
    } else {
        ++failed_;
    }
}

void TextReporter::Ended() {
    const int all = ok_ + skipped_ + failed_ + aborted_;
    out_ << all << (all == 1 ? " recorder: " : " recorders: ") << ok_ << " ok, ";
    if (facts_.goal == JobGoal::Update) {
        out_ << skipped_ << " skipped, ";
    }
    out_ << failed_ << " failed, " << aborted_ << " aborted";
    if (!facts_.sha256.empty()) {
        out_ << "  sha256=" << facts_.sha256;
    }
    out_ << '\n' << std::flush;
}

void TextReporter::Redraw(std::span<RecorderRun* const> running) {
    // Lines that scrolled off the top could not be moved back over: one row
    // stays for the count of those left out.
    const int room = std::max(size_.rows - 2, 1);
    std::string frame;
    int lines = 0;
    int leftOut = 0;
    for (const RecorderRun* run : running) {
        // An ended job is Idle; its result line follows.
        if (run->ended()) {
            continue;
        }
        if (lines == room) {
            ++leftOut;
            continue;
        }
        frame += Fit(ProgressLine(*run)) + '\n';
        ++lines;
    }
    if (leftOut > 0) {
        frame += "+ " + std::to_string(leftOut) + " more\n";
        ++lines;
    }
    if (frame == drawn_) {
        return;
    }
    Erase();
    out_ << frame << std::flush;
    drawn_ = std::move(frame);
    drawnLines_ = lines;
}

void TextReporter::WriteChanges(std::span<RecorderRun* const> running) {
    for (const RecorderRun* run : running) {
        // An ended job is Idle; its result line follows.
        if (run->ended()) {
            continue;
        }
        const Shown now{run->state(), run->percent() / 10};
        const auto found = shown_.find(run->target().index);
        if (found != shown_.end() && found->second.state == now.state &&
            found->second.tenth == now.tenth) {
            continue;
        }
        shown_[run->target().index] = now;
        out_ << ProgressLine(*run) << '\n';
    }
    out_ << std::flush;
}

// Moves back over the progress lines and clears them; result lines stay.
void TextReporter::Erase() {
    if (drawnLines_ > 0) {
        out_ << "\x1b[" << drawnLines_ << "A\r\x1b[J";
    }
    drawnLines_ = 0;
    drawn_.clear();
}

// A line that wrapped would throw the count of lines to move back over off.
std::string TextReporter::Fit(std::string line) const {
    const auto limit = static_cast<std::size_t>(size_.columns - 1);
    std::size_t characters = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (!IsContinuationByte(line[i]) && ++characters > limit) {
            line.resize(i);
            break;
        }
    }
    return line;
}

}  // namespace trelvo
