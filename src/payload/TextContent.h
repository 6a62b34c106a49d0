// The content of a text item as a string: UTF-8 bytes, a leading byte-order mark dropped.
#pragma once

#include <stdint.h>

class GString;

// Resets `out` to an empty narrow string and appends the content without its byte-order mark.
// 1 on success (also when nothing is left to append), 0 when the text does not fit.
int AssignTextContent(const uint8_t* content, uint32_t length, GString& out);
