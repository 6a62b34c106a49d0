// Number writers: not yet available; these conversions make the call fail for now.
#include "FormatWriter.h"

int CFormatWriter::WriteFloat(const FormatDirective&)
{
    m_args.NextDouble();
    return 0;
}

int CFormatWriter::WriteEngineering(const FormatDirective& d)
{
    if (d.flags & kFmtNarrow)
        m_args.NextInt();
    else if (d.flags & kFmtSize64)
        m_args.NextInt64();
    else
        m_args.NextDouble();
    return 0;
}

int CFormatWriter::WriteSize(const FormatDirective& d)
{
    if (d.flags & kFmtSize64)
        m_args.NextInt64();
    else
        m_args.NextInt();
    return 0;
}

int CFormatWriter::WriteAddress(const FormatDirective&)
{
    m_args.NextPointer();
    return 0;
}

int CFormatWriter::AppendField(const FormatDirective&, const char*, int, int, int, bool)
{
    return 0;
}
