// Shared pieces of the number writers: the field body they compose before it is padded in
// the scratch string, the sign character and the exponent.
#pragma once

#include "FormatDirective.h"

// The scratch room the floating-point, engineering and size writers reserve before converting:
// more than any of their fields (width at most 512, bodies at most 352 bytes).
const int kNumberScratchBytes = 880;
// Widths above this count as this for e, f, g, a, F, I and U.
const int kMaxNumberWidth = 512;

// A field without its padding, as UTF-8 bytes. All characters are ASCII except the micro
// sign, two bytes that count as one character.
struct NumberBody {
    char text[400];
    int bytes;
    int chars;
    int zerosAt;   // where zero padding goes: after the sign, or after "0x"

    NumberBody() : bytes(0), chars(0), zerosAt(0) {}
    void Put(char c)
    {
        text[bytes++] = c;
        ++chars;
    }
    void Put(const char* s, int n)
    {
        for (int i = 0; i < n; ++i)
            Put(s[i]);
    }
    void PutRepeated(char c, int n)
    {
        for (int i = 0; i < n; ++i)
            Put(c);
    }
    // The sign of a number: "-" when negative, else "+" with plus, else a blank with space.
    void PutSign(bool negative, unsigned flags)
    {
        if (negative)
            Put('-');
        else if (flags & kFmtPlus)
            Put('+');
        else if (flags & kFmtSpace)
            Put(' ');
        zerosAt = bytes;
    }
    // The exponent letter, "+" or "-", and at least two digits (three from 100 on).
    void PutExponent(char letter, int exponent)
    {
        Put(letter);
        Put(exponent < 0 ? '-' : '+');
        unsigned v = exponent < 0 ? 0u - (unsigned)exponent : (unsigned)exponent;
        if (v >= 100)
            Put((char)('0' + v / 100));
        Put((char)('0' + v / 10 % 10));
        Put((char)('0' + v % 10));
    }
};

inline int NumberWidth(int width)
{
    return width > kMaxNumberWidth ? kMaxNumberWidth : width;
}
