#pragma once

#include <string>

namespace trelvo {

// A password held only as long as needed: its bytes are overwritten when it
// is wiped or destroyed. Not copyable, so no stray copy outlives it.
class SecretText {
public:
    SecretText() = default;
    ~SecretText() { Wipe(); }
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;

    const std::string& text() const { return text_; }
    bool empty() const { return text_.empty(); }
    // Takes the text over and wipes `source`, so the password lives in one place.
    void Take(std::string& source);
    void Wipe();
    // Turns UTF-8 into the Windows-1252 bytes the recorders read; false,
    // leaving the text as it was, when the code page cannot carry it.
    bool ToWindows1252();

private:
    std::string text_;
};

}  // namespace trelvo
