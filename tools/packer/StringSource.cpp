#include "StringSource.h"

#include <map>
#include <vector>

#include "StringTableBuilder.h"

namespace {

bool Fail(std::string& error, const std::string& name, int line, const std::string& what)
{
    error = name + ":" + std::to_string(line) + ": " + what;
    return false;
}

bool ParseId(const std::string& s, uint32_t& id)
{
    if (s.empty() || s.size() > 10)
        return false;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (uint64_t)(c - '0');
    }
    if (v > 0xFFFFFFFFu)
        return false;
    id = (uint32_t)v;
    return true;
}

// Replaces the escapes; false with the offending escape in `bad`.
bool Unescape(const std::string& in, std::string& out, std::string& bad)
{
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        if (i + 1 == in.size()) {
            bad = "\\ at the end of the line";
            return false;
        }
        char c = in[++i];
        switch (c) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default:
            bad = std::string("\\") + c;
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<std::string> SplitSourceLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

bool ParseStringSource(const std::string& text, const std::string& name, CStringTableBuilder& table,
                       std::string& error)
{
    bool wide = false;
    std::map<uint32_t, int> firstLine;
    std::vector<std::string> lines = SplitSourceLines(text);
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        int lineNo = (int)n + 1;
        if (line.empty())
            continue;
        if (line[0] == '#') {
            if (line.compare(0, 10, "#encoding ") != 0)
                continue;
            std::string enc = line.substr(10);
            if (enc == "utf-8")
                wide = false;
            else if (enc == "utf-16")
                wide = true;
            else
                return Fail(error, name, lineNo, "unknown encoding '" + enc + "' (utf-8 or utf-16)");
            continue;
        }

        size_t tab = line.find('\t');
        if (tab == std::string::npos)
            return Fail(error, name, lineNo, "no tab between id and text");
        uint32_t id;
        if (!ParseId(line.substr(0, tab), id))
            return Fail(error, name, lineNo, "bad id '" + line.substr(0, tab) + "' (decimal, 0 to 4294967295)");
        std::string value;
        std::string bad;
        if (!Unescape(line.substr(tab + 1), value, bad))
            return Fail(error, name, lineNo, "bad escape " + bad + " (known: \\n \\t \\r \\\\)");
        if (!CStringTableBuilder::IsValidUtf8(value))
            return Fail(error, name, lineNo, "text is not valid UTF-8");
        auto seen = firstLine.find(id);
        if (seen != firstLine.end())
            return Fail(error, name, lineNo,
                        "duplicate id " + std::to_string(id) + " (first on line " + std::to_string(seen->second) + ")");
        if (table.Has(id))
            return Fail(error, name, lineNo,
                        "duplicate id " + std::to_string(id) + " (already given by an earlier source of the table)");
        if (!table.Add(id, value, wide))
            return Fail(error, name, lineNo, "id " + std::to_string(id) + " cannot be added to the table");
        firstLine[id] = lineNo;
    }
    return true;
}
