#include "names/host_name.h"

namespace trelvo {

NameProblem CheckHostName(std::string_view name) {
    return {CheckOperatorBytes(name), name.size() > MAX_HOST_NAME_BYTES};
}

std::string_view NameProblemText(NameProblem problem) {
    if (problem.refusal != TextRefusal::None) {
        return TextRefusalText(problem.refusal);
    }
    return problem.tooLong ? "is longer than 255 bytes" : std::string_view();
}

}  // namespace trelvo
