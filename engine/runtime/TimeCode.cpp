#include "engine/runtime/TimeCode.h"

#include "util/StringTokenizer.h"
#include "util/StringUtil.h"

#include <climits>

namespace {

// Unsigned arithmetic: out-of-range parts wrap instead of overflowing an int.
unsigned int totalOf(int minutes, int seconds, int milliseconds)
{
    return static_cast<unsigned int>(minutes) * 60000u + static_cast<unsigned int>(seconds) * 1000u +
           static_cast<unsigned int>(milliseconds);
}

// A parsed part: an integer that is not negative. Its value is in *value.
bool readPart(const std::string& token, int* value)
{
    if (!StringUtil::isInteger(token))
        return false;
    *value = StringUtil::toInt(token);
    return *value >= 0;
}

}

TimeCode::TimeCode() : minutes(0), seconds(0), milliseconds(0), totalMs(0), valid(true) {}

TimeCode::TimeCode(int minutes, int seconds, int milliseconds)
    : minutes(minutes),
      seconds(seconds),
      milliseconds(milliseconds),
      totalMs(totalOf(minutes, seconds, milliseconds)),
      valid(true)
{
}

TimeCode::~TimeCode() = default;

void TimeCode::setMs(unsigned int t)
{
    totalMs = t;
    unsigned int m = t / 60000u;
    unsigned int s = (t % 60000u) / 1000u;
    unsigned int ms = (t % 60000u) - s * 1000u;
    minutes = static_cast<int>(m);
    seconds = static_cast<int>(s);
    milliseconds = static_cast<int>(ms);
}

void TimeCode::setMs(int t)
{
    setMs(static_cast<unsigned int>(t));
}

int TimeCode::getMinutes() const { return minutes; }
int TimeCode::getSeconds() const { return seconds; }
int TimeCode::getMilliseconds() const { return milliseconds; }
unsigned int TimeCode::getTotalMs() const { return totalMs; }
double TimeCode::getTotalMsAsFloat() const { return static_cast<double>(totalMs); }
bool TimeCode::isValid() const { return valid; }

int TimeCode::computeTotal() const
{
    return static_cast<int>(totalOf(minutes, seconds, milliseconds));
}

void TimeCode::setMinutes(int n)
{
    minutes = n;
    totalMs = totalOf(minutes, seconds, milliseconds);
}

void TimeCode::setSeconds(int n)
{
    seconds = n;
    if (seconds >= 60) {
        minutes += seconds / 60;
        seconds %= 60;
    }
    totalMs = totalOf(minutes, seconds, milliseconds);
}

void TimeCode::setMilliseconds(int n)
{
    milliseconds = n;
    if (milliseconds >= 1000) {
        seconds += milliseconds / 1000;
        milliseconds %= 1000;
    }
    totalMs = totalOf(minutes, seconds, milliseconds);
}

void TimeCode::clear()
{
    minutes = 0;
    seconds = 0;
    milliseconds = 0;
    totalMs = 0;
}

void TimeCode::parse(const std::string& text)
{
    valid = true;
    StringTokenizer fields(text, ":");
    if (fields.countTokens() != 3) {
        clear();
        valid = false;
        return;
    }

    int m = 0, s = 0, ms = 0;
    bool ok = readPart(fields.nextToken(), &m);
    ok = readPart(fields.nextToken(), &s) && ok;
    ok = readPart(fields.nextToken(), &ms) && ok;
    // Negative parts or a total beyond the int range would wrap the unsigned total.
    if (!ok || static_cast<long long>(m) * 60000 + static_cast<long long>(s) * 1000 + ms > INT_MAX) {
        clear();
        valid = false;
        return;
    }
    minutes = m;
    seconds = s;
    milliseconds = ms;
    totalMs = static_cast<unsigned int>(computeTotal());
}

std::string TimeCode::toString() const
{
    return "(" + padZeros(StringUtil::toString(totalMs), 10) + ")-" + "[" +
           padZeros(StringUtil::toString(minutes), 2) + ":" + padZeros(StringUtil::toString(seconds), 2) +
           ":" + padZeros(StringUtil::toString(milliseconds), 3) + "]";
}

std::string TimeCode::padZeros(std::string digits, unsigned width)
{
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string TimeCode::zeroText()
{
    return std::string("00") + ":" + "00" + ":" + "000";
}
