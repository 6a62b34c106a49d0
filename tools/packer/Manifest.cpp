#include "Manifest.h"

#include "Catalogue.h"
#include "StringSource.h"

namespace {

bool Fail(std::string& error, const std::string& name, int line, const std::string& what)
{
    error = name + ":" + std::to_string(line) + ": " + what;
    return false;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

// Splits off the next field; the rest starts after the spaces that follow it.
std::string NextField(const std::string& line, size_t& pos)
{
    while (pos < line.size() && IsSpace(line[pos]))
        ++pos;
    size_t start = pos;
    while (pos < line.size() && !IsSpace(line[pos]))
        ++pos;
    return line.substr(start, pos - start);
}

bool Expand(const std::string& in, const std::map<std::string, std::string>& defines,
            std::string& out, std::string& problem)
{
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '$' || i + 1 >= in.size() || in[i + 1] != '{') {
            out += in[i];
            continue;
        }
        size_t close = in.find('}', i + 2);
        if (close == std::string::npos) {
            problem = "unterminated ${ in path";
            return false;
        }
        std::string var = in.substr(i + 2, close - i - 2);
        auto it = defines.find(var);
        if (it == defines.end()) {
            problem = "${" + var + "} is not defined (packer --define " + var + "=VALUE)";
            return false;
        }
        out += it->second;
        i = close;
    }
    return true;
}

} // namespace

bool ParseManifest(const std::string& text, const std::string& name, const std::string& folder,
                   const std::map<std::string, std::string>& defines,
                   std::vector<ManifestEntry>& entries, std::string& error)
{
    std::map<int, int> firstLine;   // item -> its first entry
    std::vector<std::string> lines = SplitSourceLines(text);
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        int lineNo = (int)n + 1;
        size_t pos = 0;
        std::string item = NextField(line, pos);
        if (item.empty() || item[0] == '#')
            continue;
        std::string kind = NextField(line, pos);
        while (pos < line.size() && IsSpace(line[pos]))
            ++pos;
        std::string path = line.substr(pos);
        while (!path.empty() && IsSpace(path.back()))
            path.pop_back();

        int index = CatalogueIndex(item);
        if (index < 0)
            return Fail(error, name, lineNo, "unknown item '" + item + "'");
        if (kind != "strings" && kind != "file")
            return Fail(error, name, lineNo, "unknown kind '" + kind + "' (strings or file)");
        if (path.empty())
            return Fail(error, name, lineNo, "no source path for " + item);
        // A string table may gather several sources, one line each; any other item has one.
        auto seen = firstLine.find(index);
        bool strings = kind == "strings";
        if (seen != firstLine.end() && !(strings && entries[(size_t)seen->second].strings))
            return Fail(error, name, lineNo,
                        "item " + item + " listed twice (first on line " +
                            std::to_string(entries[(size_t)seen->second].line) + ")");
        std::string resolved;
        std::string problem;
        if (!Expand(path, defines, resolved, problem))
            return Fail(error, name, lineNo, problem);
        if (resolved.empty())
            return Fail(error, name, lineNo, "source path of " + item + " is empty");
        if (resolved[0] != '/' && !folder.empty())
            resolved = folder + "/" + resolved;

        ManifestEntry e;
        e.index = index;
        e.strings = strings;
        e.path = resolved;
        e.line = lineNo;
        if (seen == firstLine.end())
            firstLine[index] = (int)entries.size();
        entries.push_back(e);
    }
    return true;
}
