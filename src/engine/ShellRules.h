// Decisions of the shell step: reading a text the system gives by buffer size, and whether the
// path of an associated program names a particular one.
#pragma once

#include <stdint.h>

#include "../text/GString.h"

// The status a text query gives when its buffer is too small (E_POINTER); the count it hands
// back is then the size the text needs, terminator included.
const int32_t kQueryBufferTooSmall = (int32_t)0x80004003u;

// Asks for a text into a buffer of `units` UTF-16 units (terminator included). A negative
// status is a failure; on entry `units` is the buffer's size, on return what the query
// reported.
typedef int32_t (*TextQuery)(void* context, WChar* buffer, uint32_t& units);

// Runs `query` with a buffer of `initialUnits`; with `growOnce` set, a buffer too small is made
// as large as the query reports and the query is asked once more. On success `out` holds the
// text up to its terminator and the status is returned; on failure `out` is empty.
int32_t QueryText(TextQuery query, void* context, uint32_t initialUnits, int growOnce,
                  GString& out);

// 1 when `text` occurs in `path` compared with upper-cased path characters: the text itself is
// taken as it is, so only an upper-case text can match. An empty text never matches.
int PathNamesProgram(GString& path, GString& text);
