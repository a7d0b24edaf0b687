#pragma once
// Text conversions and tests used all over the engine. Failed conversions give a
// neutral value (0), failed tests give false; nothing reports errors.

#include <string>

namespace StringUtil {

int toInt(const std::string& text);
float toFloat(const std::string& text);

std::string toString(int value);
std::string toString(unsigned int value);
std::string toString(float value);

// Tab, line feed, carriage return and space only.
bool isWhitespace(char c);
std::string trim(std::string text);
std::string toLower(std::string text);
std::string toUpper(std::string text);

// An optional "-" followed by one or more digits, nothing else.
bool isInteger(std::string text);
// An optional "-", then two pieces separated by "." that are both integers.
bool isFloat(std::string text);
// Exactly "true" or "false".
bool isBoolean(const std::string& text);

}
