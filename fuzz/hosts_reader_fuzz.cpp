// Any hosts file content up to 64 KiB, read from memory, against a reading
// of the same grammar written out by hand.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "names/hosts_name_reader.h"

namespace {

bool IsNameSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string Trimmed(std::string_view name) {
    while (!name.empty() && IsNameSpace(name.front())) {
        name.remove_prefix(1);
    }
    while (!name.empty() && IsNameSpace(name.back())) {
        name.remove_suffix(1);
    }
    return std::string(name);
}

// Each line: blanks, then a '#' comment or an address; after the address's
// blanks a bare name up to a blank, tab, quote or line end, or a quoted name up to
// the closing quote wherever it is. The rest of the line is skipped. A line
// that ends the file right after the address's blanks gives an empty name;
// a quote still open at the end gives none. A name holding a control byte
// (below 0x20, or 0x7F) or one of the five the code page leaves unassigned,
// or longer than 255 bytes, is set aside, as its first 40 bytes.
struct Reading {
    trelvo::NameList names;
    trelvo::NameList refused;

    void Take(std::string_view raw) {
        std::string name = Trimmed(raw);
        const bool untypable = std::any_of(name.begin(), name.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F ||
                   byte == 0x90 || byte == 0x9D;
        });
        if (untypable || name.size() > 255) {
            refused.push_back(name.substr(0, 40));
        } else {
            names.push_back(std::move(name));
        }
    }
};

Reading ReferenceNames(std::string_view text) {
    enum class At { LineStart, Address, AfterAddress, Name, QuotedName, SkipLine };
    At at = At::LineStart;
    Reading reading;
    std::string name;
    for (const char c : text) {
        switch (at) {
            case At::LineStart:
                if (c == '#') {
                    at = At::SkipLine;
                } else if (c != '\n' && c != ' ' && c != '\t') {
                    at = At::Address;
                }
                break;
            case At::Address:
                if (c == '\n') {
                    at = At::LineStart;
                } else if (c == ' ' || c == '\t') {
                    at = At::AfterAddress;
                }
                break;
            case At::AfterAddress:
                if (c == '\n') {
                    at = At::LineStart;
                } else if (c == '"') {
                    at = At::QuotedName;
                    name.clear();
                } else if (c != ' ' && c != '\t') {
                    at = At::Name;
                    name.assign(1, c);
                }
                break;
            case At::Name:
                if (c == '\n' || c == '"' || c == ' ' || c == '\t') {
                    reading.Take(name);
                    at = c == ' ' || c == '\t' ? At::SkipLine : At::LineStart;
                } else {
                    name += c;
                }
                break;
            case At::QuotedName:
                if (c == '"') {
                    reading.Take(name);
                    at = At::SkipLine;
                } else {
                    name += c;
                }
                break;
            case At::SkipLine:
                if (c == '\n') {
                    at = At::LineStart;
                }
                break;
        }
    }
    if (at == At::Name) {
        reading.Take(name);
    } else if (at == At::AfterAddress) {
        reading.Take("");
    }
    return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) {
        return -1;
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    trelvo::HostsNameReader reader;
    if (!reader.BuildTable() || !reader.ParseBuffer(text)) {
        std::abort();
    }
    const Reading expected = ReferenceNames(text);
    trelvo::NameList refused;
    for (const trelvo::RefusedName& name : reader.refused()) {
        refused.push_back(name.start);
    }
    if (reader.names() != expected.names || refused != expected.refused) {
        std::abort();
    }
    return 0;
}
