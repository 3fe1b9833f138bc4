#include <windows.h>

#include "localisation/localize_text.h"

namespace trelvo {

bool SystemLanguageIsGerman() {
    return IsGermanLanguageId(GetSystemDefaultLangID());
}

}  // namespace trelvo
