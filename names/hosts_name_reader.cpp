#include "names/hosts_name_reader.h"

namespace trelvo {
namespace {

constexpr std::int32_t LF = 10;
constexpr std::int32_t TAB = 9;
constexpr std::int32_t SPACE = 32;
constexpr std::int32_t QUOTE = 34;
constexpr std::int32_t HASH = 35;

// In each state the first matching row wins, so the order matters. A tab
// ends a bare name as a blank does (lmhosts files put one before "#PRE"); a
// quoted name has no line-feed or end-of-file row, so it runs over line
// ends until its closing quote.
constexpr Transition kHostsGrammar[] = {
    {HS_LINE_START, LF, HS_LINE_START},
    {HS_LINE_START, SPACE, HS_LINE_START},
    {HS_LINE_START, TAB, HS_LINE_START},
    {HS_LINE_START, HASH, HS_SKIP_LINE},
    {HS_LINE_START, SYM_ANY, HS_ADDRESS},
    {HS_SKIP_LINE, LF, HS_LINE_START},
    {HS_SKIP_LINE, SYM_EOF, HS_LINE_START},
    {HS_SKIP_LINE, SYM_ANY, HS_SKIP_LINE},
    {HS_ADDRESS, LF, HS_LINE_START},
    {HS_ADDRESS, SPACE, HS_AFTER_ADDRESS},
    {HS_ADDRESS, TAB, HS_AFTER_ADDRESS},
    {HS_ADDRESS, SYM_ANY, HS_ADDRESS},
    {HS_AFTER_ADDRESS, LF, HS_LINE_START},
    {HS_AFTER_ADDRESS, QUOTE, HS_QUOTED_NAME},
    {HS_AFTER_ADDRESS, SPACE, HS_AFTER_ADDRESS},
    {HS_AFTER_ADDRESS, TAB, HS_AFTER_ADDRESS},
    {HS_AFTER_ADDRESS, SYM_ANY, HS_NAME},
    {HS_NAME, LF, HS_LINE_START},
    {HS_NAME, QUOTE, HS_LINE_START},
    {HS_NAME, SPACE, HS_SKIP_LINE},
    {HS_NAME, TAB, HS_SKIP_LINE},
    {HS_NAME, SYM_EOF, HS_LINE_START},
    {HS_NAME, SYM_ANY, HS_NAME},
    {HS_QUOTED_NAME, QUOTE, HS_SKIP_LINE},
    {HS_QUOTED_NAME, SYM_ANY, HS_QUOTED_NAME},
};

// Only ASCII white space: bytes from 128 up belong to the name.
bool IsNameSpace(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == SPACE || (byte >= 9 && byte <= 13);
}

void TrimNameSpace(std::string& text) {
    while (!text.empty() && IsNameSpace(text.back())) {
        text.pop_back();
    }
    std::size_t start = 0;
    while (start < text.size() && IsNameSpace(text[start])) {
        ++start;
    }
    text.erase(0, start);
}

}  // namespace

bool HostsNameReader::BuildTable() {
    TableTokenizer::BuildTable();
    bool allAdded = true;
    for (const Transition& row : kHostsGrammar) {
        allAdded = AddTransition(row.from, row.symbol, row.to) && allAdded;
    }
    return allAdded;
}

bool HostsNameReader::OnToken(std::int32_t type) {
    // A name's line always opens with its address column.
    if (type == HS_ADDRESS) {
        lineAddress_ = token();
        TrimNameSpace(lineAddress_);
    }
    if (type == HS_NAME || type == HS_QUOTED_NAME) {
        TrimNameSpace(mutableToken());
        if (const NameProblem problem = CheckHostName(token()); !problem.none()) {
            refused_.push_back({std::string(ShownNameStart(token())), problem});
        } else {
            names_.push_back(token());
            addresses_.push_back(lineAddress_);
        }
    }
    return true;
}

}  // namespace trelvo
