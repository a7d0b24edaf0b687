#pragma once
// A point in the show: minutes, seconds and milliseconds plus the total in ms.
// Text form for parsing is "minutes:seconds:milliseconds".

#include <string>

class TimeCode {
public:
    TimeCode();
    TimeCode(int minutes, int seconds, int milliseconds);
    ~TimeCode();

    void setMs(unsigned int t);
    void setMs(int t);

    int getMinutes() const;
    int getSeconds() const;
    int getMilliseconds() const;
    unsigned int getTotalMs() const;
    double getTotalMsAsFloat() const;
    bool isValid() const;

    int computeTotal() const;

    void setMinutes(int n);
    // Carries whole minutes out of the seconds.
    void setSeconds(int n);
    // Carries whole seconds out of the milliseconds (seconds may then exceed 59).
    void setMilliseconds(int n);
    void clear();

    // Either sets all three parts and the total (valid), or leaves all four
    // numbers 0 and marks the time code invalid. Parts are taken as written.
    void parse(const std::string& text);

    // "(" total padded to 10 ")-[" mm ":" ss ":" mmm "]"
    std::string toString() const;

    static std::string padZeros(std::string digits, unsigned width);
    static std::string zeroText();

private:
    int minutes;
    int seconds;
    int milliseconds;
    unsigned int totalMs;
    bool valid;
};
