#include "util/StringTokenizer.h"

#include "util/StringUtil.h"

#include <algorithm>

StringTokenizer::StringTokenizer(const std::string& text)
    : StringTokenizer(text, " ", false)
{
}

StringTokenizer::StringTokenizer(const std::string& text, const std::string& delimiters)
    : StringTokenizer(text, delimiters, false)
{
}

StringTokenizer::StringTokenizer(const std::string& text, const std::string& delimiters,
                                 bool returnDelimiters)
    : text(text),
      textLength(static_cast<int>(text.size())),
      hasMore(true),
      returnDelimiters(returnDelimiters)
{
    tokenize(delimiters);
}

StringTokenizer::~StringTokenizer() = default;

void StringTokenizer::tokenize(const std::string& delimiterText)
{
    delimiters.assign(delimiterText.begin(), delimiterText.end());

    std::string piece;
    for (char c : text) {
        if (std::find(delimiters.begin(), delimiters.end(), c) != delimiters.end()) {
            if (!StringUtil::trim(piece).empty())
                tokens.push_back(piece);
            if (returnDelimiters)
                tokens.push_back(std::string(1, c));
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!StringUtil::trim(piece).empty())
        tokens.push_back(piece);

    count = static_cast<int>(tokens.size());
    index = 0;
    if (count == 0)
        hasMore = false;
}

std::string StringTokenizer::nextToken()
{
    if (!hasMore)
        return "";
    ++index;
    if (index >= count)
        hasMore = false;
    return currentToken();
}

std::string StringTokenizer::currentToken()
{
    int position = index - 1;
    if (position < 0 || position >= count)
        return "";
    return tokens[position];
}

void StringTokenizer::skip(int n)
{
    // Keep the cursor between the first token and one past the end, so that it
    // can neither go negative nor overflow.
    long long moved = static_cast<long long>(index) + n;
    moved = std::max(0LL, std::min(moved, static_cast<long long>(count) + 1));
    index = static_cast<int>(moved);
    if (index >= count)
        hasMore = false;
}

void StringTokenizer::reset()
{
    index = 0;
    hasMore = count > 0;
}

bool StringTokenizer::hasMoreTokens()
{
    return hasMore;
}

int StringTokenizer::countTokens()
{
    return count;
}
