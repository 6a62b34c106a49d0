/*
 * Variant 2, "typographic with accents": variant 1, except that four keys become dead keys on
 * AltGr and Shift+AltGr, for writing the accented letters of other European languages:
 *   `  grave, tilde        '  acute, diaeresis
 *   ;  caron, circumflex   /  cedilla, ring above
 * A dead key followed by Space, or pressed twice, types the accent itself.
 */
#include "VariantRows.h"

#define GRAVE 0x0060
#define TILDE 0x007E
#define ACUTE 0x00B4
#define DIAERESIS 0x00A8
#define CARON 0x02C7
#define CIRCUMFLEX 0x005E
#define CEDILLA 0x00B8
#define RING 0x02DA

const VK_TO_WCHARS5 VariantRows[] = {
    SYMBOL(VK_OEM_3, L'`', L'~', NONE, DEAD, DEAD),
    DEAD_CHARS(GRAVE, TILDE),
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
    SYMBOL(VK_OEM_1, L';', L':', NONE, DEAD, DEAD),
    DEAD_CHARS(CARON, CIRCUMFLEX),
    SYMBOL(VK_OEM_7, L'\'', L'"', NONE, DEAD, DEAD),
    DEAD_CHARS(ACUTE, DIAERESIS),
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
    SYMBOL(VK_OEM_2, L'/', L'?', NONE, DEAD, DEAD),
    DEAD_CHARS(CEDILLA, RING),
    SYMBOL(VK_OEM_102, L'\\', L'|', 0x1C, NONE, NONE),
    SYMBOL(VK_SPACE, L' ', L' ', L' ', 0x00A0, 0x202F),
    END_OF_ROWS,
};

