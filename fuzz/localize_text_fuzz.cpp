// Any text handed to the table, in both languages.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

#include "localisation/localize_text.h"

namespace {

// What the table can give back instead of the text itself.
constexpr std::string_view kEnglishTexts[] = {
    "File not found",
    "File has no content",
    "Update code missing",
    "Connect failed - address invalid?",
    "ComPort not available",
    "This recorder version cannot be updated by Trelvo",
    "Access denied - invalid password",
    "Recorder not ready to receive",
    "Error during file transfer!",
    "Update finished successfully",
    "Update file is damaged or invalid\nRecorder could NOT be updated",
    "Update code is invalid\nRecorder could NOT be updated",
    "Recorder could NOT be updated",
    "Unknown error\nRecorder could NOT be updated",
    "Administrator password:",
    "Update code",
    "Source file",
    "Connection to recorder",
    "Transfer",
    "Status",
    "Time remaining",
    "Start",
    "Exit",
    "Update files(*.sh)|*.sh||",
    "Net",
    "COM1",
    "COM2",
    "No connection",
    "Connecting",
    "Version request",
    "Sending password",
    "Sending file",
    "Checking Success",
    "Abort",
    "Choose update file",
    "Update code:",
    "Source file:",
    "Device address:",
    "Transfer:",
    "Status:",
    "Transfer time:",
    "File is too large",
    "Update code is too long",
    "Timeout - recorder does not answer",
};

std::string WithAsciiCase(std::string_view text, bool upper) {
    std::string folded(text);
    for (char& c : folded) {
        if (upper && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// Without a row EnglishText hands back the asked text itself, so a row was
// found exactly when the answer lies elsewhere.
bool FoundARow(const std::string& asked, std::string_view answer) {
    return answer.data() != asked.data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    // On a German system every text passes unchanged.
    if (trelvo::LocalizeText(text) != text) {
        std::abort();
    }
    setenv("LC_ALL", "C", 1);
    const std::string_view answer = trelvo::EnglishText(text);
    const bool hasRow = FoundARow(text, answer);
    // The text itself, whole, or an English text of the table.
    const bool fits = hasRow ? std::find(std::begin(kEnglishTexts), std::end(kEnglishTexts),
                                         answer) != std::end(kEnglishTexts)
                             : answer.size() == text.size();
    if (!fits || trelvo::LocalizeText(text) != answer) {
        std::abort();
    }
    // ASCII letter case never decides: either folding finds the same row, or none.
    for (const bool upper : {false, true}) {
        const std::string folded = WithAsciiCase(text, upper);
        const std::string_view foldedAnswer = trelvo::EnglishText(folded);
        if (FoundARow(folded, foldedAnswer) != hasRow ||
            (hasRow && foldedAnswer.data() != answer.data())) {
            std::abort();
        }
    }
    return 0;
}
