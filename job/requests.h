#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "job/links.h"
#include "job/wire_format.h"

// The requests the job sends, each as the bytes that go to the link in one
// hand-over: the header, then its body. Those that hold the password or the
// update code are built in one buffer sized once, so no other copy is left
// behind; the caller wipes it after the hand-over.
namespace trelvo {

// Each link asks for the version in its own form.
Bytes VersionQueryRequest(LinkKind link);
// The password and its terminating NUL.
Bytes PasswordRequest(const std::string& password);
Bytes FileDescriptorRequest(std::string_view remotePath, std::uint32_t fileSize);
Bytes ExecuteRequest(std::string_view remotePath, std::string_view updateCode);

}  // namespace trelvo
