#include "Catalogue.h"

#include "payload/PayloadItems.h"

static_assert(kCatalogueItems == kCatalogueFixedItems + kLibrarySets * kLayoutVariants * kPlatformSlots,
              "the catalogue covers every layout-library slot");

namespace {

const char* const kFixedNames[kCatalogueFixedItems] = {
    "BaseStringsItem",   "InstallStringsItem", "LangStringsItems0",
    "LangStringsItems1", "LicenceTextItems0",  "LicenceTextItems1",
    "FileAItem",         "FileBItem",          "FileDItem",
};

const char* const kFixedSymbols[kCatalogueFixedItems] = {
    "BaseStringsItem",     "InstallStringsItem",  "LangStringsItems[0]",
    "LangStringsItems[1]", "LicenceTextItems[0]", "LicenceTextItems[1]",
    "FileAItem",           "FileBItem",           "FileDItem",
};

void SplitLibraryIndex(int index, int& set, int& variant, int& slot)
{
    int k = index - kCatalogueFixedItems;
    slot = k % kPlatformSlots;
    variant = k / kPlatformSlots % kLayoutVariants;
    set = k / (kPlatformSlots * kLayoutVariants);
}

} // namespace

int LayoutLibraryIndex(int set, int variant, int slot)
{
    return kCatalogueFixedItems + (set * kLayoutVariants + variant) * kPlatformSlots + slot;
}

std::string CatalogueName(int index)
{
    if (index < 0 || index >= kCatalogueItems)
        return std::string();
    if (index < kCatalogueFixedItems)
        return kFixedNames[index];
    int set, variant, slot;
    SplitLibraryIndex(index, set, variant, slot);
    return "LayoutLibraryItems_" + std::to_string(set) + "_" + std::to_string(variant) + "_" +
           std::to_string(slot);
}

std::string CatalogueSymbol(int index)
{
    if (index < 0 || index >= kCatalogueItems)
        return std::string();
    if (index < kCatalogueFixedItems)
        return kFixedSymbols[index];
    int set, variant, slot;
    SplitLibraryIndex(index, set, variant, slot);
    return "LayoutLibraryItems[" + std::to_string(set) + "][" + std::to_string(variant) + "][" +
           std::to_string(slot) + "]";
}

int CatalogueIndex(const std::string& name)
{
    for (int i = 0; i < kCatalogueItems; ++i)
        if (CatalogueName(i) == name)
            return i;
    return -1;
}