/* Each accent: Space and the accent itself give the spacing accent, then the letters. */
const DEADKEY VariantDeadKeys[] = {
    DEADTRANS(L' ', GRAVE, GRAVE), DEADTRANS(GRAVE, GRAVE, GRAVE),
    DEADTRANS(L'a', GRAVE, L'à'), DEADTRANS(L'A', GRAVE, L'À'),
    DEADTRANS(L'e', GRAVE, L'è'), DEADTRANS(L'E', GRAVE, L'È'),
    DEADTRANS(L'i', GRAVE, L'ì'), DEADTRANS(L'I', GRAVE, L'Ì'),
    DEADTRANS(L'o', GRAVE, L'ò'), DEADTRANS(L'O', GRAVE, L'Ò'),
    DEADTRANS(L'u', GRAVE, L'ù'), DEADTRANS(L'U', GRAVE, L'Ù'),

    DEADTRANS(L' ', TILDE, TILDE), DEADTRANS(TILDE, TILDE, TILDE),
    DEADTRANS(L'a', TILDE, L'ã'), DEADTRANS(L'A', TILDE, L'Ã'),
    DEADTRANS(L'n', TILDE, L'ñ'), DEADTRANS(L'N', TILDE, L'Ñ'),
    DEADTRANS(L'o', TILDE, L'õ'), DEADTRANS(L'O', TILDE, L'Õ'),

    DEADTRANS(L' ', ACUTE, ACUTE), DEADTRANS(ACUTE, ACUTE, ACUTE),
    DEADTRANS(L'a', ACUTE, L'á'), DEADTRANS(L'A', ACUTE, L'Á'),
    DEADTRANS(L'c', ACUTE, L'ć'), DEADTRANS(L'C', ACUTE, L'Ć'),
    DEADTRANS(L'e', ACUTE, L'é'), DEADTRANS(L'E', ACUTE, L'É'),
    DEADTRANS(L'i', ACUTE, L'í'), DEADTRANS(L'I', ACUTE, L'Í'),
    DEADTRANS(L'l', ACUTE, L'ĺ'), DEADTRANS(L'L', ACUTE, L'Ĺ'),
    DEADTRANS(L'n', ACUTE, L'ń'), DEADTRANS(L'N', ACUTE, L'Ń'),
    DEADTRANS(L'o', ACUTE, L'ó'), DEADTRANS(L'O', ACUTE, L'Ó'),
    DEADTRANS(L'r', ACUTE, L'ŕ'), DEADTRANS(L'R', ACUTE, L'Ŕ'),
    DEADTRANS(L's', ACUTE, L'ś'), DEADTRANS(L'S', ACUTE, L'Ś'),
    DEADTRANS(L'u', ACUTE, L'ú'), DEADTRANS(L'U', ACUTE, L'Ú'),
    DEADTRANS(L'y', ACUTE, L'ý'), DEADTRANS(L'Y', ACUTE, L'Ý'),
    DEADTRANS(L'z', ACUTE, L'ź'), DEADTRANS(L'Z', ACUTE, L'Ź'),

    DEADTRANS(L' ', DIAERESIS, DIAERESIS), DEADTRANS(DIAERESIS, DIAERESIS, DIAERESIS),
    DEADTRANS(L'a', DIAERESIS, L'ä'), DEADTRANS(L'A', DIAERESIS, L'Ä'),
    DEADTRANS(L'e', DIAERESIS, L'ë'), DEADTRANS(L'E', DIAERESIS, L'Ë'),
    DEADTRANS(L'i', DIAERESIS, L'ï'), DEADTRANS(L'I', DIAERESIS, L'Ï'),
    DEADTRANS(L'o', DIAERESIS, L'ö'), DEADTRANS(L'O', DIAERESIS, L'Ö'),
    DEADTRANS(L'u', DIAERESIS, L'ü'), DEADTRANS(L'U', DIAERESIS, L'Ü'),
    DEADTRANS(L'y', DIAERESIS, L'ÿ'), DEADTRANS(L'Y', DIAERESIS, L'Ÿ'),

    DEADTRANS(L' ', CARON, CARON), DEADTRANS(CARON, CARON, CARON),
    DEADTRANS(L'c', CARON, L'č'), DEADTRANS(L'C', CARON, L'Č'),
    DEADTRANS(L'd', CARON, L'ď'), DEADTRANS(L'D', CARON, L'Ď'),
    DEADTRANS(L'e', CARON, L'ě'), DEADTRANS(L'E', CARON, L'Ě'),
    DEADTRANS(L'n', CARON, L'ň'), DEADTRANS(L'N', CARON, L'Ň'),
    DEADTRANS(L'r', CARON, L'ř'), DEADTRANS(L'R', CARON, L'Ř'),
    DEADTRANS(L's', CARON, L'š'), DEADTRANS(L'S', CARON, L'Š'),
    DEADTRANS(L't', CARON, L'ť'), DEADTRANS(L'T', CARON, L'Ť'),
    DEADTRANS(L'z', CARON, L'ž'), DEADTRANS(L'Z', CARON, L'Ž'),

    DEADTRANS(L' ', CIRCUMFLEX, CIRCUMFLEX), DEADTRANS(CIRCUMFLEX, CIRCUMFLEX, CIRCUMFLEX),
    DEADTRANS(L'a', CIRCUMFLEX, L'â'), DEADTRANS(L'A', CIRCUMFLEX, L'Â'),
    DEADTRANS(L'e', CIRCUMFLEX, L'ê'), DEADTRANS(L'E', CIRCUMFLEX, L'Ê'),
    DEADTRANS(L'i', CIRCUMFLEX, L'î'), DEADTRANS(L'I', CIRCUMFLEX, L'Î'),
    DEADTRANS(L'o', CIRCUMFLEX, L'ô'), DEADTRANS(L'O', CIRCUMFLEX, L'Ô'),
    DEADTRANS(L'u', CIRCUMFLEX, L'û'), DEADTRANS(L'U', CIRCUMFLEX, L'Û'),

    DEADTRANS(L' ', CEDILLA, CEDILLA), DEADTRANS(CEDILLA, CEDILLA, CEDILLA),
    DEADTRANS(L'c', CEDILLA, L'ç'), DEADTRANS(L'C', CEDILLA, L'Ç'),
    DEADTRANS(L's', CEDILLA, L'ş'), DEADTRANS(L'S', CEDILLA, L'Ş'),
    DEADTRANS(L't', CEDILLA, L'ţ'), DEADTRANS(L'T', CEDILLA, L'Ţ'),

    DEADTRANS(L' ', RING, RING), DEADTRANS(RING, RING, RING),
    DEADTRANS(L'a', RING, L'å'), DEADTRANS(L'A', RING, L'Å'),
    DEADTRANS(L'u', RING, L'ů'), DEADTRANS(L'U', RING, L'Ů'),

    {0, 0, 0},
};

/* Each name starts with the dead key's own character. */
const KWCHAR* const VariantDeadKeyNames[] = {
    L"\x0060" L"Grave",
    L"\x007E" L"Tilde",
    L"\x00B4" L"Acute",
    L"\x00A8" L"Diaeresis",
    L"\x02C7" L"Caron",
    L"\x005E" L"Circumflex",
    L"\x00B8" L"Cedilla",
    L"\x02DA" L"Ring Above",
    0,
};
