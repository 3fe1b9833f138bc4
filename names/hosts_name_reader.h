#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "names/table_tokenizer.h"

namespace trelvo {

// Host names in the order they stand in the file; empty names and
// duplicates are kept as found.
using NameList = std::vector<std::string>;

// The reader's states; the state left is the type of the token handed over.
enum HostsState : std::int32_t {
    HS_LINE_START = 0,     // spaces, tabs and line feeds before a line's first column
    HS_ADDRESS = 1,        // the first column, read and dropped
    HS_AFTER_ADDRESS = 2,  // spaces and tabs after the first column
    HS_NAME = 3,           // a bare name
    HS_SKIP_LINE = 4,      // a comment line, or the rest of a line after its name
    HS_QUOTED_NAME = 5,    // a name in double quotes
};

// Collects the host names of an lmhosts-style file: each line holds an
// address, then a name, bare or in double quotes; the rest of the line and
// lines beginning with a number sign are ignored. Nothing in the file is
// validated and nothing in it is an error.
class HostsNameReader : public TableTokenizer {
public:
    HostsNameReader() : TableTokenizer(HS_LINE_START) {}

    // Appends the grammar's rows; false only when the table had no room left.
    bool BuildTable() override;

    const NameList& names() const { return names_; }

protected:
    // Keeps every name token, trimmed of white space; never stops the parse.
    bool OnToken(std::int32_t type) override;

private:
    NameList names_;
};

}  // namespace trelvo
