// Fuzzes the format engine with directive strings. The input is cut into pieces of literal
// text and one directive each; every piece is appended with one AppendFormatV call whose
// arguments have the types the directive's conversion reads (stars first), taken in turn from
// fixed tables. A directive whose conversion would read past the data it is given (an exact
// negative text count beyond the text, a dump longer than the buffer) or whose padding would
// need hundreds of megabytes is skipped. Every text, record and buffer lives in a heap block of
// its exact size, so AddressSanitizer sees any read beyond it.
#include <limits.h>
#include <math.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <limits>
#include <vector>

#include "text/FormatDirective.h"
#include "text/GString.h"

namespace {

// A value of one of the variadic kinds.
struct Value {
    enum Kind { kInt, kInt64, kDouble, kPointer };
    Kind kind;
    int i;
    long long l;
    double d;
    const void* p;
};

Value IntValue(int v) { return Value{Value::kInt, v, 0, 0, nullptr}; }
Value Int64Value(long long v) { return Value{Value::kInt64, 0, v, 0, nullptr}; }
Value DoubleValue(double v) { return Value{Value::kDouble, 0, 0, v, nullptr}; }
Value PointerValue(const void* v) { return Value{Value::kPointer, 0, 0, 0, v}; }

int AppendFormat(GString& out, const WChar* directives, ...)
{
    va_list args;
    va_start(args, directives);
    int result = out.AppendFormatV(directives, args);
    va_end(args);
    return result;
}

// Turns the values into a real variadic call, each with its own type.
template <class... T>
int AppendWith(GString& out, const WChar* directives, const Value* v, int n, T... done)
{
    if constexpr (sizeof...(T) >= 3) {
        return AppendFormat(out, directives, done...);
    } else {
        if (n == 0)
            return AppendFormat(out, directives, done...);
        switch (v->kind) {
        case Value::kInt:
            return AppendWith(out, directives, v + 1, n - 1, done..., v->i);
        case Value::kInt64:
            return AppendWith(out, directives, v + 1, n - 1, done..., v->l);
        case Value::kDouble:
            return AppendWith(out, directives, v + 1, n - 1, done..., v->d);
        default:
            return AppendWith(out, directives, v + 1, n - 1, done..., v->p);
        }
    }
}

// A heap copy of exactly `bytes` bytes.
struct Blob {
    uint8_t* data;
    size_t bytes;
};

Blob MakeBlob(const void* bytes, size_t n)
{
    Blob b = {(uint8_t*)malloc(n), n};
    memcpy(b.data, bytes, n);
    return b;
}

// The fixed argument data, made once.
struct Data {
    std::vector<Blob> wide;     // terminated UTF-16 texts, some with a 0 inside
    std::vector<Blob> utf8;     // terminated byte texts, valid and invalid UTF-8
    std::vector<Blob> records;  // counted records, UTF-8 and UTF-16
    Blob bytes;                 // 16 bytes for dumps
    Blob address;               // 4 bytes
    Blob guid;                  // 16 bytes
    GString wideString;
    GString narrowString;
    GString emptyString;
    int count;

