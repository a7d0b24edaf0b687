#include "util/StringUtil.h"

#include "util/StringTokenizer.h"

#include <sstream>

namespace StringUtil {

int toInt(const std::string& text)
{
    // On overflow the extraction stores the nearest limit; on no number, 0.
    std::istringstream in(text);
    int value = 0;
    in >> value;
    return value;
}

float toFloat(const std::string& text)
{
    std::istringstream in(text);
    float value = 0.0f;
    in >> value;
    return value;
}

std::string toString(int value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string toString(unsigned int value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string toString(float value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

bool isWhitespace(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

std::string trim(std::string text)
{
    std::string::size_type begin = 0;
    while (begin < text.size() && isWhitespace(text[begin]))
        ++begin;
    std::string::size_type end = text.size();
    while (end > begin && isWhitespace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string toLower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string toUpper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool isInteger(std::string text)
{
    std::string::size_type start = (!text.empty() && text[0] == '-') ? 1 : 0;
    if (start >= text.size())
        return false;
    for (std::string::size_type i = start; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

bool isFloat(std::string text)
{
    if (text.empty())
        return false;
    if (text[0] == '-')
        text.erase(0, 1);
    StringTokenizer pieces(text, ".");
    if (pieces.countTokens() != 2)
        return false;
    return isInteger(pieces.nextToken()) && isInteger(pieces.nextToken());
}

bool isBoolean(const std::string& text)
{
    return text == "true" || text == "false";
}

}
