#include <windows.h>

#include "ui/localisation/localize_text.h"

namespace trelvo {

bool SystemLanguageIsGerman() {
    return IsGermanLanguageId(GetSystemDefaultLangID());
}

}  // namespace trelvo
