#include "job/requests.h"

#include <gtest/gtest.h>

#include <string>

namespace trelvo {
namespace {

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TEST(Requests, EachIsItsHeaderThenExactlyTheBodyItAnnounces) {
    const std::string longCode(300, 'c');
    struct Case {
        const char* name;
        Bytes request;
        std::uint16_t command;
        std::uint32_t value;
        Bytes body;
    };
    const Case cases[] = {
        {"network query",
         VersionQueryRequest(LinkKind::Network),
         CMD_GET_VERSION,
         VERSION_QUERY_NETWORK,
         {}},
        {"serial query",
         VersionQueryRequest(LinkKind::Serial),
         CMD_GET_VERSION,
         VERSION_QUERY_SERIAL,
         {}},
        {"password", PasswordRequest("s\xE9kret"), CMD_PASSWORD, 0,
         Text(std::string("s\xE9kret") + '\0')},
        {"empty password", PasswordRequest(""), CMD_PASSWORD, 0, Bytes{0}},
        {"descriptor", FileDescriptorRequest("/tmp/a.sh", 70000), CMD_FILE_DESCRIPTOR, 0,
         BuildFileDescriptorBody("/tmp/a.sh", 70000)},
        {"execute", ExecuteRequest("/tmp/a.sh", longCode), CMD_EXECUTE_UPDATE, 0,
         BuildExecuteBody("/tmp/a.sh", longCode)},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.request.size(), HEADER_SIZE + c.body.size()) << c.name;
        MessageHeader::Wire wire{};
        std::copy_n(c.request.begin(), HEADER_SIZE, wire.begin());
        const MessageHeader header = MessageHeader::FromBytes(wire);
        EXPECT_EQ(header.lead, HEADER_LEAD) << c.name;
        EXPECT_EQ(header.command, c.command) << c.name;
        EXPECT_EQ(header.magic, HEADER_MAGIC) << c.name;
        EXPECT_EQ(header.status, 0) << c.name;
        EXPECT_EQ(header.value, c.value) << c.name;
        EXPECT_EQ(header.bodyLength, c.body.size()) << c.name;
        EXPECT_EQ(header.checksum, HeaderChecksum(header)) << c.name;
        EXPECT_EQ(Bytes(c.request.begin() + HEADER_SIZE, c.request.end()), c.body) << c.name;
    }
}

// A buffer that grew would have left a copy of the secret where the caller's
// wipe does not reach.
TEST(Requests, ThoseHoldingASecretAreSizedOnce) {
    const std::string secret(5000, 's');
    const Bytes password = PasswordRequest(secret);
    EXPECT_EQ(password.capacity(), password.size());
    const Bytes execute = ExecuteRequest("/tmp/a.sh", secret);
    EXPECT_EQ(execute.capacity(), execute.size());
}

}  // namespace
}  // namespace trelvo
