#include <cstdlib>

#include "localisation/localize_text.h"

namespace trelvo {

bool SystemLanguageIsGerman() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return IsGermanLocaleName(value);
        }
    }
    return false;
}

}  // namespace trelvo
