/*
 * Row builders for the variants' tables of the typing keys. Columns: plain, Shift, Ctrl,
 * AltGr, Shift+AltGr. Letters follow Caps Lock; a letter whose AltGr characters are letters
 * too follows it on AltGr as well.
 */
#ifndef VARIANT_ROWS_H
#define VARIANT_ROWS_H

#include "KbdTables.h"

#define NONE WCH_NONE
#define DEAD WCH_DEAD

/* Ctrl with a letter types the letter's control code (Ctrl+A is 0x01). */
#define LETTER(vk, lower, upper, altGr, shiftAltGr) \
    {vk, CAPLOK, {lower, upper, (vk) - 0x40, altGr, shiftAltGr}}
#define LETTER2(vk, lower, upper, altGr, shiftAltGr) \
    {vk, CAPLOK | CAPLOKALTGR, {lower, upper, (vk) - 0x40, altGr, shiftAltGr}}
#define SYMBOL(vk, plain, shifted, ctrl, altGr, shiftAltGr) \
    {vk, 0, {plain, shifted, ctrl, altGr, shiftAltGr}}
/* The row that follows a row with dead columns: the dead keys' own characters. */
#define DEAD_CHARS(altGr, shiftAltGr) {0xFF, 0, {NONE, NONE, NONE, altGr, shiftAltGr}}
#define END_OF_ROWS {0, 0, {0, 0, 0, 0, 0}}

#endif
