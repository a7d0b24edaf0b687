// SIGINT and SIGTERM: the default action (the process ends) until they are
// caught, even with the audio layer started; once caught, the first of a kind
// is only noted, a second one ends the process. Each case runs in a child.

#include "platform/FmodEx.h"
#include "platform/Signals.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <ostream>
#include <string>

namespace {

struct Kind {
    const char* name;
    int number;
};

void PrintTo(const Kind& kind, std::ostream* out)
{
    *out << kind.name;
}

const Kind kKinds[] = {{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}};

class QuitSignalsDeathTest : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_P(QuitSignalsDeathTest, TheAudioLayerLeavesTheDefaultAction)
{
    const int number = GetParam().number;
    EXPECT_EXIT(
        {
            FMOD_SYSTEM* system = nullptr;
            if (FMOD_System_Create(&system) != FMOD_OK || FMOD_System_Init(system, 8, 0, nullptr) != FMOD_OK)
                _exit(3);
            std::fprintf(stderr, "audio started\n");
            raise(number);
            _exit(0);
        },
        ::testing::KilledBySignal(number), "audio started");
}

TEST_P(QuitSignalsDeathTest, OnceCaughtTheFirstIsNotedAndASecondEndsTheProcess)
{
    const int number = GetParam().number;
    EXPECT_EXIT(
        {
            signals::catchQuitSignals();
            if (signals::quitRequested())
                _exit(3);
            raise(number);
            if (!signals::quitRequested())
                _exit(4);
            std::fprintf(stderr, "noted\n");
            raise(number);
            _exit(0);
        },
        ::testing::KilledBySignal(number), "noted");
}

INSTANTIATE_TEST_SUITE_P(Kinds, QuitSignalsDeathTest, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

}
