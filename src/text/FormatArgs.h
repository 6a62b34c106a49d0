// The argument cursor of one format call: a private copy of the caller's va_list, read in
// directive order with the platform's variadic conventions (int, long long, double,
// pointers). Writers take the cursor by reference, so every read advances the one list.
#pragma once

#include <stdarg.h>
#include <stdint.h>

class CFormatArgs
{
public:
    explicit CFormatArgs(va_list args) { va_copy(m_args, args); }
    ~CFormatArgs() { va_end(m_args); }

    int NextInt() { return va_arg(m_args, int); }
    int64_t NextInt64() { return (int64_t)va_arg(m_args, long long); }
    double NextDouble() { return va_arg(m_args, double); }
    const void* NextPointer() { return va_arg(m_args, const void*); }
    template <class T> T* Next() { return va_arg(m_args, T*); }

private:
    CFormatArgs(const CFormatArgs&) = delete;
    CFormatArgs& operator=(const CFormatArgs&) = delete;

    va_list m_args;
};