    Data() : count(0)
    {
        const WChar w0[] = {'a', 'b', '\t', 'c', 0x20AC, 0, 'x', 0};
        const WChar w1[] = {0};
        const WChar w2[] = {0xD83D, 0xDE00, 0x7F, 0x1F, 'Q', 0};
        wide.push_back(MakeBlob(w0, sizeof w0));
        wide.push_back(MakeBlob(w1, sizeof w1));
        wide.push_back(MakeBlob(w2, sizeof w2));
        const char* texts[] = {"h\xE2\x82\xAC\xC3\xA9\x01z", "", "\xC3\x28", "a\xE2\x82",
                               ("\x80\x80" "b\xF0\x9F\x98\x80"), "tab\tend\x7F"};
        for (const char* t : texts)
            utf8.push_back(MakeBlob(t, strlen(t) + 1));
        const uint8_t r0[] = {3, 0, 0, 0x80, 'a', 0xC3, 0xA9, 0};
        const uint8_t r1[] = {2, 0, 0, 0, 'h', 0, 'i', 0, 0, 0};
        const uint8_t r2[] = {0, 0, 0, 0x80, 0};
        records.push_back(MakeBlob(r0, sizeof r0));
        records.push_back(MakeBlob(r1, sizeof r1));
        records.push_back(MakeBlob(r2, sizeof r2));
        uint8_t b[16];
        for (int i = 0; i < 16; ++i)
            b[i] = (uint8_t)(i * 37 + 5);
        bytes = MakeBlob(b, 16);
        address = MakeBlob(b, 4);
        guid = MakeBlob(b, 16);
        wideString.AssignWide(w0);
        narrowString.AssignUtf8("n\xC3\xA9\x01\xE2\x82\xAC");
    }
};

const int kInts[] = {0, 1, -1, 7, -42, 255, 0x41, 0xE9, 0x20AC, 1536, 70000, 1234567,
                     INT_MIN, INT_MAX, 9, 0x7F};
const long long kInt64s[] = {0, -1, 5000000000LL, INT64_MIN, INT64_MAX, 1LL << 40, 1536, -2048};
const int kStars[] = {-600, -20, -9, -3, -1, 0, 1, 2, 3, 6, 9, 20, 600, INT_MIN, INT_MAX};

const long long kMaxPadding = 1 << 17;

// Characters of UTF-8 text as the engine counts them with a negative precision: every byte
// that is not a continuation byte starts one, the terminator included.
long long Utf8Characters(const Blob& b)
{
    long long n = 0;
    for (size_t i = 0; i < b.bytes; ++i)
        n += (b.data[i] & 0xC0) != 0x80;
    return n;
}

class CFuzzRun
{
public:
    explicit CFuzzRun(Data& data) : m_data(data), m_next(0) {}

    // Formats one piece; the directive is the first thing in it when `directive` is set.
    void Piece(GString& out, const WChar* piece, bool directive)
    {
        Value values[3];
        int n = 0;
        if (directive) {
            FormatDirective d;
            ParseFormatDirective(piece, d);
            int width = d.width;
            int precision = d.precision;
            if (d.widthStar) {
                width = Pick(kStars);
                values[n++] = IntValue(width);
                if (width < 0)
                    width = width == INT_MIN ? INT_MAX : -width;
            }
            if (d.precisionStar) {
                precision = Pick(kStars);
                values[n++] = IntValue(precision);
            }
            // Padding of hundreds of megabytes is skipped; from 2^30 units on the room
            // cannot exist and the engine fails without allocating.
            if (width > kMaxPadding && width < (1 << 30))
                return;
            if (!Argument(d, precision, out, values[n]))
                return;
            if (d.conversion != 0 && d.conversion != '%' && d.conversion != 'N')
                ++n;
        }
        AppendWith(out, piece, values, n);
        if (out.GetLength() > 0 && out.WideAt(0)[out.GetLength()] != 0)
            abort();   // the call must end terminated
    }

private:
    template <class T, size_t N> T Pick(const T (&table)[N]) { return table[m_next++ % N]; }

    // The value the conversion reads; false when the directive is skipped.
    bool Argument(const FormatDirective& d, int precision, GString& out, Value& v)
    {
        unsigned f = d.flags;
        switch (d.conversion) {
        case 'd': case 'i': case 'u': case 'o': case 'x': case 'X': case 'y':
        case 'I': case 'U':
            v = (f & kFmtSize64) ? Int64Value(Pick(kInt64s)) : IntValue(Pick(kInts));
            return true;
        case 'c': case 'C':
            v = IntValue(Pick(kInts));
            return true;
        case 'p': case 'P': {
            const void* pointers[] = {nullptr, (const void*)(uintptr_t)0x1234, &m_data, m_data.bytes.data};
            v = PointerValue(Pick(pointers));
            return true;
        }
        case 'e': case 'E': case 'f': case 'g': case 'G': case 'a': case 'A':
            v = DoubleValue(PickDouble());
            return true;
        case 'F':
            if (f & kFmtNarrow)
                v = IntValue(Pick(kInts));
            else if (f & kFmtSize64)
                v = Int64Value(Pick(kInt64s));
            else
                v = DoubleValue(PickDouble());
            return true;
        case 's': case 'S':
            return Text(d, precision, out, v);
        case 'z': case 'Z':
            return Text(d, precision, out, v);
        case 'b': case 'B': {
            const void* dumps[] = {m_data.bytes.data, nullptr};
            v = PointerValue(Pick(dumps));
            return precision <= (int)m_data.bytes.bytes;
        }
        case 'w': case 'W': {
            const void* targets[] = {(f & kFmtNarrow) ? m_data.guid.data : m_data.address.data, nullptr};
            v = PointerValue(Pick(targets));
            return true;
        }
        case 'n': {
            const void* counts[] = {&m_data.count, nullptr};
            v = PointerValue(Pick(counts));
            return true;
        }
        case 'T': case 't': case 'Y':
            v = PointerValue(nullptr);
            return true;
        default:
            return true;   // "%%", N, or no conversion: no value
        }
    }

