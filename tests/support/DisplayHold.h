#pragma once
// Keeps one connection to the X server open. A virtual X server resets when
// its last client disconnects, and connections made during the reset fail:
// test binaries that open and close windows one after another (or run
// programs that do) register the environment below so that the server stays
// up from their first test to their last.

#include <gtest/gtest.h>

struct _XDisplay;

namespace testsupport {

class DisplayHold : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

private:
    _XDisplay* display = nullptr;
};

}
