#pragma once

#include <string>

namespace trelvo {

// A password or update code held only as long as needed: its bytes are
// overwritten when it is wiped, moved away or destroyed. Not copyable, so
// no stray copy outlives it.
class Secret {
public:
    Secret() = default;
    // Takes the text over; see Take.
    explicit Secret(std::string&& source) { Take(source); }
    ~Secret() { Wipe(); }
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    // The moved-from secret is left empty and wiped.
    Secret(Secret&& other) noexcept { Take(other.text_); }
    Secret& operator=(Secret&& other) noexcept;

    const std::string& text() const { return text_; }
    bool empty() const { return text_.empty(); }
    // Takes the text over and wipes `source`, so the text lives in one place.
    void Take(std::string& source) noexcept;
    void Wipe() noexcept;

private:
    std::string text_;
};

// Overwrites every byte the string holds, up to its capacity (stale bytes
// beyond its end included), and empties it, keeping its storage.
void WipeString(std::string& text) noexcept;

}  // namespace trelvo
