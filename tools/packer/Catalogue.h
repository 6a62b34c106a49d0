// The names of the payload items, as the manifest and the packer's reports use them, numbered
// in a fixed order: the string tables, the licence texts, the three documents, then the layout
// libraries set by set, variant by variant, slot by slot.
#pragma once

#include <string>

const int kCatalogueFixedItems = 9;
const int kCatalogueItems = kCatalogueFixedItems + 2 * 3 * 13;

std::string CatalogueName(int index);
// -1 for a name that is not an item.
int CatalogueIndex(const std::string& name);
// The item's PayloadItem as generated source refers to it ("LangStringsItems[1]").
std::string CatalogueSymbol(int index);
// The four string tables come first: the items the installer cannot start without, and the
// only ones made from string-table sources.
inline bool IsStringTableItem(int index)
{
    return index >= 0 && index < 4;
}
// The index of a layout-library slot.
int LayoutLibraryIndex(int set, int variant, int slot);
