// Where a built keyboard-layout library keeps the tables the installer edits, found the way
// the system finds them: the export KbdLayerDescriptor, the tables' address that it returns,
// and the members of that table structure (pointer-sized members at the image's width).
#pragma once

#include "PeImage.h"

#include <stdint.h>
#include <string>
#include <vector>

struct VscVkRecord
{
    uint8_t scanCode;
    uint16_t virtualKey;
};

struct CharacterRow
{
    uint8_t virtualKey;
    uint8_t attributes;
    std::vector<uint16_t> characters;   // one per column; 0xF000 none, 0xF001 dead
    std::vector<uint16_t> deadCharacters;   // for columns holding 0xF001: the dead key's character
};

struct DeadKeyEntry
{
    uint16_t accent;     // the dead key's own character
    uint16_t next;       // the character typed after it
    uint16_t composed;
};

struct LayoutTables
{
    long tables = -1;            // file offset of the table structure
    long scanTable = -1;         // file offset of the scan-code-to-virtual-key table
    int scanCount = 0;           // its element count
    long e0Table = -1;           // first record of the 0xE0 table
    int e0Records = 0;           // records before the terminating one
    long e1Table = -1;
    int e1Records = 0;
    long decimalChars = -1;      // the two characters of the keypad's decimal key
    long decimalTableEnd = -1;   // end of the character table that holds them (its end row included)
    uint64_t charactersVa = 0;   // the list of character tables
    uint64_t deadKeysVa = 0;
    uint32_t localeFlags = 0;
    uint32_t keyboardType = 0;
    std::vector<uint16_t> scanToVk;
    std::vector<VscVkRecord> e0;
    std::vector<VscVkRecord> e1;
};

// Follows the descriptor of a parsed image. False, with a reason in error, when the image
// does not export it, its code is not the plain "return the tables' address" of our builds,
// or any table lies outside the image.
bool LocateLayoutTables(const CPeImage& image, LayoutTables& out, std::string& error);

// Every character row of the tables, in the system's search order (a virtual key found in an
// earlier table hides later rows of it), and the dead-key compositions.
bool ReadCharacters(const CPeImage& image, const LayoutTables& tables,
                    std::vector<CharacterRow>& rows, std::vector<DeadKeyEntry>& deadKeys,
                    std::string& error);

// First offset at which pattern occurs in data, or -1.
long FirstOccurrence(const std::vector<uint8_t>& data, const std::vector<uint8_t>& pattern);
