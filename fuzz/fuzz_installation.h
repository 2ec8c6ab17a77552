// An installation held in memory for the reader fuzz targets: each input becomes a file of
// the fake platform and is read back through the cleaner's own readers, with no disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cleaner/pass/resource_cleaner.h"
#include "tests/cleaner/fake_platform.h"

class FuzzInstallation {
public:
    // Stores the input as `fileName` below "common/petsoc" and gives its full path.
    std::string Write(const char* fileName, const std::uint8_t* data, std::size_t size)
    {
        std::string path = "C:\\Pet\\common\\petsoc\\" + std::string(fileName);
        platform_.AddText(path, std::string(reinterpret_cast<const char*>(data), size));
        return path;
    }

    // One installation per fuzz process.
    static FuzzInstallation& Instance()
    {
        static FuzzInstallation installation;
        return installation;
    }

private:
    FakePlatform platform_;
};
