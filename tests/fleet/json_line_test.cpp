#include "fleet/json_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace trelvo {
namespace {

// Scripts parse these lines; every number reads as it always has: whole
// seconds and byte counts without ".0", others in their shortest exact form.
TEST(JsonLine, NumbersInTheirShortestExactForm) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {3.0, "3"},
        {600.0, "600"},
        {5242880.0, "5242880"},
        {5.046, "5.046"},
        {1.8, "1.8"},
        {-7.25, "-7.25"},
        {0.001, "0.001"},
        {0.0001, "1e-04"},
        {0.00001, "1e-05"},
        {2.5e-05, "2.5e-05"},
        {123456.789, "123456.789"},
        {12345678.9, "12345678.9"},
        {1e15, "1000000000000000"},
        {9007199254740992.0, "9007199254740992"},
        {9007199254740994.0, "9007199254740994"},
        {1e16, "1e+16"},
        {1e21, "1e+21"},
        {1e300, "1e+300"},
        {1.5e-300, "1.5e-300"},
        {std::nan(""), "null"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JsonLine({{"n", c.value}}), std::string("{\"n\":") + c.text + "}") << c.text;
    }
    EXPECT_EQ(JsonLine({{"n", 19}}), "{\"n\":19}");
}

TEST(JsonLine, TextsAsUtf8WithEveryControlEscaped) {
    struct Case {
        std::string text;
        const char* json;
    };
    const Case cases[] = {
        {"B\u00fcro \u20ac \U0001F600", "\"B\u00fcro \u20ac \U0001F600\""},
        {"\"\\/\b\f\n\r\t", R"("\"\\/\b\f\n\r\t")"},
        {"\x01\x1f\x7f", R"("\u0001\u001f\u007f")"},
        {"\u0081\u009d\u00a0", "\"\\u0081\\u009d\u00a0\""},
        // Not UTF-8: replaced, never thrown.
        {"a\xff"
         "b\xc3",
         "\"a\ufffdb\ufffd\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JsonLine({{"t", c.text}}), std::string("{\"t\":") + c.json + "}") << c.json;
    }
}

TEST(JsonLine, KeysInOrderNullsAndTruths) {
    EXPECT_EQ(
        JsonLine(
            {{"b", true}, {"a", nullptr}, {"B", false}, {"c", nlohmann::json::array({1, 2.5})}}),
        R"({"B":false,"a":null,"b":true,"c":[1,2.5]})");
}

}  // namespace
}  // namespace trelvo
