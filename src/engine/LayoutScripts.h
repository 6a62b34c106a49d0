// The texts of the input-language scripts: the script that adds the layout to a language after
// an installation and the one that takes it away at uninstall. The formats and their texts come
// from the string tables; this decides which format applies and what goes into it.
#pragma once

#include <stdint.h>

#include "../payload/StringTable.h"
#include "../text/GString.h"

// The format of the language script: 0 before Windows 6.0 (no script), the format that names
// the user (63) from 6.2 on when the user text is not empty, else the plain one (62).
StringId LanguageScriptFormat(int osVersion, int userTextLength);

// The format of the undo script: 65 before Windows 6.0, else 66.
StringId UndoScriptFormat(int osVersion);

struct LanguageScriptTexts
{
    const WChar* plainFormat;   // string 62: language id, layout key name, message
    const WChar* userFormat;    // string 63: user, language id, layout key name, message,
                                //            language id, language id
    const WChar* user;          // string 90
    const WChar* layoutKey;     // string 85
    const WChar* message;       // string 64, or the empty text
};

// Formats the language script for the system and language into `out` (wide). 0 when no script
// applies (before 6.0), a text is missing or the format fails.
int ComposeLanguageScript(GString& out, const LanguageScriptTexts& texts, int osVersion,
                          uint16_t langId);

// Formats the undo script into `out`: before 6.0 `before60` with two empty texts, else
// `from60` with one. 0 when the format is missing or fails.
int ComposeUndoScript(GString& out, const WChar* before60, const WChar* from60, int osVersion);
