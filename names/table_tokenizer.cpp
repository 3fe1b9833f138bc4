#include "names/table_tokenizer.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

namespace trelvo {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool InRange(std::int32_t c, char first, char last) {
    return c >= first && c <= last;
}

}  // namespace

bool TableTokenizer::AddTransition(std::int32_t from, std::int32_t symbol, std::int32_t to) {
    if (transitionCount_ >= MAX_TRANSITIONS) {
        return false;
    }
    transitions_[static_cast<std::size_t>(transitionCount_)] = {from, symbol, to};
    ++transitionCount_;
    return true;
}

bool TableTokenizer::ParseFile(const std::string& path) {
    return ParseFileUpTo(path, std::numeric_limits<std::uint64_t>::max()) == ParseEnd::Whole;
}

TableTokenizer::ParseEnd TableTokenizer::ParseFileUpTo(const std::string& path,
                                                       std::uint64_t maxBytes) {
    // "rb": a carriage return must reach the table as byte 13.
    const FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return ParseEnd::CannotOpen;
    }
    std::array<char, 4096> chunk{};
    std::uint64_t room = maxBytes;
    // A failed read ends the input just like the end of the file.
    while (const std::size_t read = std::fread(chunk.data(), 1, chunk.size(), file.get())) {
        const std::size_t fed = static_cast<std::size_t>(std::min<std::uint64_t>(read, room));
        if (!StepBytes({chunk.data(), fed})) {
            return ParseEnd::Refused;
        }
        if (fed < read) {
            return ParseEnd::TooLarge;
        }
        room -= fed;
    }
    return Step(SYM_EOF) ? ParseEnd::Whole : ParseEnd::Refused;
}

bool TableTokenizer::ParseBuffer(std::string_view content) {
    return StepBytes(content) && Step(SYM_EOF);
}

bool TableTokenizer::StepBytes(std::string_view bytes) {
    for (const char byte : bytes) {
        if (!Step(static_cast<unsigned char>(byte))) {
            return false;
        }
    }
    return true;
}

bool TableTokenizer::Step(std::int32_t input) {
    // A state-changing any-row hands the input on to the new state. In a
    // table without a circle each hand-over of one input comes from another
    // row, so the input is settled within as many passes as there are rows
    // in use (a further pass could only find no row and drop it). More
    // passes mean the rows go round a circle; the input is dropped there.
    for (std::int32_t pass = 0; pass < transitionCount_; ++pass) {
        const Match match = FindRow(input);
        if (match.row == nullptr) {
            return true;
        }
        const std::int32_t left = state_;
        state_ = match.row->to;
        const bool changed = state_ != left;
        if (changed) {
            if (!OnToken(left)) {
                return false;
            }
            token_.clear();
        }
        if (match.kind == RowKind::Any && changed) {
            continue;
        }
        if (match.kind != RowKind::Exact) {
            // The low eight bits: SYM_EOF meeting an any-row adds byte 255.
            token_.push_back(static_cast<char>(input & 0xFF));
        }
        return true;
    }
    return true;
}

TableTokenizer::Match TableTokenizer::FindRow(std::int32_t input) const {
    for (const Transition& row : transitions()) {
        if (row.from != state_) {
            continue;
        }
        if (row.symbol == input) {
            return {&row, RowKind::Exact};
        }
        if (row.symbol == SYM_ANY) {
            return {&row, RowKind::Any};
        }
        const bool classAccepts = (row.symbol == SYM_DIGIT && IsDigitChar(input)) ||
                                  (row.symbol == SYM_IDENT && IsIdentChar(input)) ||
                                  (row.symbol == SYM_LETTER && IsLetterChar(input));
        if (classAccepts) {
            return {&row, RowKind::Class};
        }
    }
    return {nullptr, RowKind::Exact};
}

bool TableTokenizer::OnToken(std::int32_t) {
    return true;
}

bool TableTokenizer::IsIdentChar(std::int32_t c) {
    return IsLetterChar(c) || IsDigitChar(c) || c == '_';
}

bool TableTokenizer::IsDigitChar(std::int32_t c) {
    return InRange(c, '0', '9');
}

bool TableTokenizer::IsLetterChar(std::int32_t c) {
    return InRange(c, 'a', 'z') || InRange(c, 'A', 'Z');
}

}  // namespace trelvo
