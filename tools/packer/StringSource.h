// The source form of a string table: UTF-8 text, one entry per line.
//
//   id<TAB>text        id in decimal (0 to 4294967295); the text runs to the end of the line
//                      with the escapes \n \t \r \\ ; any other backslash is an error
//   # comment          a line starting with '#'
//   #encoding utf-16   later entries become UTF-16 records ("#encoding utf-8" switches back;
//                      UTF-8 records are the default)
//
// Blank lines are skipped, CR LF line ends and a leading byte-order mark are accepted.
#pragma once

#include <string>
#include <vector>

class CStringTableBuilder;

// Adds every entry of `text` to `table`. On failure returns false with "NAME:LINE: problem" in
// `error`, NAME being the name given for the source.
bool ParseStringSource(const std::string& text, const std::string& name, CStringTableBuilder& table,
                       std::string& error);

// The lines of a source without their line ends and without a leading byte-order mark.
std::vector<std::string> SplitSourceLines(const std::string& text);
