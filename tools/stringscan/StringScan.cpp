#include "StringScan.h"

#include <ctype.h>
#include <string.h>
#include <stdlib.h>

#include <set>

namespace
{
bool IsIdentChar(char c)
{
    return isalnum((unsigned char)c) || c == '_';
}

std::string Trim(const std::string& s)
{
    size_t a = 0, b = s.size();
    while (a < b && isspace((unsigned char)s[a]))
        ++a;
    while (b > a && isspace((unsigned char)s[b - 1]))
        --b;
    return s.substr(a, b - a);
}

// The text between the bracket at open and its partner, split at top-level commas; end
// receives the partner's offset. False when the brackets do not close.
bool SplitList(const std::string& text, size_t open, std::vector<std::string>& items,
               std::vector<size_t>& starts, size_t& end)
{
    char openChar = text[open];
    char closeChar = openChar == '(' ? ')' : '}';
    int depth = 0;
    items.assign(1, "");
    starts.assign(1, open + 1);
    for (size_t i = open; i < text.size(); ++i)
    {
        char c = text[i];
        if (c == '(' || c == '{' || c == '[')
        {
            if (depth++ == 0 && i == open)
                continue;
        }
        else if (c == ')' || c == '}' || c == ']')
        {
            if (--depth == 0)
            {
                if (c != closeChar)
                    return false;
                end = i;
                return true;
            }
        }
        else if (c == ',' && depth == 1)
        {
            items.push_back("");
            starts.push_back(i + 1);
            continue;
        }
        items.back() += c;
    }
    return false;
}

bool HasToken(const std::string& text, const char* token)
{
    size_t n = strlen(token);
    for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + 1))
    {
        bool before = at == 0 || !IsIdentChar(text[at - 1]);
        bool after = at + n >= text.size() || !IsIdentChar(text[at + n]);
        if (before && after)
            return true;
    }
    return false;
}

// An argument without the casts and parentheses around it: "(StringId)(113 + v)" and
// "static_cast<StringId>(113 + v)" both give "113 + v".
std::string Unwrapped(const std::string& arg)
{
    std::string a = Trim(arg);
    for (int guard = 0; guard < 8; ++guard)
    {
        if (a.compare(0, 12, "static_cast<") == 0)
        {
            size_t open = a.find('(');
            if (open == std::string::npos || a.back() != ')')
                return a;
            a = Trim(a.substr(open + 1, a.size() - open - 2));
            continue;
        }
        if (a.empty() || a[0] != '(')
            return a;
        size_t close = a.find(')');
        std::string inner = Trim(a.substr(1, close - 1));
        bool isType = !inner.empty();
        for (char c : inner)
            isType = isType && (IsIdentChar(c) || c == ':');
        if (isType && !isdigit((unsigned char)inner[0]) && close + 1 < a.size())
            a = Trim(a.substr(close + 1));   // a C-style cast
        else if (close == a.size() - 1)
            a = inner;                       // parentheses around the whole
        else
            return a;
    }
    return a;
}

// A decimal literal, alone or leading a sum ("147 + m_variant"): its value.
bool LeadingLiteral(const std::string& arg, unsigned long& value)
{
    std::string a = Unwrapped(arg);
    size_t i = 0;
    while (i < a.size() && isdigit((unsigned char)a[i]))
        ++i;
    if (i == 0 || (a.size() > 1 && a[0] == '0' && i < a.size() && (a[1] == 'x' || a[1] == 'X')))
        return false;
    std::string rest = Trim(a.substr(i));
    while (!rest.empty() && (rest[0] == 'u' || rest[0] == 'U' || rest[0] == 'l' || rest[0] == 'L'))
        rest = rest.substr(1);
    rest = Trim(rest);
    if (!rest.empty() && rest[0] != '+')
        return false;
    value = strtoul(a.substr(0, i).c_str(), nullptr, 10);
    return true;
}

int LineOf(const std::string& text, size_t offset)
{
    int line = 1;
    for (size_t i = 0; i < offset && i < text.size(); ++i)
        line += text[i] == '\n';
    return line;
}

