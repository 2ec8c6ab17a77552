// A temporary installation folder for the reader fuzz targets: each input is written to a
// file in it and read back through the cleaner's own readers.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cleaner/resource_cleaner.h"
#include "tests/cleaner/installed_platform.h"

class FuzzInstallation {
public:
    FuzzInstallation()
        : root_(std::filesystem::temp_directory_path() /
                ("lumarin-fuzz-" + std::to_string(getpid()))),
          petsoc_(root_ / "common" / "petsoc"),
          platform_(root_.string())
    {
        std::filesystem::create_directories(petsoc_);
    }
    ~FuzzInstallation()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // Writes the input as `fileName` below "common/petsoc" and gives its full path.
    std::string Write(const char* fileName, const std::uint8_t* data, std::size_t size)
    {
        std::filesystem::path file = petsoc_ / fileName;
        std::ofstream(file, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return file.string();
    }

    // One installation per fuzz process, removed when the process ends.
    static FuzzInstallation& Instance()
    {
        static FuzzInstallation installation;
        return installation;
    }

private:
    std::filesystem::path root_;
    std::filesystem::path petsoc_;
    InstalledPlatform platform_;
};
