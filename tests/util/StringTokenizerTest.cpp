#include "util/StringTokenizer.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

std::vector<std::string> drain(StringTokenizer& tokenizer)
{
    std::vector<std::string> out;
    while (tokenizer.hasMoreTokens())
        out.push_back(tokenizer.nextToken());
    return out;
}

TEST(StringTokenizerTest, Splitting)
{
    struct Case {
        const char* text;
        const char* delimiters;
        bool returnDelimiters;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"", " ", false, {}},
        {"   ", " ", false, {}},
        {"#version 150", " ", false, {"#version", "150"}},
        {"  a   b  ", " ", false, {"a", "b"}},
        {"00::01", ":", false, {"00", "01"}},
        {"a, ,b", ",", false, {"a", "b"}},
        {"a, b", ",", false, {"a", " b"}},
        {"a,,b", ",", true, {"a", ",", ",", "b"}},
        {",", ",", true, {","}},
        {"a:b;c", ":;", false, {"a", "b", "c"}},
        {"x=1 ; y", ";=", true, {"x", "=", "1 ", ";", " y"}},
        {"no delimiter here", "", false, {"no delimiter here"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text '") + c.text + "' at '" + c.delimiters + "'");
        StringTokenizer tokenizer(c.text, c.delimiters, c.returnDelimiters);
        EXPECT_EQ(tokenizer.countTokens(), static_cast<int>(c.tokens.size()));
        EXPECT_EQ(tokenizer.hasMoreTokens(), !c.tokens.empty());
        EXPECT_EQ(drain(tokenizer), c.tokens);
        EXPECT_EQ(tokenizer.nextToken(), "");
        EXPECT_EQ(tokenizer.countTokens(), static_cast<int>(c.tokens.size()));
    }
}

TEST(StringTokenizerTest, DefaultDelimiterIsSpaceAndTwoArgumentFormDropsDelimiters)
{
    StringTokenizer bySpace("#version 150");
    EXPECT_EQ(drain(bySpace), (std::vector<std::string>{"#version", "150"}));

    StringTokenizer twoArgs("1:2", ":");
    EXPECT_EQ(drain(twoArgs), (std::vector<std::string>{"1", "2"}));
}

TEST(StringTokenizerTest, CursorNextCurrentSkipReset)
{
    StringTokenizer t("a b c");
    EXPECT_EQ(t.currentToken(), "");  // nothing handed out yet
    EXPECT_EQ(t.nextToken(), "a");
    EXPECT_EQ(t.currentToken(), "a");
    t.skip(1);
    EXPECT_TRUE(t.hasMoreTokens());
    EXPECT_EQ(t.currentToken(), "b");
    EXPECT_EQ(t.nextToken(), "c");
    EXPECT_FALSE(t.hasMoreTokens());
    EXPECT_EQ(t.nextToken(), "");
    EXPECT_EQ(t.currentToken(), "c");

    t.reset();
    EXPECT_TRUE(t.hasMoreTokens());
    EXPECT_EQ(t.currentToken(), "");
    EXPECT_EQ(t.nextToken(), "a");

    t.skip(5);  // past the end: the cursor names no token
    EXPECT_FALSE(t.hasMoreTokens());
    EXPECT_EQ(t.currentToken(), "");
    EXPECT_EQ(t.nextToken(), "");
    t.skip(-10);  // skip never sets hasMore again
    EXPECT_FALSE(t.hasMoreTokens());
    EXPECT_EQ(t.nextToken(), "");
    t.reset();
    EXPECT_EQ(drain(t), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(StringTokenizerTest, SkipToTheEndAndExtremeSkipsStaySafe)
{
    StringTokenizer t("a b");
    t.skip(2);
    EXPECT_FALSE(t.hasMoreTokens());
    EXPECT_EQ(t.currentToken(), "b");

    StringTokenizer back("a b");
    back.skip(INT_MIN);
    EXPECT_TRUE(back.hasMoreTokens());
    EXPECT_EQ(back.currentToken(), "");
    EXPECT_EQ(back.nextToken(), "a");
    back.skip(INT_MAX);
    EXPECT_FALSE(back.hasMoreTokens());
    EXPECT_EQ(back.currentToken(), "");

    StringTokenizer empty("");
    empty.skip(3);
    EXPECT_EQ(empty.currentToken(), "");
    empty.reset();
    EXPECT_FALSE(empty.hasMoreTokens());
    EXPECT_EQ(empty.nextToken(), "");
}

}