// Enumerations: the value of every constant, and the enumeration each belongs to.
struct Enums
{
    std::map<std::string, unsigned long> values;
    std::map<std::string, size_t> owner;                 // constant -> enumeration index
    std::vector<std::vector<std::string>> members;       // per enumeration
};

void CollectEnums(const std::string& text, Enums& enums)
{
    for (size_t at = text.find("enum"); at != std::string::npos; at = text.find("enum", at + 1))
    {
        if ((at > 0 && IsIdentChar(text[at - 1])) || IsIdentChar(text[at + 4]))
            continue;
        size_t open = text.find_first_of("{;", at);
        if (open == std::string::npos || text[open] != '{')
            continue;
        std::vector<std::string> items;
        std::vector<size_t> starts;
        size_t end;
        if (!SplitList(text, open, items, starts, end))
            continue;
        enums.members.push_back({});
        unsigned long next = 0;
        for (const std::string& item : items)
        {
            std::string entry = Trim(item);
            if (entry.empty())
                continue;
            size_t eq = entry.find('=');
            std::string name = Trim(entry.substr(0, eq));
            unsigned long value = next;
            if (eq != std::string::npos && !LeadingLiteral(entry.substr(eq + 1), value))
                continue;
            enums.values[name] = value;
            enums.owner[name] = enums.members.size() - 1;
            enums.members.back().push_back(name);
            next = value + 1;
        }
    }
}

// Functions (by name) and the argument positions at which they take a StringId.
typedef std::map<std::string, std::set<size_t>> Signatures;

void CollectSignatures(const std::string& text, Signatures& signatures)
{
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '(' || i == 0)
            continue;
        size_t e = i;
        while (e > 0 && isspace((unsigned char)text[e - 1]))
            --e;
        size_t b = e;
        while (b > 0 && IsIdentChar(text[b - 1]))
            --b;
        if (b == e)
            continue;
        std::vector<std::string> params;
        std::vector<size_t> starts;
        size_t end;
        if (!SplitList(text, i, params, starts, end))
            continue;
        std::string name = text.substr(b, e - b);
        for (size_t p = 0; p < params.size(); ++p)
            if (HasToken(params[p], "StringId"))
                signatures[name].insert(p);
    }
}

void Add(std::map<unsigned long, IdUse>& ids, unsigned long id, const SourceFile& f,
         const std::string& text, size_t offset)
{
    if (!ids.count(id))
        ids[id] = {f.path, LineOf(text, offset)};
}

// Brace-initialised tables of the given type: the value of one column of every row.
void CollectTable(const SourceFile& f, const std::string& text, const char* type, size_t column,
                  std::map<unsigned long, IdUse>& ids)
{
    for (size_t at = text.find(type); at != std::string::npos; at = text.find(type, at + 1))
    {
        if ((at > 0 && IsIdentChar(text[at - 1])) || IsIdentChar(text[at + strlen(type)]))
            continue;
        size_t eq = text.find('=', at);
        size_t semi = text.find(';', at);
        if (eq == std::string::npos || (semi != std::string::npos && semi < eq))
            continue;
        size_t open = text.find_first_not_of(" \t\r\n", eq + 1);
        if (open == std::string::npos || text[open] != '{')
            continue;
        std::vector<std::string> rows;
        std::vector<size_t> rowStarts;
        size_t end;
        if (!SplitList(text, open, rows, rowStarts, end))
            continue;
        for (size_t r = 0; r < rows.size(); ++r)
        {
            size_t rowOpen = text.find('{', rowStarts[r]);
            if (rowOpen == std::string::npos || rowOpen >= end)
                continue;
            std::vector<std::string> cells;
            std::vector<size_t> cellStarts;
            size_t rowEnd;
            unsigned long value;
            if (SplitList(text, rowOpen, cells, cellStarts, rowEnd) && column < cells.size()
                && LeadingLiteral(cells[column], value))
                Add(ids, value, f, text, cellStarts[column]);
        }
    }
}

