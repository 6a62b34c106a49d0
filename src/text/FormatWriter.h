// The format engine's writer: runs one directive string against one argument list and
// appends the result to a wide GString. Each writer reserves its whole field (padding
// included) with one EnsureFree and then writes in place; the target is terminated once, at
// the end of the call. The number writers compose their field in the target's scratch string
// first.
#pragma once

#include <stdint.h>

#include "FormatArgs.h"
#include "FormatDirective.h"
#include "GString.h"

struct NumberBody;

class CFormatWriter
{
public:
    CFormatWriter(GString& target, CFormatArgs& args);
    ~CFormatWriter();

    // 1 when the whole directive string was processed; 0 when a writer failed (the text
    // appended before the failure stays).
    int Run(const WChar* directives);

private:
    int RunFrom(const WChar* directives);
    CFormatWriter(const CFormatWriter&) = delete;
    CFormatWriter& operator=(const CFormatWriter&) = delete;

    int WriteDirective(const FormatDirective& d);

    // Makes room for `count` more units. The block the target had when the call started is
    // never moved or freed during the call: the arguments were taken before the call and may
    // point into it, so the first growth moves the text to a new block and keeps the old one
    // until the writer ends.
    int Room(int64_t count);
    // Grows the target by `count` units (count > 0) and returns where they go; null when the
    // room cannot be made.
    WChar* Claim(int64_t count);
    // Takes the target's end and free room again after the target changed by other means.
    void Sync();
    int AppendUnits(const WChar* text, int64_t count);
    // Copies literal text from p (its first unit whatever it is) up to a "%" or the end;
    // returns where it stopped, null when the room cannot be made.
    const WChar* CopyLiteral(const WChar* p);
    // Whether `bytes` bytes at `p` (at least one) overlap the target's current block.
    bool InTargetBlock(const void* p, int64_t bytes) const;
    // Bytes that may be read at `p` when it points into the target's block as the call found
    // it: up to the end of the text of that moment, which the call never changes. -1 when `p`
    // points elsewhere.
    int64_t StartTextBound(const void* p) const;

    int WriteInteger(const FormatDirective& d);
    int WriteCharacter(const FormatDirective& d);
    int WriteText(const FormatDirective& d);
    int WriteWideText(const FormatDirective& d, const uint8_t* text, int64_t maxBytes);
    int WriteUtf8Text(const FormatDirective& d, const uint8_t* text, int64_t maxBytes);
    int WriteNull(const FormatDirective& d);
    int WriteByteDump(const FormatDirective& d);
    int WriteCount();

    // Number writers (NumberWriters*.cpp): the field is composed as UTF-8 in the scratch
    // string and appended from there.
    int WriteFloat(const FormatDirective& d);
    int WriteEngineering(const FormatDirective& d);
    int WriteSize(const FormatDirective& d);
    int WriteAddress(const FormatDirective& d);
    int AppendField(unsigned flags, int width, const NumberBody& body, bool zerosAllowed);
    int AppendNonFinite(unsigned flags, int width, double x);

    GString& m_target;
    CFormatArgs& m_args;
    int m_startLength;
    uintptr_t m_startBlock;      // the block at the start of the call, 0 when there was none
    uintptr_t m_startBlockEnd;
    uintptr_t m_startTextEnd;    // where the text ended at the start of the call
    bool m_moved;                // the text has left the starting block
    void* m_keptBlock;           // the starting block once the text has left it
    WChar* m_end;                // where the next unit goes (null without a block)
    int64_t m_free;              // free room behind m_end
};

// Where a field's padding goes: spaces in front, zeros after any sign and prefix, spaces
// behind. Right-hand padding is always spaces.
struct FieldLayout {
    int64_t spaces;
    int64_t zeros;
    int64_t trailing;
};

inline FieldLayout LayoutField(unsigned flags, int width, int64_t length, bool zerosAllowed)
{
    FieldLayout layout = {0, 0, 0};
    int64_t pad = (int64_t)width - length;
    if (pad <= 0)
        return layout;
    if (flags & kFmtLeft)
        layout.trailing = pad;
    else if ((flags & kFmtZero) && zerosAllowed)
        layout.zeros = pad;
    else
        layout.spaces = pad;
    return layout;
}

inline WChar* FillUnits(WChar* out, WChar c, int64_t count)
{
    for (int64_t i = 0; i < count; ++i)
        *out++ = c;
    return out;
}

extern const char kLowerHexDigits[17];
extern const char kUpperHexDigits[17];
