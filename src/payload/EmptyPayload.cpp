#include "PayloadItems.h"

// The image before a payload is packed into it: no key block and no items, so the installer's
// initialisation fails at its first step and the program ends silently.
const uint8_t KeyBlock[1] = {0};
const uint32_t KeyBlockLength = 0;

const PayloadItem BaseStringsItem = {nullptr, 0};
const PayloadItem InstallStringsItem = {nullptr, 0};
const PayloadItem LangStringsItems[2] = {};
const PayloadItem LicenceTextItems[2] = {};
const PayloadItem FileAItem = {nullptr, 0};
const PayloadItem FileBItem = {nullptr, 0};
const PayloadItem FileDItem = {nullptr, 0};
const PayloadItem LayoutLibraryItems[kLibrarySets][kLayoutVariants][kPlatformSlots] = {};
