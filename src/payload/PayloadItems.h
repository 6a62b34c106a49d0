// The payload linked into the image: the scrambled key block and every item as a reference to
// its encrypted bytes with the item's stored size.
#pragma once

#include <stdint.h>

struct PayloadItem
{
    const uint8_t* data;   // null: no item (for example a layout slot without a build)
    uint32_t storedSize;
};

const int kLibrarySets = 2;
const int kLayoutVariants = 3;
const int kPlatformSlots = 13;

extern const uint8_t KeyBlock[];
extern const uint32_t KeyBlockLength;

extern const PayloadItem BaseStringsItem;
extern const PayloadItem InstallStringsItem;
extern const PayloadItem LangStringsItems[2];
extern const PayloadItem LicenceTextItems[2];
extern const PayloadItem FileAItem;
extern const PayloadItem FileBItem;
extern const PayloadItem FileDItem;
extern const PayloadItem LayoutLibraryItems[kLibrarySets][kLayoutVariants][kPlatformSlots];
