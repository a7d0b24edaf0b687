#pragma once
// Splits a text at any of a set of delimiter characters and hands the tokens out
// one by one. Pieces that are empty or only white space are dropped; kept tokens
// keep their own white space.

#include <string>
#include <vector>

class StringTokenizer {
public:
    // Delimiter " ", delimiters not returned.
    explicit StringTokenizer(const std::string& text);
    StringTokenizer(const std::string& text, const std::string& delimiters);
    // With returnDelimiters, every delimiter character met becomes a token of its own.
    StringTokenizer(const std::string& text, const std::string& delimiters, bool returnDelimiters);
    ~StringTokenizer();

    // The next token, or "" once all are handed out.
    std::string nextToken();
    // The token the last nextToken returned; "" when the cursor names no token.
    std::string currentToken();
    void skip(int n);
    void reset();
    bool hasMoreTokens();
    int countTokens();

private:
    void tokenize(const std::string& delimiterText);

    int count = 0;
    int index = 0;
    std::vector<std::string> tokens;
    std::vector<char> delimiters;
    std::string text;
    int textLength = 0;
    bool hasMore = true;
    bool returnDelimiters = false;
};
