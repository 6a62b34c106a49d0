// The number writers' common step: pad the composed field in the target's scratch string and
// append it to the target from there.
#include <string.h>

#include "FormatWriter.h"
#include "NumberWriters.h"

int CFormatWriter::AppendField(unsigned flags, int width, const NumberBody& body, bool zerosAllowed)
{
    FieldLayout layout = LayoutField(flags, width, body.chars, zerosAllowed);
    int64_t pad = layout.spaces + layout.zeros + layout.trailing;
    // The target's room first: a field that can never fit fails before the scratch grows.
    if (!Room(body.chars + pad))
        return 0;
    GString* scratch = m_target.PrepareScratch();
    if (!scratch || !scratch->EnsureFree((int)(body.bytes + pad)))
        return 0;
    char* out = (char*)scratch->TextBytes();
    char* p = out;
    memset(p, ' ', (size_t)layout.spaces);
    p += layout.spaces;
    memcpy(p, body.text, (size_t)body.zerosAt);
    p += body.zerosAt;
    memset(p, '0', (size_t)layout.zeros);
    p += layout.zeros;
    memcpy(p, body.text + body.zerosAt, (size_t)(body.bytes - body.zerosAt));
    p += body.bytes - body.zerosAt;
    memset(p, ' ', (size_t)layout.trailing);
    p += layout.trailing;
    scratch->m_length = (int32_t)(p - out);
    scratch->Terminate();
    int ok = m_target.AppendUtf8(out, scratch->m_length);
    Sync();
    return ok;
}

int CFormatWriter::AppendNonFinite(unsigned flags, int width, double x)
{
    // Padded like text: zeros from the left when zero is set.
    NumberBody body;
    if (x != x)
        body.Put("{ nan}", 6);
    else
        body.Put(x < 0 ? "{-inf}" : "{+inf}", 6);
    return AppendField(flags, width, body, true);
}
