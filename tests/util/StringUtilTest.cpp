#include "util/StringUtil.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(StringUtilTest, TextToNumber)
{
    struct Case {
        const char* text;
        int asInt;
        float asFloat;
    };
    const Case cases[] = {
        {"", 0, 0.0f},
        {"abc", 0, 0.0f},
        {" 42", 42, 42.0f},
        {"\t\n-17", -17, -17.0f},
        {"12abc", 12, 12.0f},
        {"7.9", 7, 7.9f},
        {"1.5", 1, 1.5f},
        {"-2", -2, -2.0f},
        {"3e2", 3, 300.0f},
        {"+8", 8, 8.0f},
        {"-", 0, 0.0f},
        {"99999999999", INT_MAX, 99999999999.0f},
        {"-99999999999", INT_MIN, -99999999999.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text '") + c.text + "'");
        EXPECT_EQ(StringUtil::toInt(c.text), c.asInt);
        EXPECT_FLOAT_EQ(StringUtil::toFloat(c.text), c.asFloat);
    }
}

TEST(StringUtilTest, NumberToText)
{
    EXPECT_EQ(StringUtil::toString(0), "0");
    EXPECT_EQ(StringUtil::toString(-3), "-3");
    EXPECT_EQ(StringUtil::toString(INT_MIN), "-2147483648");
    EXPECT_EQ(StringUtil::toString(4294967295u), "4294967295");

    struct Case {
        float value;
        const char* text;
    };
    const Case floats[] = {
        {0.1f, "0.1"},       {0.0001f, "0.0001"}, {100.0f, "100"},           {1e-05f, "1e-05"},
        {1234567.0f, "1.23457e+06"}, {-2.5f, "-2.5"}, {123456.0f, "123456"}, {0.0f, "0"},
    };
    for (const Case& c : floats)
        EXPECT_EQ(StringUtil::toString(c.value), c.text) << "value " << c.value;
}

TEST(StringUtilTest, TrimAndWhitespace)
{
    for (char c : {'\t', '\n', '\r', ' '})
        EXPECT_TRUE(StringUtil::isWhitespace(c)) << int(c);
    for (char c : {'\v', '\f', 'x', '\0'})
        EXPECT_FALSE(StringUtil::isWhitespace(c)) << int(c);

    struct Case {
        const char* text;
        const char* trimmed;
    };
    const Case cases[] = {
        {"\t x\r\n", "x"},
        {"   ", ""},
        {"", ""},
        {" a b ", "a b"},
        {"\vx\f", "\vx\f"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StringUtil::trim(c.text), c.trimmed) << "text '" << c.text << "'";

    std::string original = "  keep  ";
    StringUtil::trim(original);
    EXPECT_EQ(original, "  keep  ");
}

TEST(StringUtilTest, CaseConversionTouchesAsciiLettersOnly)
{
    EXPECT_EQ(StringUtil::toLower("Abc-Z9"), "abc-z9");
    EXPECT_EQ(StringUtil::toUpper("abz{"), "ABZ{");
    EXPECT_EQ(StringUtil::toLower("@[`"), "@[`");
    EXPECT_EQ(StringUtil::toUpper("`{@"), "`{@");
    EXPECT_EQ(StringUtil::toLower("\xC4"), "\xC4");
}

TEST(StringUtilTest, TextTests)
{
    struct Case {
        const char* text;
        bool integer;
        bool decimal;
        bool boolean;
    };
    const Case cases[] = {
        {"", false, false, false},
        {"-", false, false, false},
        {"5", true, false, false},
        {"-007", true, false, false},
        {"+5", false, false, false},
        {" 5", false, false, false},
        {"5 ", false, false, false},
        {"1a", false, false, false},
        {"1.5", false, true, false},
        {"-1.5", false, true, false},
        {"1.", false, false, false},
        {".5", false, false, false},
        {"1.2.3", false, false, false},
        {"1.x", false, false, false},
        {"1..5", false, true, false},
        {"--1.5", false, true, false},
        {" 1.5", false, false, false},
        {"1e5", false, false, false},
        {"true", false, false, true},
        {"false", false, false, true},
        {"True", false, false, false},
        {"true ", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text '") + c.text + "'");
        EXPECT_EQ(StringUtil::isInteger(c.text), c.integer);
        EXPECT_EQ(StringUtil::isFloat(c.text), c.decimal);
        EXPECT_EQ(StringUtil::isBoolean(c.text), c.boolean);
    }
}

}
