#include "LayoutScripts.h"

namespace {

int IsMissing(const WChar* text)
{
    return !text;
}

} // namespace

StringId LanguageScriptFormat(int osVersion, int userTextLength)
{
    if (osVersion < 60)
        return 0;
    return userTextLength > 0 && osVersion > 61 ? 63 : 62;
}

StringId UndoScriptFormat(int osVersion)
{
    return osVersion < 60 ? 65 : 66;
}

int ComposeLanguageScript(GString& out, const LanguageScriptTexts& texts, int osVersion,
                          uint16_t langId)
{
    out.Reset(true);
    const WChar* user = texts.user ? texts.user : WSTR("");
    int userLength = 0;
    while (user[userLength])
        ++userLength;
    StringId format = LanguageScriptFormat(osVersion, userLength);
    if (!format || IsMissing(texts.layoutKey) || IsMissing(texts.message))
        return 0;
    // The language id travels as a 32-bit integer; the format decides how it is written.
    int lang = (int)langId;
    if (format == 63) {
        if (IsMissing(texts.userFormat))
            return 0;
        return GString::Format(out, texts.userFormat, user, lang, texts.layoutKey,
                               texts.message, lang, lang);
    }
    if (IsMissing(texts.plainFormat))
        return 0;
    return GString::Format(out, texts.plainFormat, lang, texts.layoutKey, texts.message);
}

int ComposeUndoScript(GString& out, const WChar* before60, const WChar* from60, int osVersion)
{
    out.Reset(true);
    const WChar* empty = WSTR("");
    if (UndoScriptFormat(osVersion) == 65)
        return before60 ? GString::Format(out, before60, empty, empty) : 0;
    return from60 ? GString::Format(out, from60, empty) : 0;
}