    double PickDouble()
    {
        const double values[] = {0.0, -0.0, 1.5, 0.125, 2.5, 1e50, 1e-300, 4.9e-324, 1.7976931348623157e308,
                                 std::numeric_limits<double>::quiet_NaN(), INFINITY, -INFINITY,
                                 1.96875, 0.0047, 12345.678, -9.96, 1e41, 1e42, 0.1, 255.5};
        return Pick(values);
    }

    // Texts: an exact negative count must stay within the text and its terminator.
    bool Text(const FormatDirective& d, int precision, GString& out, Value& v)
    {
        unsigned f = d.flags;
        bool strict = (f & kFmtStrict) != 0;
        long long wanted = precision < 0 ? -(long long)precision : 0;
        if (d.conversion == 's' || d.conversion == 'S') {
            if (f & kFmtNarrow) {
                m_next++;
                const Blob& b = m_data.utf8[m_next % m_data.utf8.size()];
                v = PointerValue(m_next % 5 == 0 ? nullptr : b.data);
                long long have = strict ? (long long)b.bytes : Utf8Characters(b);
                return (f & kFmtSize64) || !v.p || wanted <= have;
            }
            m_next++;
            if (m_next % 7 == 0 && out.GetLength() > 0) {
                // The target's own text: the engine reads it as the call found it.
                v = PointerValue(out.WideAt(0));
                return true;
            }
            const Blob& b = m_data.wide[m_next % m_data.wide.size()];
            v = PointerValue(m_next % 5 == 0 ? nullptr : b.data);
            return (f & kFmtSize64) || !v.p || wanted <= (long long)(b.bytes / 2);
        }
        if (f & kFmtNarrow) {
            m_next++;
            const Blob& b = m_data.records[m_next % m_data.records.size()];
            v = PointerValue(m_next % 5 == 0 ? nullptr : b.data);
            if (!v.p)
                return true;
            Blob text = {b.data + 4, b.bytes - 4};
            if (!(b.data[3] & 0x80))
                return wanted <= (long long)(text.bytes / 2);
            return wanted <= (strict ? (long long)text.bytes : Utf8Characters(text));
        }
        // GString arguments: the engine never reads past their text and terminator.
        const GString* strings[] = {&m_data.wideString, &m_data.narrowString, &m_data.emptyString,
                                    &out, nullptr};
        v = PointerValue(Pick(strings));
        return true;
    }

    Data& m_data;
    unsigned m_next;
};

// Input bytes become UTF-16 units one by one; 0xFF takes the next two bytes as one unit.
std::vector<WChar> Units(const uint8_t* data, size_t size)
{
    std::vector<WChar> units;
    for (size_t i = 0; i < size; ++i) {
        uint16_t u = data[i];
        if (u == 0xFF && i + 2 < size) {
            u = (uint16_t)(data[i + 1] | data[i + 2] << 8);
            i += 2;
        }
        if (u == 0)
            break;
        units.push_back((WChar)u);
    }
    return units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Data* fixed = new Data();
    std::vector<WChar> units = Units(data, size);
    GString out;
    out.Reset(true);
    CFuzzRun run(*fixed);
    size_t pos = 0;
    while (pos < units.size()) {
        size_t end = pos;
        bool directive = units[pos] == '%';
        if (directive) {
            // The directive's own extent, plus the character in a non-conversion's place.
            std::vector<WChar> rest(units.begin() + (long)pos, units.end());
            rest.push_back(0);
            FormatDirective d;
            ParseFormatDirective(rest.data(), d);
            end = pos + (size_t)d.length;
            if (d.conversion == 0 && end < units.size())
                ++end;
        } else {
            while (end < units.size() && units[end] != '%')
                ++end;
        }
        // The piece in a heap block of its exact size.
        size_t n = end - pos;
        WChar* piece = (WChar*)malloc((n + 1) * sizeof(WChar));
        memcpy(piece, units.data() + pos, n * sizeof(WChar));
        piece[n] = 0;
        run.Piece(out, piece, directive);
        free(piece);
        pos = end;
        if (out.GetLength() > (1 << 20))
            out.Reset(true);
    }
    return 0;
}
