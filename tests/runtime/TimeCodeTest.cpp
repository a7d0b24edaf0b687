#include "engine/runtime/TimeCode.h"

#include <gtest/gtest.h>

namespace {

struct Parts {
    int minutes;
    int seconds;
    int milliseconds;
    unsigned int total;
};

void expectParts(const TimeCode& tc, const Parts& p)
{
    EXPECT_EQ(tc.getMinutes(), p.minutes);
    EXPECT_EQ(tc.getSeconds(), p.seconds);
    EXPECT_EQ(tc.getMilliseconds(), p.milliseconds);
    EXPECT_EQ(tc.getTotalMs(), p.total);
}

TEST(TimeCodeTest, ParseAndPrint)
{
    struct Case {
        const char* text;
        bool valid;
        Parts parts;
        const char* printed;
    };
    const Case cases[] = {
        {"00:00:00", true, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        {"99:00:00", true, {99, 0, 0, 5940000}, "(0005940000)-[99:00:000]"},
        {"01:02:03", true, {1, 2, 3, 62003}, "(0000062003)-[01:02:003]"},
        {"00:75:00", true, {0, 75, 0, 75000}, "(0000075000)-[00:75:000]"},
        {"00:00:1500", true, {0, 0, 1500, 1500}, "(0000001500)-[00:00:1500]"},
        {"123:4:5", true, {123, 4, 5, 7384005}, "(0007384005)-[123:04:005]"},
        {"00::01:02", true, {0, 1, 2, 1002}, "(0000001002)-[00:01:002]"},
        {"35791:23:647", true, {35791, 23, 647, 2147483647u}, "(2147483647)-[35791:23:647]"},
        {"1:2", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        {"1:2:3:4", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        {"", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        {"a:00:00", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        {"00:x:00", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        {"00:00:1.5", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        {" 1:00:00", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        // Negative parts would wrap the unsigned total.
        {"-1:00:00", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        {"00:-5:00", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        {"00:00:-1", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        // Totals beyond the int range, including parts that saturate on reading.
        {"35791:23:648", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
        {"99999999999:00:00", false, {0, 0, 0, 0}, "(0000000000)-[00:00:000]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text '") + c.text + "'");
        TimeCode tc(7, 8, 9);  // old values must not survive a parse
        tc.parse(c.text);
        EXPECT_EQ(tc.isValid(), c.valid);
        expectParts(tc, c.parts);
        EXPECT_EQ(tc.computeTotal(), static_cast<int>(c.parts.total));
        EXPECT_EQ(tc.toString(), c.printed);
    }
}

TEST(TimeCodeTest, ValidParseAfterFailedOneIsValidAgain)
{
    TimeCode tc;
    tc.parse("bad");
    EXPECT_FALSE(tc.isValid());
    tc.setMs(1000);  // setters leave the flag alone
    EXPECT_FALSE(tc.isValid());
    tc.clear();
    EXPECT_FALSE(tc.isValid());
    tc.parse("00:01:00");
    EXPECT_TRUE(tc.isValid());
    expectParts(tc, {0, 1, 0, 1000});
}

TEST(TimeCodeTest, SetMsSplitsTheTotal)
{
    struct Case {
        unsigned int t;
        Parts parts;
    };
    const Case cases[] = {
        {0, {0, 0, 0, 0}},
        {999, {0, 0, 999, 999}},
        {59999, {0, 59, 999, 59999}},
        {60000, {1, 0, 0, 60000}},
        {83456, {1, 23, 456, 83456}},
        {5940000, {99, 0, 0, 5940000}},
        {4294967295u, {71582, 47, 295, 4294967295u}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        TimeCode tc(5, 5, 5);
        tc.setMs(c.t);
        expectParts(tc, c.parts);
        EXPECT_TRUE(tc.isValid());
        EXPECT_EQ(tc.getTotalMsAsFloat(), static_cast<double>(c.t));
    }

    TimeCode fromInt;
    fromInt.setMs(83456);
    EXPECT_EQ(fromInt.toString(), "(0000083456)-[01:23:456]");
}

TEST(TimeCodeTest, SettersCarryAndKeepTheTotal)
{
    TimeCode a(0, 59, 0);
    a.setMilliseconds(2500);  // carry stops at the seconds
    expectParts(a, {0, 61, 500, 61500});

    TimeCode b(1, 0, 250);
    b.setSeconds(150);
    expectParts(b, {3, 30, 250, 210250});

    TimeCode c(0, 10, 20);
    c.setMinutes(2);
    expectParts(c, {2, 10, 20, 130020});

    TimeCode d(0, 0, 0);
    d.setSeconds(59);
    d.setMilliseconds(999);
    expectParts(d, {0, 59, 999, 59999});

    TimeCode e(99, 0, 0);
    EXPECT_EQ(e.getTotalMs(), 5940000u);
    e.clear();
    expectParts(e, {0, 0, 0, 0});
    EXPECT_TRUE(e.isValid());
}

TEST(TimeCodeTest, DefaultAndHelpers)
{
    TimeCode tc;
    expectParts(tc, {0, 0, 0, 0});
    EXPECT_TRUE(tc.isValid());

    EXPECT_EQ(TimeCode::padZeros("7", 3), "007");
    EXPECT_EQ(TimeCode::padZeros("", 2), "00");
    EXPECT_EQ(TimeCode::padZeros("12345", 2), "12345");
    EXPECT_EQ(TimeCode::padZeros("-1", 2), "-1");
    EXPECT_EQ(TimeCode::zeroText(), "00:00:000");
}

}
