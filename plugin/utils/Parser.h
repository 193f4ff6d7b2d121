#pragma once

#include <cstddef>
#include <string>

// Forward-only reader of numbers and tokens over a character buffer it does not own.
// Every operation reads at the current position and never past the length, so the buffer
// needs no terminator. Failures are reported through the boolean results only.
class Parser
{
public:
    Parser(const char* text, size_t textsize);

    // Optional sign, then one or more decimal digits. False without digits (the output is 0
    // and a read sign stays consumed) or when the value does not fit in a signed 32-bit int.
    bool parseInt(int& result_out);

    // Optional sign, digits, optional point and fraction digits, optional exponent
    // (e, E, d or D, optional sign, digits). True when at least one mantissa digit was read.
    bool parseDouble(double& result_out);
    bool parseFloat(float& result_out);

    // Moves past s when the text at the position starts with it.
    bool parseString(const std::string& s);

    // Maximal run of ASCII letters.
    bool parseAlphaToken(std::string& token_out);

    // Maximal run of characters other than space, tab, line feed and carriage return.
    bool parseNonWSToken(std::string& token_out);

    // True when an optional sign, digits and then a point follow (no move).
    bool fractionalNumberNext() const;

    // Skips space, tab, line feed and carriage return.
    void parseWhiteSpace();

    static bool isWhitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    bool eof() const { return currentpos >= textsize; }
    bool notEOF() const { return currentpos < textsize; }
    char current() const { return text[currentpos]; }
    size_t getCurrentPos() const { return currentpos; }
    size_t getTextSize() const { return textsize; }

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isExponentMarker(char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }

    // Consumes a '+' or '-' if one is next; returns true for '-'.
    bool parseSign();

    const char* text;
    size_t currentpos;
    size_t textsize;
};
