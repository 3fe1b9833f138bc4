#pragma once

#include <string>

#include "text/secret.h"

namespace trelvo {

// Where the administrator password comes from, in this order: the first
// line of `passwordFile` ("-" is standard input), the environment variable
// TRELVO_PASSWORD, a prompt without echo on the controlling terminal (the
// console on Windows). Never the command line. An empty password counts as
// none.
struct PasswordResult {
    bool ok = false;
    std::string error;  // why there is none
};
PasswordResult ReadPassword(const std::string& passwordFile, Secret& password);

}  // namespace trelvo
