#include "tools/cli/secret_text.h"

#include <string.h>

#include <optional>

#include "job/windows1252_text.h"

namespace trelvo {

void SecretText::Take(std::string& source) {
    Wipe();
    // Reserved first, so the assignment never leaves a copy in a released block.
    text_.reserve(source.size());
    text_.assign(source);
    explicit_bzero(source.data(), source.size());
    source.clear();
}

bool SecretText::ToWindows1252() {
    std::optional<std::string> bytes = Utf8ToWindows1252(text_);
    if (!bytes) {
        return false;
    }
    Take(*bytes);
    return true;
}

void SecretText::Wipe() {
    explicit_bzero(text_.data(), text_.size());
    text_.clear();
}

}  // namespace trelvo
