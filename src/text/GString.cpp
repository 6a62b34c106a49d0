#include "GString.h"

#include <limits.h>
#include <new>
#include <stdlib.h>
#include <string.h>

#include "Utf8.h"

namespace {

const WChar kEmptyWide[1] = {0};
const char kEmptyNarrow[1] = {0};

const int kHeaderSize = 4;   // slot in front of the text; nothing reads it
const int kBlockUnit = 64;

int NarrowLength(const char* s)
{
    if (!s)
        return 0;
    size_t n = strlen(s);
    return n > (size_t)INT_MAX ? INT_MAX : (int)n;
}

// First index at or after `from` where `needle` (nlen characters of size cs) occurs; -1 if none.
int SearchChars(const uint8_t* hay, int hayLen, const uint8_t* needle, int nlen, int cs, int from)
{
    if (nlen <= 0 || nlen > hayLen - from)
        return -1;
    for (int i = from; i <= hayLen - nlen; ++i) {
        if (memcmp(hay + (size_t)i * cs, needle, (size_t)nlen * cs) == 0)
            return i;
    }
    return -1;
}

uint32_t CharAt(const uint8_t* text, int i, int cs)
{
    if (cs == 1)
        return text[i];
    WChar u;
    memcpy(&u, text + (size_t)i * 2, 2);
    return (uint16_t)u;
}

// Length first, then the first differing character by unsigned value.
int CompareChars(const uint8_t* left, int leftLen, const uint8_t* right, int rightLen, int cs)
{
    if (leftLen == 0 && rightLen == 0)
        return 0;
    if (leftLen == 0)
        return -1;
    if (rightLen == 0)
        return 1;
    if (leftLen != rightLen)
        return leftLen < rightLen ? -1 : 1;
    for (int i = 0; i < leftLen; ++i) {
        uint32_t a = CharAt(left, i, cs);
        uint32_t b = CharAt(right, i, cs);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return 0;
}

} // namespace

GString::GString()
    : m_block(nullptr), m_length(0), m_start(0), m_blockSize(0), m_wide(0), m_scratch(nullptr)
{
}

GString::GString(WChar fill, int count)
    : m_block(nullptr), m_length(0), m_start(0), m_blockSize(0), m_wide(1), m_scratch(nullptr)
{
    AppendChar(fill, count);
}

GString::~GString()
{
    free(m_block);
    delete m_scratch;
}

uint8_t* GString::TextBytes() const
{
    return m_block + kHeaderSize + (size_t)m_start * CharSize();
}

int GString::Capacity() const
{
    if (!m_block)
        return 0;
    int capacity = (m_blockSize - kHeaderSize) / CharSize() - 1 - m_start;
    return capacity < 0 ? 0 : capacity;
}

void GString::WriteTerminatorAt(int pos)
{
    if (!m_block)
        return;
    uint8_t* p = TextBytes() + (size_t)pos * CharSize();
    p[0] = 0;
    if (m_wide)
        p[1] = 0;
}

void GString::Compact()
{
    if (!m_block || m_start == 0)
        return;
    uint8_t* text = TextBytes();
    m_start = 0;
    memmove(m_block + kHeaderSize, text, (size_t)m_length * CharSize());
    WriteTerminatorAt(m_length);
}

void GString::SwapStorage(GString& other)
{
    uint8_t* block = m_block;
    m_block = other.m_block;
    other.m_block = block;
    int32_t v = m_length;
    m_length = other.m_length;
    other.m_length = v;
    v = m_start;
    m_start = other.m_start;
    other.m_start = v;
    v = m_blockSize;
    m_blockSize = other.m_blockSize;
    other.m_blockSize = v;
    v = m_wide;
    m_wide = other.m_wide;
    other.m_wide = v;
}

void GString::Reset(bool wide)
{
    m_wide = wide ? 1 : 0;
    m_length = 0;
    m_start = 0;
    WriteTerminatorAt(0);
}

int GString::Reserve(int n)
{
    if (n < 0)
        return 1;
    if (n <= m_length) {
        Compact();
        return m_block != nullptr;
    }
    int64_t target = n;
    int64_t grown = (int64_t)m_length + m_length / 2;
    if (grown > target)
        target = grown;
    int64_t needed = kHeaderSize + (target + 1) * CharSize();
    if (m_block && m_blockSize >= needed) {
        if (target > Capacity())
            Compact();
        return 1;
    }
    int64_t size = (needed + kBlockUnit - 1) / kBlockUnit * kBlockUnit;
    if (size > INT_MAX)
        return 0;
    uint8_t* block = (uint8_t*)malloc((size_t)size);
    if (!block)
        return 0;
    memset(block, 0, kHeaderSize);
    if (m_block && m_length > 0)
        memcpy(block + kHeaderSize, TextBytes(), (size_t)m_length * CharSize());
    free(m_block);
    m_block = block;
    m_blockSize = (int32_t)size;
    m_start = 0;
    WriteTerminatorAt(m_length);
    return 1;
}

int GString::EnsureFree(int n)
{
    if (n <= 0 || FreeRoom() >= n)
        return 1;
    if (n > INT_MAX - m_length)
        return 0;
    return Reserve(m_length + n);
}

void* GString::Terminate()
{
    if (!m_block)
        return nullptr;
    WriteTerminatorAt(m_length);
    return TextBytes();
}

int GString::SetLength(int n)
{
    if (!m_block)
        return 0;
    int capacity = Capacity();
    if (n < 0) {
        const uint8_t* text = TextBytes();
        n = 0;
        for (int i = 0; i < capacity; ++i) {
            if (CharAt(text, i, CharSize()) == 0) {
                n = i;
                break;
            }
        }
    } else if (n > capacity) {
        n = capacity;
    }
    m_length = n;
    if (m_length == 0)
        m_start = 0;
    Terminate();
    return 1;
}

int GString::DropFront(int n)
{
    if (n <= 0)
        return 0;
    if (n > m_length)
        n = m_length;
    m_start += n;
    m_length -= n;
    if (m_length == 0) {
        m_start = 0;
        Terminate();
    }
    return 1;
}

const WChar* GString::WideAt(int pos) const
{
    if (!m_wide || m_length <= 0 || pos < 0)
        return kEmptyWide;
    if (pos > m_length)
        pos = m_length;
    return (const WChar*)TextBytes() + pos;
}

const char* GString::NarrowAt(int pos) const
{
    if (m_wide || m_length <= 0 || pos < 0)
        return kEmptyNarrow;
    if (pos > m_length)
        pos = m_length;
    return (const char*)TextBytes() + pos;
}

GString* GString::PrepareScratch()
{
    if (!m_scratch) {
        m_scratch = new (std::nothrow) GString();
        if (!m_scratch)
            return nullptr;
    }
    m_scratch->Reset(false);
    return m_scratch;
}

const WChar* GString::GetWide()
{
    if (m_wide)
        return WideAt(0);
    if (m_length == 0) {
        Reset(true);
        return WideAt(0);
    }
    GString* wide = PrepareScratch();
    if (!wide)
        return nullptr;
    wide->Reset(true);
    if (!wide->AppendUtf8AsUtf16((const char*)TextBytes(), m_length))
        return nullptr;
    SwapStorage(*wide);
    return WideAt(0);
}

const char* GString::GetNarrow()
{
    if (!m_wide)
        return NarrowAt(0);
    if (m_length == 0) {
        Reset(false);
        return NarrowAt(0);
    }
    GString* narrow = PrepareScratch();
    if (!narrow)
        return nullptr;
    if (!narrow->AppendUtf16AsUtf8((const WChar*)TextBytes(), m_length))
        return nullptr;
    SwapStorage(*narrow);
    return NarrowAt(0);
}

WChar* GString::GetWideBuffer(int room)
{
    if (!GetWide())
        return nullptr;
    if (room < 0)
        room = 0;
    if (!EnsureFree(room))
        return nullptr;
    if (!m_block && !Reserve(m_length + 1))
        return nullptr;
    return (WChar*)TextBytes() + m_length;
}

int GString::Assign(const GString& other)
{
    if (&other == this)
        return 1;
    Reset(other.m_wide != 0);
    if (other.m_length == 0)
        return 1;
    if (other.m_wide)
        return AppendW((const WChar*)other.TextBytes(), other.m_length);
    return AppendA((const char*)other.TextBytes(), other.m_length);
}

int GString::AssignWide(const WChar* text, int len)
{
    Reset(true);
    return AppendW(text, len);
}

int GString::AssignUtf8(const char* bytes, int len)
{
    Reset(false);
    return AppendA(bytes, len);
}

int GString::AssignCounted(const void* record)
{
    if (!record) {
        Reset(m_wide != 0);
        return 0;
    }
    const uint8_t* r = (const uint8_t*)record;
    uint32_t header = (uint32_t)r[0] | (uint32_t)r[1] << 8 | (uint32_t)r[2] << 16 | (uint32_t)r[3] << 24;
    int len = (int)(header & 0x1FFFFFFFu);
    if (header & 0x80000000u)
        return AssignUtf8((const char*)(r + 4), len);
    return AssignWide((const WChar*)(r + 4), len);
}

int GString::AssignAsWide(const GString* other)
{
    Reset(true);
    if (!other || other == this)
        return 0;
    if (other->m_length == 0)
        return 1;
    if (other->m_wide)
        return AppendW((const WChar*)other->TextBytes(), other->m_length);
    return AppendUtf8AsUtf16((const char*)other->TextBytes(), other->m_length);
}

int GString::AssignAsNarrow(const GString* other)
{
    Reset(false);
    if (!other || other == this)
        return 0;
    if (other->m_length == 0)
        return 1;
    if (other->m_wide)
        return AppendUtf16AsUtf8((const WChar*)other->TextBytes(), other->m_length);
    return AppendA((const char*)other->TextBytes(), other->m_length);
}

int GString::AppendW(const WChar* text, int len)
{
    if (!m_wide)
        return 0;
    if (!text)
        return 1;
    if (len < 0)
        len = WideLength(text);
    if (len == 0)
        return 1;
    if (!EnsureFree(len))
        return 0;
    memcpy(TextBytes() + (size_t)m_length * 2, text, (size_t)len * 2);
    m_length += len;
    Terminate();
    return 1;
}

int GString::AppendA(const char* bytes, int len)
{
    if (m_wide)
        return 0;
    if (!bytes)
        return 1;
    if (len < 0)
        len = NarrowLength(bytes);
    if (len == 0)
        return 1;
    if (!EnsureFree(len))
        return 0;
    memcpy(TextBytes() + m_length, bytes, (size_t)len);
    m_length += len;
    Terminate();
    return 1;
}

// Narrow string, UTF-16 argument: each unit on its own, surrogates included.
int GString::AppendUtf16AsUtf8(const WChar* text, int len)
{
    if (!text)
        return 1;
    if (len < 0)
        len = WideLength(text);
    if (len == 0)
        return 1;
    int64_t bytes = Utf8EncodedLength(text, len);
    if (bytes > INT_MAX)
        return 0;
    if (!EnsureFree((int)bytes))
        return 0;
    m_length += EncodeUtf8(text, len, TextBytes() + m_length);
    Terminate();
    return 1;
}

// Wide string, UTF-8 argument: validated before anything is written, so invalid input leaves
// the text, its length and its terminator exactly as they were.
int GString::AppendUtf8AsUtf16(const char* bytes, int len)
{
    if (!bytes)
        return 1;
    if (len < 0)
        len = NarrowLength(bytes);
    if (len == 0)
        return 1;
    int units = Utf8DecodedLength((const uint8_t*)bytes, len);
    if (units < 0)
        return 0;
    if (!EnsureFree(units))
        return 0;
    DecodeUtf8((const uint8_t*)bytes, len, (WChar*)TextBytes() + m_length);
    m_length += units;
    Terminate();
    return 1;
}

int GString::Append(const WChar* text, int len)
{
    if (m_wide)
        return AppendW(text, len);
    return AppendUtf16AsUtf8(text, len);
}

int GString::AppendUtf8(const char* bytes, int len)
{
    if (!m_wide)
        return AppendA(bytes, len);
    return AppendUtf8AsUtf16(bytes, len);
}

int GString::Append(const GString& other)
{
    if (other.m_length == 0)
        return 1;
    if (other.m_wide)
        return Append((const WChar*)other.TextBytes(), other.m_length);
    return AppendUtf8((const char*)other.TextBytes(), other.m_length);
}

int GString::AppendChar(WChar ch, int count)
{
    if (ch == 0 || count == 0)
        return 1;
    if (count < 0)
        return 0;
    if (!m_wide)
        return (uint16_t)ch < 0x80 ? AppendByte((char)ch, count) : 0;
    if (!EnsureFree(count))
        return 0;
    WChar* p = (WChar*)TextBytes() + m_length;
    for (int i = 0; i < count; ++i)
        p[i] = ch;
    m_length += count;
    Terminate();
    return 1;
}

int GString::AppendByte(char b, int count)
{
    if (b == 0 || count == 0)
        return 1;
    if (count < 0)
        return 0;
    if (m_wide)
        return (uint8_t)b < 0x80 ? AppendChar((WChar)b, count) : 0;
    if (!EnsureFree(count))
        return 0;
    memset(TextBytes() + m_length, (uint8_t)b, (size_t)count);
    m_length += count;
    Terminate();
    return 1;
}

int GString::AppendLineBreak()
{
    if (m_wide)
        return AppendW(WSTR("\r\n"), 2);
    return AppendA("\r\n", 2);
}

int GString::TailEquals(const void* s, int len) const
{
    if (len > m_length)
        return 0;
    return memcmp(TextBytes() + (size_t)(m_length - len) * CharSize(), s, (size_t)len * CharSize()) == 0;
}

int GString::EnsureSuffix(const WChar* s, int len)
{
    if (!s || len == 0 || s[0] == 0)
        return 0;
    if (len < 0)
        len = WideLength(s);
    if (m_wide)
        return TailEquals(s, len) ? 1 : AppendW(s, len);
    GString* utf8 = PrepareScratch();
    if (!utf8 || !utf8->AppendUtf16AsUtf8(s, len))
        return 0;
    if (TailEquals(utf8->TextBytes(), utf8->m_length))
        return 1;
    return AppendA((const char*)utf8->TextBytes(), utf8->m_length);
}

int GString::EnsureSuffixUtf8(const char* s, int len)
{
    if (!s || len == 0 || s[0] == 0)
        return 0;
    if (len < 0)
        len = NarrowLength(s);
    if (!m_wide)
        return TailEquals(s, len) ? 1 : AppendA(s, len);
    GString* wide = PrepareScratch();
    if (!wide)
        return 0;
    wide->Reset(true);
    if (!wide->AppendUtf8AsUtf16(s, len))
        return 0;
    if (TailEquals(wide->TextBytes(), wide->m_length))
        return 1;
    return AppendW((const WChar*)wide->TextBytes(), wide->m_length);
}

int GString::AppendPath(const WChar* part, int len)
{
    if (!part || len == 0 || (len < 0 && part[0] == 0))
        return EnsureSuffix(WSTR("\\"), 1);
    if (len < 0)
        len = WideLength(part);
    if (part[0] == '\\' || part[0] == '/') {
        ++part;
        --len;
    }
    if (!EnsureSuffix(WSTR("\\"), 1))
        return 0;
    return Append(part, len);
}

int GString::AppendPathUtf8(const char* part, int len)
{
    if (!part || len == 0 || (len < 0 && part[0] == 0))
        return EnsureSuffix(WSTR("\\"), 1);
    if (len < 0)
        len = NarrowLength(part);
    if (part[0] == '\\' || part[0] == '/') {
        ++part;
        --len;
    }
    if (!EnsureSuffix(WSTR("\\"), 1))
        return 0;
    return AppendUtf8(part, len);
}

int GString::Find(const WChar* needle, int from, int needleLen)
{
    if (!needle || m_length == 0 || from < 0 || from >= m_length)
        return -1;
    if (needleLen < 0)
        needleLen = WideLength(needle);
    if (needleLen == 0)
        return -1;
    if (m_wide)
        return SearchChars(TextBytes(), m_length, (const uint8_t*)needle, needleLen, 2, from);
    GString* utf8 = PrepareScratch();
    if (!utf8 || !utf8->AppendUtf16AsUtf8(needle, needleLen))
        return -1;
    return SearchChars(TextBytes(), m_length, utf8->TextBytes(), utf8->m_length, 1, from);
}

int GString::FindUtf8(const char* needle, int from, int needleLen)
{
    if (!needle || m_length == 0 || from < 0 || from >= m_length)
        return -1;
    if (needleLen < 0)
        needleLen = NarrowLength(needle);
    if (needleLen == 0)
        return -1;
    if (!m_wide)
        return SearchChars(TextBytes(), m_length, (const uint8_t*)needle, needleLen, 1, from);
    GString* wide = PrepareScratch();
    if (!wide)
        return -1;
    wide->Reset(true);
    if (!wide->AppendUtf8AsUtf16(needle, needleLen) || wide->m_length == 0)
        return -1;
    return SearchChars(TextBytes(), m_length, wide->TextBytes(), wide->m_length, 2, from);
}

int GString::ReverseFind(WChar ch, int lowest)
{
    if (m_length == 0 || lowest < 0 || lowest >= m_length)
        return -1;
    const uint8_t* text = TextBytes();
    if (m_wide || (uint16_t)ch < 0x80) {
        for (int i = m_length - 1; i >= lowest; --i) {
            if (CharAt(text, i, CharSize()) == (uint16_t)ch)
                return i;
        }
        return -1;
    }
    uint8_t bytes[3];
    int n = EncodeUtf8(&ch, 1, bytes);
    for (int i = m_length - n; i >= lowest; --i) {
        if (memcmp(text + i, bytes, (size_t)n) == 0)
            return i;
    }
    return -1;
}

int GString::Compare(const WChar* s, int len)
{
    int rightLen = !s ? 0 : (len < 0 ? WideLength(s) : len);
    if (m_wide || rightLen == 0)
        return CompareChars(TextBytes(), m_length, (const uint8_t*)s, rightLen, CharSize());
    GString* utf8 = PrepareScratch();
    if (!utf8 || !utf8->AppendUtf16AsUtf8(s, rightLen))
        return 0;
    return CompareChars(TextBytes(), m_length, utf8->TextBytes(), utf8->m_length, 1);
}

int GString::CompareUtf8(const char* s, int len)
{
    int rightLen = !s ? 0 : (len < 0 ? NarrowLength(s) : len);
    if (!m_wide || rightLen == 0)
        return CompareChars(TextBytes(), m_length, (const uint8_t*)s, rightLen, CharSize());
    GString* wide = PrepareScratch();
    if (!wide)
        return 0;
    wide->Reset(true);
    if (!wide->AppendUtf8AsUtf16(s, rightLen))
        return 0;
    return CompareChars(TextBytes(), m_length, wide->TextBytes(), wide->m_length, 2);
}

int GString::MakeUpper()
{
    if (m_length == 0)
        return 1;
    if (m_wide) {
        WChar* text = (WChar*)TextBytes();
        for (int i = 0; i < m_length; ++i)
            text[i] = UpperUnit(text[i]);
        return 1;
    }
    GString* wide = PrepareScratch();
    if (!wide)
        return 0;
    wide->Reset(true);
    if (!wide->AppendUtf8AsUtf16((const char*)TextBytes(), m_length))
        return 0;
    if (!wide->MakeUpper())
        return 0;
    Reset(false);
    return AppendUtf16AsUtf8((const WChar*)wide->TextBytes(), wide->m_length);
}

void GString::DebugLines(int maxChars, LineSink sink, void* context)
{
    if (m_length == 0 || !sink)
        return;
    const uint8_t* text = TextBytes();
    int count = m_wide ? m_length : Utf8CharCount(text, m_length);
    if (count > maxChars)
        count = maxChars;
    GString* line = PrepareScratch();
    if (!line)
        return;
    const int kLineChars = 80;
    int pos = 0;   // in the string's own characters
    for (int done = 0; done < count;) {
        int chars = count - done < kLineChars ? count - done : kLineChars;
        line->Reset(true);
        if (m_wide) {
            line->AppendW((const WChar*)text + pos, chars);
            pos += chars;
        } else {
            int end = pos;
            for (int c = 0; c < chars && end < m_length; ++c) {
                ++end;
                while (end < m_length && (text[end] & 0xC0) == 0x80)
                    ++end;
            }
            // A line that is not valid UTF-8 still shows: one unit per byte.
            if (!line->AppendUtf8AsUtf16((const char*)text + pos, end - pos)) {
                for (int i = pos; i < end; ++i)
                    line->AppendChar((WChar)text[i]);
            }
            pos = end;
        }
        done += chars;
        if (done < count)
            line->AppendW(WSTR(" \\\n"), 3);
        else
            line->AppendW(WSTR("\n"), 1);
        sink(line->WideAt(0), line->m_length, context);
    }
}
