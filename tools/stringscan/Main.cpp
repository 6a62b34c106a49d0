// stringscan: lists the StringIds that the program's sources ask for.
//
//   stringscan OUT DIR...
//
// Reads every .h and .cpp file below the given folders and writes one line per id to OUT:
// "id<TAB>file:line" of the first place that asks for it, in ascending order of id.
#include "StringScan.h"

#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        fprintf(stderr, "usage: stringscan OUT DIR...\n");
        return 2;
    }
    std::vector<SourceFile> files;
    for (int a = 2; a < argc; ++a)
    {
        std::error_code error;
        std::vector<std::filesystem::path> paths;
        for (auto it = std::filesystem::recursive_directory_iterator(argv[a], error);
             !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        {
            std::string ext = it->path().extension().string();
            if (it->is_regular_file() && (ext == ".h" || ext == ".cpp"))
                paths.push_back(it->path());
        }
        if (error)
        {
            fprintf(stderr, "stringscan: %s: %s\n", argv[a], error.message().c_str());
            return 1;
        }
        std::sort(paths.begin(), paths.end());
        for (const auto& p : paths)
        {
            std::ifstream in(p, std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            files.push_back({p.string(), text.str()});
        }
    }
    std::ostringstream out;
    for (const auto& [id, use] : ScanStringIds(files))
        out << id << '\t' << use.path << ':' << use.line << '\n';
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file)
    {
        fprintf(stderr, "stringscan: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
