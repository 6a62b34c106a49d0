// The packer's two jobs: build the payload from its sources, and inspect a built image.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

class CPayloadImage;

struct BuildOptions
{
    std::string manifest;
    std::map<std::string, std::string> defines;
    bool seeded = false;   // a fixed seed: the same sources give the same bytes
    uint64_t seed = 0;
};

// Reads the manifest and every source, makes the key block and the items and checks each item
// by reading it back. `inputs` receives every file read. False with "FILE:LINE: problem".
bool BuildPayload(const BuildOptions& options, CPayloadImage& image, std::vector<std::string>& inputs,
                  std::string& error);

// Decodes every item of a built image or blob file into a report of one line per item. With a
// dump folder, writes keyblock.bin and NAME.bin (stored bytes) for each item there. True when
// the payload was found and every item read back.
bool InspectPayload(const std::vector<uint8_t>& file, const std::string& name,
                    const std::string& dumpDir, std::string& report, std::string& error);

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);
// Writes only when the content differs, so an unchanged payload does not rebuild what uses it.
bool WriteFileBytes(const std::string& path, const void* data, size_t size, std::string& error);

int PackerMain(int argc, char** argv);
