#include "digest/sha256.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <string>
#include <string_view>

#include "scratch_dir.h"
#include "text/utf8_path.h"

namespace trelvo {
namespace {

std::string HashInPieces(std::string_view text, std::size_t piece) {
    Sha256 hash;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        const std::string_view part = text.substr(at, piece);
        hash.Update({reinterpret_cast<const std::uint8_t*>(part.data()), part.size()});
    }
    return Sha256::Hex(hash.Finish());
}

struct Vector {
    std::string message;
    std::string digest;
};

// The FIPS 180-2 examples, plus lengths on both sides of the padding limit.
const Vector kVectors[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
    {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
};

TEST(Sha256, KnownDigestsWhateverThePieceSize) {
    for (const Vector& vector : kVectors) {
        for (const std::size_t piece : {1, 3, 63, 64, 65, 1000000}) {
            EXPECT_EQ(HashInPieces(vector.message, piece), vector.digest)
                << vector.message.size() << " bytes in pieces of " << piece;
        }
    }
}

TEST(Sha256, FinishStartsAfresh) {
    Sha256 hash;
    hash.Update({reinterpret_cast<const std::uint8_t*>("zzz"), 3});
    hash.Finish();
    EXPECT_EQ(Sha256::Hex(hash.Finish()), kVectors[0].digest);
}

// Names are UTF-8; on Windows they reach the wide calls, so one outside
// the ANSI code page opens too.
TEST(Sha256, FileDigestIsTheStreamsDigest) {
    const ScratchDir scratch;
    const std::u8string folder = scratch.path().u8string();
    const std::string base(folder.begin(), folder.end());
    for (const char* name : {"update.sh", "B\u00f6se Datei.sh", "\u0416\u20ac.sh"}) {
        const std::string path = base + "/" + name;
        {
            std::ofstream file(*Utf8Path(path), std::ios::binary);
            file << kVectors[1].message;
        }
        EXPECT_EQ(FileSha256(path), kVectors[1].digest) << name;
    }
    struct Unreadable {
        std::string path;
        const char* why;
    };
    const Unreadable unreadable[] = {
        {base + "/missing.sh", "missing"},
        {base, "a folder"},
        {base + std::string("/update.sh\0x", 12), "a NUL in the name"},
    };
    for (const Unreadable& c : unreadable) {
        EXPECT_EQ(FileSha256(c.path), std::nullopt) << c.why;
    }
}

TEST(ReadSha256Hex, TakesSixtyFourHexDigitsOfEitherCaseOnly) {
    const std::string digest = kVectors[1].digest;
    std::string upper = digest;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(ReadSha256Hex(digest), digest);
    EXPECT_EQ(ReadSha256Hex(upper), digest);
    // Written out: GCC 12 sees overlaps in strings put together here.
    const std::string refused[] = {
        "",
        "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015a",    // 63 digits
        "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad0",  // 65
        "ga7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",   // not a hex digit
        " a7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",   // a blank
        "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015a\n",  // a line end
        "0x7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",   // a prefix
        std::string("ba7816bf8f\0"
                    "1cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                    64),  // a NUL
    };
    for (const std::string& text : refused) {
        EXPECT_EQ(ReadSha256Hex(text), std::nullopt) << text;
    }
}

}  // namespace
}  // namespace trelvo
