#pragma once

#include <functional>
#include <string>
#include <vector>

#include "job/links.h"

namespace trelvo {

// Keeps every notification a network link gives, with its error, and the
// order of receives and closes; `whenReadable` acts on each good receive
// as the job would.
class RecordingEvents : public NetLinkEvents {
public:
    void OnConnect(int error) override { connects.push_back(error); }
    void OnReceive(int error) override {
        receives.push_back(error);
        order.emplace_back("receive");
        if (error == 0 && whenReadable) {
            whenReadable();
        }
    }
    void OnClose(int error) override {
        closes.push_back(error);
        order.emplace_back("close");
    }
    std::vector<int> connects;
    std::vector<int> receives;
    std::vector<int> closes;
    std::vector<std::string> order;
    std::function<void()> whenReadable;
};

}  // namespace trelvo
