/*
 * Variant 1, "typographic": the Polish letters of variant 0 and, on AltGr and Shift+AltGr,
 * the punctuation and signs of careful typesetting: Polish and English quotation marks,
 * guillemets, en and em dashes, the ellipsis, non-breaking spaces, superscripts and fractions,
 * currency, legal and mathematical signs.
 */
#include "VariantRows.h"

const VK_TO_WCHARS5 VariantRows[] = {
    SYMBOL(VK_OEM_3, L'`', L'~', NONE, L'≈', L'¬'),
    SYMBOL('1', L'1', L'!', NONE, L'¹', L'¡'),
    SYMBOL('2', L'2', L'@', NONE, L'²', L'½'),
    SYMBOL('3', L'3', L'#', NONE, L'³', L'¼'),
    SYMBOL('4', L'4', L'$', NONE, L'€', L'£'),
    SYMBOL('5', L'5', L'%', NONE, L'°', L'‰'),
    SYMBOL('6', L'6', L'^', 0x1E, L'§', L'¶'),
    SYMBOL('7', L'7', L'&', NONE, L'•', L'·'),
    SYMBOL('8', L'8', L'*', NONE, L'×', L'∞'),
    SYMBOL('9', L'9', L'(', NONE, L'«', L'‹'),
    SYMBOL('0', L'0', L')', NONE, L'»', L'›'),
    SYMBOL(VK_OEM_MINUS, L'-', L'_', 0x1F, L'–', L'—'),
    SYMBOL(VK_OEM_PLUS, L'=', L'+', NONE, L'≠', L'±'),
    LETTER('Q', L'q', L'Q', NONE, NONE),
    LETTER('W', L'w', L'W', NONE, NONE),
    LETTER2('E', L'e', L'E', L'ę', L'Ę'),
    LETTER('R', L'r', L'R', L'®', NONE),
    LETTER('T', L't', L'T', L'™', NONE),
    LETTER('Y', L'y', L'Y', NONE, NONE),
    LETTER('U', L'u', L'U', NONE, NONE),
    LETTER('I', L'i', L'I', NONE, NONE),
    LETTER2('O', L'o', L'O', L'ó', L'Ó'),
    LETTER('P', L'p', L'P', NONE, NONE),
    SYMBOL(VK_OEM_4, L'[', L'{', 0x1B, L'„', L'‚'),
    SYMBOL(VK_OEM_6, L']', L'}', 0x1D, L'”', L'’'),
    LETTER2('A', L'a', L'A', L'ą', L'Ą'),
    LETTER2('S', L's', L'S', L'ś', L'Ś'),
    LETTER('D', L'd', L'D', NONE, NONE),
    LETTER('F', L'f', L'F', NONE, NONE),
    LETTER('G', L'g', L'G', L'©', NONE),
    LETTER('H', L'h', L'H', NONE, NONE),
    LETTER('J', L'j', L'J', NONE, NONE),
    LETTER('K', L'k', L'K', NONE, NONE),
    LETTER2('L', L'l', L'L', L'ł', L'Ł'),
    SYMBOL(VK_OEM_1, L';', L':', NONE, L'≤', L'≥'),
    SYMBOL(VK_OEM_7, L'\'', L'"', NONE, L'“', L'‘'),
    SYMBOL(VK_OEM_5, L'\\', L'|', 0x1C, NONE, NONE),
    LETTER2('Z', L'z', L'Z', L'ż', L'Ż'),
    LETTER2('X', L'x', L'X', L'ź', L'Ź'),
    LETTER2('C', L'c', L'C', L'ć', L'Ć'),
    LETTER('V', L'v', L'V', NONE, NONE),
    LETTER('B', L'b', L'B', NONE, NONE),
    LETTER2('N', L'n', L'N', L'ń', L'Ń'),
    LETTER('M', L'm', L'M', NONE, NONE),
    SYMBOL(VK_OEM_COMMA, L',', L'<', NONE, NONE, NONE),
    SYMBOL(VK_OEM_PERIOD, L'.', L'>', NONE, L'…', NONE),
    SYMBOL(VK_OEM_2, L'/', L'?', NONE, L'÷', L'¿'),
    SYMBOL(VK_OEM_102, L'\\', L'|', 0x1C, NONE, NONE),
    /* AltGr+Space: no-break space; Shift+AltGr+Space: narrow no-break space. */
    SYMBOL(VK_SPACE, L' ', L' ', L' ', 0x00A0, 0x202F),
    END_OF_ROWS,
};

const DEADKEY VariantDeadKeys[] = {
    {0, 0, 0},
};

const KWCHAR* const VariantDeadKeyNames[] = {
    0,
};
