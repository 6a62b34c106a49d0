// The machine state the install and uninstall sequences leave, seen from the Windows-side
// tests: the installer object prepared as the run step prepares it, and readers of the files,
// links, record values, layout key and pending renames it checks.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "WinTestUtil.h"
#include "app/Install.h"

// Prepares `install` as the run step does before the wizard: payload, platform, paths, the
// scan-code map and the record. False when the payload cannot be read.
bool PrepareInstaller(CInstall& install);

WText WideOf(const GString& s);
std::string Utf8Of(const WText& text);
WText TextOf(CInstall& install, StringId id);

// The product's places, composed from its texts.
struct ProductPlaces
{
    WText recordPath;     // record key, relative to HKLM, as a 32-bit process names it
    WText vendorPath;     // its parent below SOFTWARE
    WText sharedPath;
    WText productPath;
    WText layoutsPath;    // the keyboard layouts key
    WText layoutPath;     // the product's layout key below it
    WText library32;      // the layout library's system copies
    WText libraryNative;
    WText togglePath;     // below HKCU
};
ProductPlaces PlacesOf(CInstall& install);

// Registry values below HKLM; `view` selects the registry view. Missing: type REG_NONE.
struct RegValue
{
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
    WText Text() const;
    uint32_t Number() const;
};
RegValue ReadRegValue(HKEY root, const WText& path, const WText& name, REGSAM view);
bool WriteRegNumber(HKEY root, const WText& path, const WText& name, uint32_t value, REGSAM view);
bool WriteRegText(HKEY root, const WText& path, const WText& name, const WText& text, REGSAM view);
bool RegKeyExists(HKEY root, const WText& path, REGSAM view);

// The decoded bytes of a payload item.
std::string ItemBytes(CInstall& install, const uint8_t* item, uint32_t storedSize);

// Pending renames: a move of `source` over `target`.
bool IsPendingMove(const WText& source, const WText& target);
int CountPendingRenames();

// The sequence helper program built beside the tests.
WText SequenceHelperPath();
