#include "Packer.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "Catalogue.h"
#include "ItemBuilder.h"
#include "KeyBlockMaker.h"
#include "Manifest.h"
#include "PayloadImage.h"
#include "StringSource.h"
#include "StringTableBuilder.h"
#include "payload/Guard.h"
#include "payload/ItemReader.h"

namespace {

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void Usage()
{
    fprintf(stderr,
            "usage: packer build MANIFEST --out FILE.cpp [--blob FILE] [--depfile FILE]\n"
            "                    [--seed N] [--define NAME=VALUE]...\n"
            "       packer inspect FILE [--dump DIR]\n");
}

std::string DepfileEscape(const std::string& path)
{
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#')
            out += '\\';
        if (c == '$')
            out += '$';
        out += c;
    }
    return out;
}

int Build(int argc, char** argv)
{
    BuildOptions options;
    std::string out, blob, depfile;
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--out" && hasValue) {
            out = argv[++i];
        } else if (a == "--blob" && hasValue) {
            blob = argv[++i];
        } else if (a == "--depfile" && hasValue) {
            depfile = argv[++i];
        } else if (a == "--seed" && hasValue) {
            char* end = nullptr;
            options.seed = strtoull(argv[++i], &end, 0);
            if (!end || *end) {
                fprintf(stderr, "packer: --seed needs a number\n");
                return 1;
            }
            options.seeded = true;
        } else if (a == "--define" && hasValue) {
            std::string d = argv[++i];
            size_t eq = d.find('=');
            if (eq == std::string::npos || eq == 0) {
                fprintf(stderr, "packer: --define needs NAME=VALUE\n");
                return 1;
            }
            options.defines[d.substr(0, eq)] = d.substr(eq + 1);
        } else if (!a.empty() && a[0] != '-' && options.manifest.empty()) {
            options.manifest = a;
        } else {
            Usage();
            return 1;
        }
    }
    if (options.manifest.empty() || out.empty()) {
        Usage();
        return 1;
    }

    CPayloadImage image;
    std::vector<std::string> inputs;
    std::string error;
    if (!BuildPayload(options, image, inputs, error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::string source = image.Source(options.manifest);
    if (!WriteFileBytes(out, source.data(), source.size(), error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!blob.empty()) {
        std::vector<uint8_t> bytes = image.BlobFile();
        if (!WriteFileBytes(blob, bytes.data(), bytes.size(), error)) {
            fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    if (!depfile.empty()) {
        std::string d = DepfileEscape(out) + ":";
        for (const std::string& input : inputs)
            d += " \\\n  " + DepfileEscape(input);
        d += "\n";
        if (!WriteFileBytes(depfile, d.data(), d.size(), error)) {
            fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    printf("packer: %d items (%d stored) from %s\n", image.ItemCount(), image.StoredCount(),
           options.manifest.c_str());
    return 0;
}

int Inspect(int argc, char** argv)
{
    std::string file, dump;
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--dump" && i + 1 < argc)
            dump = argv[++i];
        else if (!a.empty() && a[0] != '-' && file.empty())
            file = a;
        else {
            Usage();
            return 1;
        }
    }
    if (file.empty()) {
        Usage();
        return 1;
    }
    std::vector<uint8_t> bytes;
    std::string error, report;
    if (!ReadFileBytes(file, bytes, error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    bool ok = InspectPayload(bytes, file, dump, report, error);
    fputs(report.c_str(), stdout);
    if (!error.empty())
        fprintf(stderr, "%s\n", error.c_str());
    return ok ? 0 : 1;
}

} // namespace

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ": cannot open: " + strerror(errno);
        return false;
    }
    bytes.clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    bool failed = ferror(f) != 0;
    fclose(f);
    if (failed) {
        error = path + ": read error";
        return false;
    }
    return true;
}

bool WriteFileBytes(const std::string& path, const void* data, size_t size, std::string& error)
{
    std::vector<uint8_t> old;
    std::string ignored;
    if (ReadFileBytes(path, old, ignored) && old.size() == size &&
        (size == 0 || memcmp(old.data(), data, size) == 0))
        return true;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        error = path + ": cannot create: " + strerror(errno);
        return false;
    }
    bool ok = fwrite(data, 1, size, f) == size;
    ok = fclose(f) == 0 && ok;
    if (!ok) {
        error = path + ": write error";
        remove(path.c_str());
    }
    return ok;
}

bool BuildPayload(const BuildOptions& options, CPayloadImage& image, std::vector<std::string>& inputs,
                  std::string& error)
{
    std::vector<uint8_t> manifestBytes;
    if (!ReadFileBytes(options.manifest, manifestBytes, error))
        return false;
    inputs.push_back(options.manifest);
    std::vector<ManifestEntry> entries;
    if (!ParseManifest(std::string(manifestBytes.begin(), manifestBytes.end()), options.manifest,
                       FolderOf(options.manifest), options.defines, entries, error))
        return false;

    std::vector<bool> listed(kCatalogueItems, false);
    for (const ManifestEntry& e : entries) {
        listed[(size_t)e.index] = true;
        if (e.strings != IsStringTableItem(e.index)) {
            error = options.manifest + ":" + std::to_string(e.line) + ": " + CatalogueName(e.index) +
                    (e.strings ? " is not a string table (kind file)" : " is a string table (kind strings)");
            return false;
        }
    }
    for (int index = 0; index < kCatalogueItems; ++index) {
        if (IsStringTableItem(index) && !listed[(size_t)index]) {
            error = options.manifest + ": " + CatalogueName(index) +
                    " is not listed; the installer cannot start without it";
            return false;
        }
    }

    CByteSource random;
    CByteSource seeded(options.seed);
    std::vector<uint8_t> block, key;
    if (!MakeKeyBlock(options.seeded ? seeded : random, block, key, error))
        return false;
    image.SetKeyBlock(block);
    CGuard guard;
    guard.Load(block.data(), (int)block.size());

    // Every source first; a string table gathers the entries of all its sources.
    std::map<int, CStringTableBuilder> tables;
    std::map<int, std::vector<uint8_t>> files;
    std::map<int, int> firstLine;
    for (const ManifestEntry& e : entries) {
        std::vector<uint8_t> bytes;
        std::string readError;
        if (!ReadFileBytes(e.path, bytes, readError)) {
            error = options.manifest + ":" + std::to_string(e.line) + ": " + readError;
            return false;
        }
        inputs.push_back(e.path);
        firstLine.insert(std::make_pair(e.index, e.line));
        if (e.strings) {
            if (!ParseStringSource(std::string(bytes.begin(), bytes.end()), e.path, tables[e.index], error))
                return false;
        } else {
            files[e.index] = bytes;
        }
    }

    for (const auto& item : firstLine) {
        int index = item.first;
        std::vector<uint8_t> content;
        uint32_t extra = 0;
        if (IsStringTableItem(index)) {
            const CStringTableBuilder& table = tables[index];
            if (table.Count() == 0) {
                error = options.manifest + ":" + std::to_string(item.second) + ": " +
                        CatalogueName(index) + " has no entries";
                return false;
            }
            content = table.Build();
            extra = (uint32_t)table.Count();
        } else {
            content = files[index];
        }
        std::vector<uint8_t> stored = BuildItem(key.data(), (int)key.size(), content.data(),
                                                content.size(), extra);
        // Read every item back the way the installer will before it goes anywhere.
        uint32_t size = (uint32_t)stored.size();
        uint32_t readExtra = 0;
        uint8_t* back = guard.ReadItem(stored.data(), size, &readExtra);
        bool same = back && size == content.size() && readExtra == extra &&
                    (size == 0 || memcmp(back, content.data(), size) == 0);
        free(back);
        if (!same) {
            error = options.manifest + ":" + std::to_string(item.second) + ": " + CatalogueName(index) +
                    " does not read back";
            return false;
        }
        image.SetItem(index, stored);
    }
    return true;
}

bool InspectPayload(const std::vector<uint8_t>& file, const std::string& name,
                    const std::string& dumpDir, std::string& report, std::string& error)
{
    LocatedPayload found;
    if (!LocatePayload(file, found, error)) {
        error = name + ": " + error;
        return false;
    }
    CGuard guard;
    if (!guard.Load(found.keyBlock.data(), (int)found.keyBlock.size())) {
        error = name + ": the key block does not load";
        return false;
    }
    char line[256];
    snprintf(line, sizeof(line), "%s: payload at 0x%zx, key block at 0x%zx, %zu items\n", name.c_str(),
             found.blobOffset, found.keyOffset, found.items.size());
    report += line;

    if (!dumpDir.empty()) {
        mkdir(dumpDir.c_str(), 0777);
        if (!WriteFileBytes(dumpDir + "/keyblock.bin", found.keyBlock.data(), found.keyBlock.size(), error))
            return false;
    }
    int failed = 0;
    for (const LocatedItem& item : found.items) {
        uint8_t* content = nullptr;
        PayloadHeader header = {};
        ItemCheck check = DecodeItem(guard.Key(), guard.KeyLength(), file.data() + item.offset,
                                     item.storedSize, &content, &header);
        free(content);
        std::string itemName = CatalogueName(item.index);
        if (check == kItemOk)
            snprintf(line, sizeof(line), "%-28s stored %9u  raw %9u  OK\n", itemName.c_str(),
                     item.storedSize, header.rawLength);
        else
            snprintf(line, sizeof(line), "%-28s stored %9u  raw %9s  FAILED: %s\n", itemName.c_str(),
                     item.storedSize, "-", ItemCheckName(check));
        report += line;
        failed += check != kItemOk;
        if (!dumpDir.empty() &&
            !WriteFileBytes(dumpDir + "/" + itemName + ".bin", file.data() + item.offset,
                            item.storedSize, error))
            return false;
    }
    if (failed)
        snprintf(line, sizeof(line), "%d of %zu items FAILED\n", failed, found.items.size());
    else
        snprintf(line, sizeof(line), "all %zu items OK\n", found.items.size());
    report += line;
    return failed == 0;
}

int PackerMain(int argc, char** argv)
{
    if (argc < 2) {
        Usage();
        return 1;
    }
    std::string command = argv[1];
    if (command == "build")
        return Build(argc - 2, argv + 2);
    if (command == "inspect")
        return Inspect(argc - 2, argv + 2);
    Usage();
    return 1;
}
