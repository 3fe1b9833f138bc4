#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "names/host_name.h"
#include "names/table_tokenizer.h"

namespace trelvo {

// Host names in the order they stand in the file; empty names and
// duplicates are kept as found.
using NameList = std::vector<std::string>;

// The most bytes of a hosts file the reader takes: far more than any real
// one holds, and a bound for a device or an endless pipe named by mistake.
inline constexpr std::uint64_t MAX_HOSTS_FILE_BYTES = std::uint64_t{16} * 1024 * 1024;

// A name of the file that no recorder can be reached by: its first bytes
// (ShownNameStart) and why.
struct RefusedName {
    std::string start;
    NameProblem problem;
};

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
// lines beginning with a number sign are ignored. A name that cannot name
// a recorder (CheckHostName) is set aside in refused() instead.
class HostsNameReader : public TableTokenizer {
public:
    HostsNameReader() : TableTokenizer(HS_LINE_START) {}

    // Appends the grammar's rows; false only when the table had no room left.
    bool BuildTable() override;

    // ParseFile up to MAX_HOSTS_FILE_BYTES: on TooLarge the names before
    // the limit have been read.
    ParseEnd ReadFile(const std::string& path) { return ParseFileUpTo(path, MAX_HOSTS_FILE_BYTES); }

    const NameList& names() const { return names_; }
    // The first column of each name's line, as written: addresses() [i]
    // is where names() [i] stands.
    const std::vector<std::string>& addresses() const { return addresses_; }
    const std::vector<RefusedName>& refused() const { return refused_; }

protected:
    // Keeps every name token, trimmed of white space; never stops the parse.
    bool OnToken(std::int32_t type) override;

private:
    NameList names_;
    std::vector<std::string> addresses_;
    std::string lineAddress_;  // the first column of the line being read
    std::vector<RefusedName> refused_;
};

}  // namespace trelvo
