#include "names/host_name.h"

namespace trelvo {

NameProblem CheckHostName(std::string_view name) {
    if (name.find('\0') != std::string_view::npos) {
        return NameProblem::HoldsNul;
    }
    if (name.size() > MAX_HOST_NAME_BYTES) {
        return NameProblem::TooLong;
    }
    return NameProblem::None;
}

std::string_view NameProblemText(NameProblem problem) {
    switch (problem) {
        case NameProblem::None:
            break;
        case NameProblem::HoldsNul:
            return "holds a NUL character";
        case NameProblem::TooLong:
            return "is longer than 255 bytes";
    }
    return {};
}

}  // namespace trelvo
