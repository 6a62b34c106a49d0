// GString: the program's one string type. It holds UTF-16 text (wide mode) or UTF-8 text
// (narrow mode), converts between them on demand and grows in 64-byte blocks.
//
//   block:  [4-byte header slot][start offset chars][text: length chars][0][spare ...]
//
// Lengths are in characters of the string's own form: UTF-16 units when wide, bytes when
// narrow. A negative length argument means "up to the terminator"; a null text is empty.
// Results are 1/0, -1 for "not found", or null.
#pragma once

#include <stdarg.h>
#include <stdint.h>

#include "WideChar.h"

class GString
{
public:
    GString();
    GString(WChar fill, int count);
    virtual ~GString();

    int IsWide() const { return m_wide; }
    int GetLength() const { return m_length; }

    void Reset(bool wide);
    int Reserve(int n);
    int EnsureFree(int n);
    void* Terminate();
    int SetLength(int n);
    int DropFront(int n);
    const WChar* WideAt(int pos) const;
    const char* NarrowAt(int pos) const;
    const WChar* GetWide();
    const char* GetNarrow();
    WChar* GetWideBuffer(int room);

    int Assign(const GString& other);
    int AssignWide(const WChar* text, int len = -1);
    int AssignUtf8(const char* bytes, int len = -1);
    int AssignCounted(const void* record);
    int AssignAsWide(const GString* other);
    int AssignAsNarrow(const GString* other);

    int AppendW(const WChar* text, int len = -1);
    int AppendA(const char* bytes, int len = -1);
    int Append(const WChar* text, int len = -1);
    int AppendUtf8(const char* bytes, int len = -1);
    int Append(const GString& other);
    int AppendChar(WChar ch, int count = 1);
    int AppendByte(char b, int count = 1);
    int AppendLineBreak();
    int EnsureSuffix(const WChar* s, int len = -1);
    int EnsureSuffixUtf8(const char* s, int len = -1);
    int AppendPath(const WChar* part, int len = -1);
    int AppendPathUtf8(const char* part, int len = -1);

    int Find(const WChar* needle, int from = 0, int needleLen = -1);
    int FindUtf8(const char* needle, int from = 0, int needleLen = -1);
    int ReverseFind(WChar ch, int lowest = 0);
    int Compare(const WChar* s, int len = -1);
    int CompareUtf8(const char* s, int len = -1);
    int MakeUpper();

    // Sends the text to the debugger, cut into lines of 80 characters.
    void DebugOutput(int maxChars);
    // The same cutting with the lines handed to `sink` instead of the debugger.
    typedef void (*LineSink)(const WChar* line, int length, void* context);
    void DebugLines(int maxChars, LineSink sink, void* context);

    // Format engine: resets `out` to wide and empty, then appends the formatted text.
    static int Format(GString& out, const WChar* directives, ...);
    int AppendFormatV(const WChar* directives, va_list args);

    // The companion string for intermediate text: created on first need, emptied here.
    GString* PrepareScratch();

    // UTF-16 upper-case mapping of one unit, as MakeUpper applies it.
    static WChar UpperUnit(WChar u);

private:
    GString(const GString&) = delete;
    GString& operator=(const GString&) = delete;

    friend class CFormatWriter;

    int CharSize() const { return m_wide ? 2 : 1; }
    uint8_t* TextBytes() const;
    int Capacity() const;
    int FreeRoom() const { return Capacity() - m_length; }
    void Compact();
    void WriteTerminatorAt(int pos);
    void SwapStorage(GString& other);
    int AppendUtf16AsUtf8(const WChar* text, int len);
    int AppendUtf8AsUtf16(const char* bytes, int len);
    int TailEquals(const void* s, int len) const;

    uint8_t* m_block;
    int32_t m_length;
    int32_t m_start;
    int32_t m_blockSize;
    int32_t m_wide;
    GString* m_scratch;
};