// "StringId name = 12;" and "StringId names[] = {1, 2};".
void CollectConstants(const SourceFile& f, const std::string& text, std::map<unsigned long, IdUse>& ids)
{
    const char* type = "StringId";
    for (size_t at = text.find(type); at != std::string::npos; at = text.find(type, at + 1))
    {
        if ((at > 0 && IsIdentChar(text[at - 1])) || IsIdentChar(text[at + strlen(type)]))
            continue;
        size_t stop = text.find_first_of(";(),", at);
        size_t eq = text.find('=', at);
        if (eq == std::string::npos || stop == std::string::npos || stop < eq)
            continue;
        size_t value = text.find_first_not_of(" \t\r\n", eq + 1);
        if (value == std::string::npos)
            continue;
        unsigned long id;
        if (text[value] == '{')
        {
            std::vector<std::string> items;
            std::vector<size_t> starts;
            size_t end;
            if (!SplitList(text, value, items, starts, end))
                continue;
            for (size_t k = 0; k < items.size(); ++k)
                if (LeadingLiteral(items[k], id))
                    Add(ids, id, f, text, starts[k]);
        }
        else if (LeadingLiteral(text.substr(value, text.find(';', value) - value), id))
            Add(ids, id, f, text, value);
    }
}
}

std::string BlankCommentsAndLiterals(const std::string& text)
{
    std::string out = text;
    size_t i = 0;
    while (i < out.size())
    {
        if (out.compare(i, 2, "//") == 0)
        {
            while (i < out.size() && out[i] != '\n')
                out[i++] = ' ';
        }
        else if (out.compare(i, 2, "/*") == 0)
        {
            size_t end = out.find("*/", i + 2);
            end = end == std::string::npos ? out.size() : end + 2;
            for (; i < end; ++i)
                if (out[i] != '\n')
                    out[i] = ' ';
        }
        else if (out[i] == '"' || out[i] == '\'')
        {
            char quote = out[i++];
            while (i < out.size() && out[i] != quote && out[i] != '\n')
            {
                if (out[i] == '\\' && i + 1 < out.size())
                    out[i++] = ' ';
                out[i++] = ' ';
            }
            ++i;
        }
        else
            ++i;
    }
    return out;
}

std::map<unsigned long, IdUse> ScanStringIds(const std::vector<SourceFile>& files)
{
    std::vector<std::string> texts;
    Signatures signatures;
    Enums enums;
    for (const SourceFile& f : files)
    {
        texts.push_back(BlankCommentsAndLiterals(f.text));
        CollectSignatures(texts.back(), signatures);
        CollectEnums(texts.back(), enums);
    }
    // An enumeration one of whose constants is passed as a StringId is an enumeration of
    // StringIds: all its constants count.
    std::set<size_t> idEnums;
    std::map<unsigned long, IdUse> ids;
    for (size_t k = 0; k < files.size(); ++k)
    {
        const std::string& text = texts[k];
        for (size_t i = 0; i < text.size(); ++i)
        {
            if (text[i] != '(' || i == 0)
                continue;
            size_t e = i;
            while (e > 0 && isspace((unsigned char)text[e - 1]))
                --e;
            size_t b = e;
            while (b > 0 && IsIdentChar(text[b - 1]))
                --b;
            auto sig = signatures.find(text.substr(b, e - b));
            if (sig == signatures.end())
                continue;
            std::vector<std::string> args;
            std::vector<size_t> starts;
            size_t end;
            if (!SplitList(text, i, args, starts, end))
                continue;
            unsigned long id;
            for (size_t p : sig->second)
            {
                if (p >= args.size())
                    continue;
                if (LeadingLiteral(args[p], id))
                    Add(ids, id, files[k], text, starts[p]);
                auto owner = enums.owner.find(Unwrapped(args[p]));
                if (owner != enums.owner.end() && idEnums.insert(owner->second).second)
                    for (const std::string& name : enums.members[owner->second])
                        Add(ids, enums.values[name], files[k], text, starts[p]);
            }
        }
        CollectTable(files[k], text, "ControlTextEntry", 1, ids);
        CollectTable(files[k], text, "ChoiceEntry", 0, ids);
        CollectTable(files[k], text, "KeyMapEntry", 2, ids);
        CollectConstants(files[k], text, ids);
    }
    return ids;
}
