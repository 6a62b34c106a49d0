// Decimal digits of a finite double, for the number writers.
//
// The value is first taken to 17 significant decimal digits: the nearest 17-digit decimal, an
// exact tie going to the even digit. Fewer digits are then obtained by rounding that 17-digit
// string half up (a first dropped digit of 5 or more rounds up), and more digits continue it
// with zeros. So 0.125 gives 13 with two places, and 0.1 with twenty places gives
// 0.10000000000000001000.
#pragma once

// The digit buffer: a fixed conversion that needs more digits fails.
const int kDecimalDigitLimit = 350;

struct DecimalDigits {
    char digits[kDecimalDigitLimit + 1];   // ASCII digits, terminated
    int count;                             // digits in `digits`
    int decpt;     // digits before the decimal point: 0 or negative below 1, and 1 for zero
    int negative;  // the value is below zero (-0.0 is not)
};

// The first `count` significant digits (1 to kDecimalDigitLimit) of a finite x. A carry
// keeps the count and raises decpt (9.96 to two digits gives 10, decpt 2). Zero gives `count`
// zeros with decpt 1.
void SignificantDigits(double x, int count, DecimalDigits& out);

// The digits of a finite x rounded to `places` (0 to 308) places after the point: decpt +
// places digits, none when the value rounds to zero before its first digit. Returns 0 when
// the integer digits and the places together exceed kDecimalDigitLimit.
int FixedDigits(double x, int places, DecimalDigits& out);

// The 17 significant digits of a finite, non-zero x (its sign ignored) and their decpt.
void NearestDigits17(double x, char digits[17], int& decpt);
