#include "job/wire_format.h"

#include <gtest/gtest.h>

namespace trelvo {
namespace {

Bytes Wire(const MessageHeader& header) {
    const MessageHeader::Wire wire = header.ToBytes();
    return Bytes(wire.begin(), wire.end());
}

TEST(FillHeader, VersionQueriesComeOutByteForByte) {
    MessageHeader network;
    network.FillHeader(HEADER_LEAD, CMD_GET_VERSION, VERSION_QUERY_NETWORK, 0);
    EXPECT_EQ(Wire(network), (Bytes{0x04, 0x00, 0x02, 0x00, 0xE2, 0xFC, 0x00, 0x00, 0x04, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE8, 0x01}));

    MessageHeader serial;
    serial.FillHeader(HEADER_LEAD, CMD_GET_VERSION, VERSION_QUERY_SERIAL, 0);
    EXPECT_EQ(serial.checksum, 0x01EB);
    EXPECT_EQ(Wire(serial)[16], 0xEB);
    EXPECT_EQ(Wire(serial)[17], 0x01);
}

TEST(FillHeader, ResetsStatusAndWritesEveryFieldLittleEndian) {
    MessageHeader header;
    header.status = 7;
    header.checksum = 0xFFFF;
    header.FillHeader(HEADER_LEAD, CMD_EXECUTE_UPDATE, 0x01020304, 0xA0B0C0D0);
    EXPECT_EQ(Wire(header), (Bytes{0x04, 0x00, 0x10, 0x00, 0xE2, 0xFC, 0x00, 0x00, 0x04, 0x03, 0x02,
                                   0x01, 0xD0, 0xC0, 0xB0, 0xA0, 0xDC, 0x04}));
}

TEST(FileDescriptor, WorkedExampleComesOutByteForByte) {
    const Bytes body = BuildFileDescriptorBody("/tmp/a.sh", 1234);
    EXPECT_EQ(body, (Bytes{0x0A, 0x00, 0x01, 0x00, 0x2F, 0x74, 0x6D, 0x70, 0x2F,
                           0x61, 0x2E, 0x73, 0x68, 0x00, 0x04, 0x00, 0x02, 0x00,
                           0xD2, 0x04, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF}));

    MessageHeader header;
    header.FillHeader(HEADER_LEAD, CMD_FILE_DESCRIPTOR, 0, static_cast<std::uint32_t>(body.size()));
    EXPECT_EQ(Wire(header), (Bytes{0x04, 0x00, 0x05, 0x00, 0xE2, 0xFC, 0x00, 0x00, 0x00, 0x00, 0x00,
                                   0x00, 0x1A, 0x00, 0x00, 0x00, 0x01, 0x02}));
}

TEST(FileDescriptor, CarriesTheFullThirtyTwoBitSize) {
    const Bytes body = BuildFileDescriptorBody("/tmp/x", 0xFFFFFFFF);
    ASSERT_EQ(body.size(), 7u + 16u);
    EXPECT_EQ(GetU32(&body[4 + 7 + 4]), 0xFFFFFFFFu);
}

TEST(ExecuteBody, ArgumentsCarryTheirIdTextAndNul) {
    const Bytes body = BuildExecuteBody("/tmp/a.sh", "XY");
    // P = 10, C = 3: total P + C + 16.
    EXPECT_EQ(body, (Bytes{0x0C, 0x00, 0x7D, 0x08, 0x01, 0x00, '/',  't',  'm',  'p',
                           '/',  'a',  '.',  's',  'h',  0x00, 0x05, 0x00, 0x7D, 0x08,
                           0x02, 0x00, 'X',  'Y',  0x00, 0x00, 0x00, 0xFF, 0xFF}));
    // Sized once: no reallocation left a copy of the update code behind.
    EXPECT_EQ(body.capacity(), body.size());
}

TEST(ExecuteBody, EmptyUpdateCodeGivesARecordOfLengthThree) {
    const Bytes body = BuildExecuteBody("/tmp/a.sh", "");
    ASSERT_EQ(body.size(), 9u + 0u + 18u);
    const std::size_t codeRecord = 6 + 10;
    EXPECT_EQ(GetU16(&body[codeRecord]), 3);
    EXPECT_EQ(GetU16(&body[codeRecord + 2]), TAG_EXECUTE_ARG);
    EXPECT_EQ(GetU16(&body[codeRecord + 4]), ARG_UPDATE_CODE);
    EXPECT_EQ(body[codeRecord + 6], 0);
}

MessageHeader Received(std::uint16_t status, std::uint16_t checksum, bool allZero = false) {
    MessageHeader header;
    if (!allZero) {
        header.lead = 4;
        header.command = 2;
        header.magic = HEADER_MAGIC;
        header.value = 9;
    }
    header.status = status;
    header.checksum = checksum;
    return header;
}

TEST(ValidateReply, AcceptsExactlyStatusOneAndOverwritesTheChecksum) {
    struct Case {
        const char* name;
        MessageHeader header;
        bool accepted;
    };
    // 4 + 2 + 0xE2 + 0xFC + 9 = 499, plus status and received checksum bytes.
    const Case cases[] = {
        {"status 1, right checksum", Received(1, 500), true},
        {"status 1, wrong checksum", Received(1, 0x1234), true},
        {"status 1, zero checksum", Received(1, 0), true},
        {"status 0", Received(0, 499), false},
        {"status 3", Received(3, 502), false},
        {"status 0x0101", Received(0x0101, 0), false},
        {"all zero", Received(0, 0, true), false},
    };
    for (Case c : cases) {
        const MessageHeader::Wire before = c.header.ToBytes();
        unsigned sum = 0;
        for (std::uint8_t byte : before) {
            sum += byte;
        }
        EXPECT_EQ(c.header.ValidateReply(), c.accepted) << c.name;
        EXPECT_EQ(c.header.checksum, static_cast<std::uint16_t>(sum)) << c.name;
    }
}

TEST(MessageHeader, RoundTripsThroughItsBytes) {
    MessageHeader header;
    header.lead = 0x0102;
    header.command = 0x0304;
    header.magic = 0x0506;
    header.status = 0x0708;
    header.value = 0x090A0B0C;
    header.bodyLength = 0x0D0E0F10;
    header.checksum = 0x1112;
    const MessageHeader back = MessageHeader::FromBytes(header.ToBytes());
    EXPECT_EQ(Wire(back), Wire(header));
    EXPECT_EQ(back.value, 0x090A0B0Cu);
    EXPECT_EQ(back.bodyLength, 0x0D0E0F10u);
}

}  // namespace
}  // namespace trelvo
