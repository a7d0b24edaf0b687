#pragma once
// The timeline's units, shared by the engine, the production and the tools:
// 20 rows a second, so a row is 50 ms, and a show of at most 99 minutes.

namespace VLMPulsvek {

constexpr int ROWS_PER_SECOND = 20;
constexpr int MS_PER_ROW = 1000 / ROWS_PER_SECOND;

// The longest show, the end time a production gets unless it sets its own.
constexpr int SHOW_MINUTES = 99;
// The row of that end: a run up to it lasts for the whole show.
constexpr unsigned SHOW_END_ROW = SHOW_MINUTES * 60u * ROWS_PER_SECOND;

}
