// The payload manifest: which source makes which item.
//
//   # comment
//   ITEM  KIND  PATH
//
// ITEM is an item name (BaseStringsItem, LangStringsItems0, LicenceTextItems1, FileAItem,
// LayoutLibraryItems_<set>_<variant>_<slot>, ...), KIND is `strings` (a string-table source,
// the item's extra value is its entry count) or `file` (the bytes of the file as they are).
// PATH is the rest of the line; it may use ${NAME} for a value given to the packer, and a
// relative path is taken from the manifest's folder. Fields are separated by spaces or tabs.
// A string table may be listed on several lines: its entries are gathered from every source
// (an id given twice is an error); any other item is listed once.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ManifestEntry
{
    int index;          // catalogue index of the item
    bool strings;       // a string-table source, else a file taken as it is
    std::string path;   // resolved
    int line;
};

bool ParseManifest(const std::string& text, const std::string& name, const std::string& folder,
                   const std::map<std::string, std::string>& defines,
                   std::vector<ManifestEntry>& entries, std::string& error);
