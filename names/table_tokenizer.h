#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace trelvo {

// Row symbols. A row symbol 0 to 255 matches exactly that byte; these match more.
inline constexpr std::int32_t SYM_EOF = -1;  // the end-of-file input, fed once after the last byte
inline constexpr std::int32_t SYM_ANY = -2;  // every input, the end of the file included
inline constexpr std::int32_t SYM_IDENT = -3;   // a byte IsIdentChar accepts
inline constexpr std::int32_t SYM_DIGIT = -4;   // a byte IsDigitChar accepts
inline constexpr std::int32_t SYM_LETTER = -5;  // a byte IsLetterChar accepts

// The table lives inside the tokenizer and never grows beyond this.
inline constexpr std::int32_t MAX_TRANSITIONS = 100;

// In state `from`, an input matching `symbol` moves the tokenizer to state `to`.
struct Transition {
    std::int32_t from = 0;
    std::int32_t symbol = 0;
    std::int32_t to = 0;

    friend bool operator==(const Transition&, const Transition&) = default;
};

// A byte-at-a-time scanner driven by a table of state transitions. In each
// state the first row, in the order added, that matches the input decides:
// - an exact row (a byte or SYM_EOF) consumes the input as a delimiter;
// - a class row (SYM_IDENT, SYM_DIGIT, SYM_LETTER) adds the byte to the token;
// - an any-row (SYM_ANY) adds the input when it keeps the state, and hands
//   the input on to the new state when it changes it.
// Every change of state hands the collected token to OnToken, typed by the
// state just left, and starts an empty one. A derived scanner supplies its
// rows in BuildTable and acts on tokens in OnToken.
class TableTokenizer {
public:
    explicit TableTokenizer(std::int32_t startState) : state_(startState) {}
    virtual ~TableTokenizer() = default;
    TableTokenizer(const TableTokenizer&) = delete;
    TableTokenizer& operator=(const TableTokenizer&) = delete;

    // Appends the scanner's rows; called once before the first ParseFile.
    // The engine itself has no rows.
    virtual bool BuildTable() { return true; }

    // Appends one row. A full table refuses the row and stays as it is.
    bool AddTransition(std::int32_t from, std::int32_t symbol, std::int32_t to);

    // Feeds every byte of the file, then SYM_EOF, to Step. False when the
    // file cannot be opened (nothing else happens then) or a token was
    // refused. Neither the state nor the token is reset before or after.
    bool ParseFile(const std::string& path);

    enum class ParseEnd { Whole, CannotOpen, Refused, TooLarge };
    // ParseFile for a file that may be endless (a device, a pipe): feeds
    // at most `maxBytes` bytes, and on a longer file ends TooLarge after
    // them without SYM_EOF, so a name cut short by the limit is not taken.
    ParseEnd ParseFileUpTo(const std::string& path, std::uint64_t maxBytes);

    // The same for content already in memory: every byte, then SYM_EOF.
    bool ParseBuffer(std::string_view content);

    // Processes one input: a byte 0 to 255, or SYM_EOF. False only when
    // OnToken refused a token; an input no row matches is dropped.
    bool Step(std::int32_t input);

    // ASCII only: bytes 128 to 255 and negative values are never accepted.
    static bool IsIdentChar(std::int32_t c);
    static bool IsDigitChar(std::int32_t c);
    static bool IsLetterChar(std::int32_t c);

    std::int32_t state() const { return state_; }
    const std::string& token() const { return token_; }
    std::span<const Transition> transitions() const {
        return std::span(transitions_).first(static_cast<std::size_t>(transitionCount_));
    }

protected:
    // Receives a finished token of the state `type` that was just left. By
    // then state() is already the new state. The token may be edited in
    // place; it is emptied right afterwards. Returning false stops the parse.
    virtual bool OnToken(std::int32_t type);

    std::string& mutableToken() { return token_; }

private:
    enum class RowKind { Exact, Any, Class };
    struct Match {
        const Transition* row;
        RowKind kind;
    };

    // The first row of the current state that matches, or a null row.
    Match FindRow(std::int32_t input) const;
    // Steps each byte; false as soon as a token is refused.
    bool StepBytes(std::string_view bytes);

    std::int32_t state_;
    std::int32_t transitionCount_ = 0;
    std::array<Transition, MAX_TRANSITIONS> transitions_{};
    std::string token_;
};

}  // namespace trelvo
