// A read-only view of a PE image file (a DLL as it lies on disk): the headers, the sections
// and the export directory, enough to follow a keyboard-layout library's descriptor to its
// tables. Every read is bounds-checked; a malformed image gives false or -1, never a crash.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

struct PeSection
{
    std::string name;
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawOffset;
    uint32_t rawSize;
    uint32_t characteristics;
};

class CPeImage
{
public:
    // Parses the headers of a copy of the bytes; false when they are not a PE image.
    bool Parse(const std::vector<uint8_t>& bytes);

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    bool Is64() const { return m_is64; }
    uint16_t Machine() const { return m_machine; }
    uint16_t Characteristics() const { return m_characteristics; }
    uint64_t ImageBase() const { return m_imageBase; }
    uint32_t EntryPoint() const { return m_entryPoint; }
    uint16_t Subsystem() const { return m_subsystem; }
    uint16_t SubsystemMajor() const { return m_subsystemMajor; }
    uint16_t SubsystemMinor() const { return m_subsystemMinor; }
    uint16_t OsMajor() const { return m_osMajor; }
    uint16_t OsMinor() const { return m_osMinor; }
    const std::vector<PeSection>& Sections() const { return m_sections; }
    // Data directory i (0 export, 1 import, 2 resource, 5 base relocation): rva and size.
    bool DataDirectory(int index, uint32_t& rva, uint32_t& size) const;
    // Names of the DLLs the import directory lists (empty for a library without imports).
    std::vector<std::string> ImportedLibraries() const;

    // File offset of an address relative to the image base, or -1 outside every section's
    // file data.
    long RvaToOffset(uint64_t rva) const;
    // File offset of an absolute address (the library's pointers hold those: the image is
    // read as linked, at its preferred base).
    long VaToOffset(uint64_t va) const;
    // Address (rva) of the named export, or 0.
    uint32_t FindExport(const char* name) const;

    // Little-endian reads at a file offset; false when out of range.
    bool U8(long offset, uint8_t& value) const;
    bool U16(long offset, uint16_t& value) const;
    bool U32(long offset, uint32_t& value) const;
    bool U64(long offset, uint64_t& value) const;
    // A pointer of the image's width.
    bool Pointer(long offset, uint64_t& value) const;
    bool AsciiZ(long offset, std::string& text) const;

private:
    std::vector<uint8_t> m_bytes;
    bool m_is64 = false;
    uint16_t m_machine = 0;
    uint16_t m_characteristics = 0;
    uint64_t m_imageBase = 0;
    uint32_t m_entryPoint = 0;
    uint16_t m_subsystem = 0;
    uint16_t m_subsystemMajor = 0;
    uint16_t m_subsystemMinor = 0;
    uint16_t m_osMajor = 0;
    uint16_t m_osMinor = 0;
    std::vector<uint32_t> m_directories;   // rva, size pairs
    std::vector<PeSection> m_sections;
};

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);
