// Finds the StringIds that the program's sources ask for: integer literals passed where a
// function takes a StringId, the text columns of the control-text and choice tables, the label
// column of the key table, and StringId constants. A source scanner, not a compiler: it knows
// the program's conventions (numbers written as decimal literals, tables as brace lists).
#pragma once

#include <map>
#include <string>
#include <vector>

struct SourceFile
{
    std::string path;
    std::string text;
};

struct IdUse
{
    std::string path;
    int line = 0;
};

// Every id found, with the first place that asks for it.
std::map<unsigned long, IdUse> ScanStringIds(const std::vector<SourceFile>& files);

// The text with comments blanked and the contents of string and character literals blanked
// (line breaks kept, so that offsets and line numbers stay).
std::string BlankCommentsAndLiterals(const std::string& text);
