#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/posix/name_resolver.h"

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

    // Answers the last lookup as the event loop would; false when it was
    // cancelled or has been answered.
    bool Reply(std::optional<std::uint32_t> address) {
        Asked& last = *asked.back();
        if (last.cancelled || !last.answer) {
            return false;
        }
        std::exchange(last.answer, nullptr)(address);
        return true;
    }

    std::vector<std::shared_ptr<Asked>> asked;

private:
    struct Ticket : Lookup {
        explicit Ticket(std::shared_ptr<Asked> of) : asked(std::move(of)) {}
        ~Ticket() override { asked->cancelled = true; }
        std::shared_ptr<Asked> asked;
    };
};

}  // namespace trelvo::testing
