#include "PeImage.h"

#include <stdio.h>

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    uint8_t chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof(chunk), f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool CPeImage::U8(long offset, uint8_t& value) const
{
    if (offset < 0 || (size_t)offset >= m_bytes.size())
        return false;
    value = m_bytes[offset];
    return true;
}

bool CPeImage::U16(long offset, uint16_t& value) const
{
    if (offset < 0 || (size_t)offset + 2 > m_bytes.size())
        return false;
    value = (uint16_t)(m_bytes[offset] | m_bytes[offset + 1] << 8);
    return true;
}

bool CPeImage::U32(long offset, uint32_t& value) const
{
    uint16_t lo, hi;
    if (!U16(offset, lo) || !U16(offset + 2, hi))
        return false;
    value = lo | (uint32_t)hi << 16;
    return true;
}

bool CPeImage::U64(long offset, uint64_t& value) const
{
    uint32_t lo, hi;
    if (!U32(offset, lo) || !U32(offset + 4, hi))
        return false;
    value = lo | (uint64_t)hi << 32;
    return true;
}

bool CPeImage::Pointer(long offset, uint64_t& value) const
{
    if (m_is64)
        return U64(offset, value);
    uint32_t v;
    if (!U32(offset, v))
        return false;
    value = v;
    return true;
}

bool CPeImage::AsciiZ(long offset, std::string& text) const
{
    text.clear();
    for (;;)
    {
        uint8_t c;
        if (!U8(offset++, c))
            return false;
        if (c == 0)
            return true;
        text += (char)c;
    }
}

bool CPeImage::Parse(const std::vector<uint8_t>& bytes)
{
    m_bytes = bytes;
    m_sections.clear();
    m_directories.clear();
    uint16_t mz;
    uint32_t peOffset, signature;
    if (!U16(0, mz) || mz != 0x5A4D || !U32(0x3C, peOffset) || !U32(peOffset, signature)
        || signature != 0x00004550)
        return false;
    long coff = (long)peOffset + 4;
    uint16_t sectionCount, optionalSize, magic;
    if (!U16(coff, m_machine) || !U16(coff + 2, sectionCount) || !U16(coff + 16, optionalSize)
        || !U16(coff + 18, m_characteristics))
        return false;
    long opt = coff + 20;
    if (!U16(opt, magic) || (magic != 0x10B && magic != 0x20B))
        return false;
    m_is64 = magic == 0x20B;
    bool ok = U32(opt + 16, m_entryPoint) && U16(opt + 40, m_osMajor) && U16(opt + 42, m_osMinor)
        && U16(opt + 48, m_subsystemMajor) && U16(opt + 50, m_subsystemMinor)
        && U16(opt + 68, m_subsystem);
    if (m_is64)
        ok = ok && U64(opt + 24, m_imageBase);
    else
    {
        uint32_t base;
        ok = ok && U32(opt + 28, base);
        m_imageBase = base;
    }
    uint32_t directoryCount;
    long directories = opt + (m_is64 ? 108 : 92);
    if (!ok || !U32(directories, directoryCount) || directoryCount > 16)
        return false;
    for (uint32_t i = 0; i < directoryCount; ++i)
    {
        uint32_t rva, size;
        if (!U32(directories + 4 + 8 * i, rva) || !U32(directories + 8 + 8 * i, size))
            return false;
        m_directories.push_back(rva);
        m_directories.push_back(size);
    }
    long table = opt + optionalSize;
    for (int i = 0; i < sectionCount; ++i)
    {
        long at = table + 40L * i;
        PeSection s;
        char name[9] = {0};
        for (int k = 0; k < 8; ++k)
        {
            uint8_t c;
            if (!U8(at + k, c))
                return false;
            name[k] = (char)c;
        }
        s.name = name;
        if (!U32(at + 8, s.virtualSize) || !U32(at + 12, s.virtualAddress)
            || !U32(at + 16, s.rawSize) || !U32(at + 20, s.rawOffset)
            || !U32(at + 36, s.characteristics))
            return false;
        m_sections.push_back(s);
    }
    return true;
}

bool CPeImage::DataDirectory(int index, uint32_t& rva, uint32_t& size) const
{
    rva = size = 0;
    if (index < 0 || (size_t)(2 * index + 1) >= m_directories.size())
        return false;
    rva = m_directories[2 * index];
    size = m_directories[2 * index + 1];
    return true;
}

long CPeImage::RvaToOffset(uint64_t rva) const
{
    for (const PeSection& s : m_sections)
    {
        uint32_t extent = s.virtualSize < s.rawSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && rva < (uint64_t)s.virtualAddress + extent)
        {
            uint64_t offset = s.rawOffset + (rva - s.virtualAddress);
            return offset < m_bytes.size() ? (long)offset : -1;
        }
    }
    return -1;
}

long CPeImage::VaToOffset(uint64_t va) const
{
    if (va < m_imageBase)
        return -1;
    return RvaToOffset(va - m_imageBase);
}

uint32_t CPeImage::FindExport(const char* name) const
{
    uint32_t rva, size;
    if (!DataDirectory(0, rva, size) || rva == 0)
        return 0;
    long dir = RvaToOffset(rva);
    uint32_t functionCount, nameCount, functions, names, ordinals;
    if (dir < 0 || !U32(dir + 20, functionCount) || !U32(dir + 24, nameCount)
        || !U32(dir + 28, functions) || !U32(dir + 32, names) || !U32(dir + 36, ordinals))
        return 0;
    for (uint32_t i = 0; i < nameCount; ++i)
    {
        uint32_t nameRva;
        std::string text;
        if (!U32(RvaToOffset(names) + 4L * i, nameRva) || !AsciiZ(RvaToOffset(nameRva), text))
            return 0;
        if (text != name)
            continue;
        uint16_t ordinal;
        uint32_t address;
        if (!U16(RvaToOffset(ordinals) + 2L * i, ordinal) || ordinal >= functionCount
            || !U32(RvaToOffset(functions) + 4L * ordinal, address))
            return 0;
        return address;
    }
    return 0;
}

std::vector<std::string> CPeImage::ImportedLibraries() const
{
    std::vector<std::string> names;
    uint32_t rva, size;
    if (!DataDirectory(1, rva, size) || rva == 0)
        return names;
    long at = RvaToOffset(rva);
    for (int i = 0; i < 256; ++i, at += 20)
    {
        uint32_t lookup, nameRva, thunks;
        if (!U32(at, lookup) || !U32(at + 12, nameRva) || !U32(at + 16, thunks))
            break;
        if (lookup == 0 && nameRva == 0 && thunks == 0)
            break;
        std::string text;
        AsciiZ(RvaToOffset(nameRva), text);
        names.push_back(text);
    }
    return names;
}
