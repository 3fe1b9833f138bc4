#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/name_resolver.h"

namespace trelvo::testing {

// A resolver that answers only when the test says so, and perhaps never,
// like a name server that has gone silent.
class FakeNameResolver : public NameResolver {
public:
    struct Asked {
        std::string host;
        Answer answer;
        bool cancelled = false;
    };

    std::unique_ptr<Lookup> Start(const std::string& host, Answer answer) override {
        asked.push_back(std::make_shared<Asked>(Asked{host, std::move(answer)}));
        return std::make_unique<Ticket>(asked.back());
    }

    // Delivers the answer to the last lookup, as the event loop would; false
    // when that lookup has been cancelled or already answered.
    bool Reply(std::optional<std::uint32_t> address) {
        Asked& last = *asked.back();
        if (last.cancelled || !last.answer) {
            return false;
        }
        const Answer answer = std::exchange(last.answer, nullptr);
        answer(address);
        return true;
    }

    std::vector<std::shared_ptr<Asked>> asked;

private:
    class Ticket : public Lookup {
    public:
        explicit Ticket(std::shared_ptr<Asked> asked) : asked_(std::move(asked)) {}
        ~Ticket() override { asked_->cancelled = true; }
        Ticket(const Ticket&) = delete;
        Ticket& operator=(const Ticket&) = delete;

    private:
        std::shared_ptr<Asked> asked_;
    };
};

}  // namespace trelvo::testing
