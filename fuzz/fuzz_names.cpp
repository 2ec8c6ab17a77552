// Manifest file names and resource names on arbitrary text.
#include "fuzz/fuzz_installation.h"

#include <cstddef>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInstallation::Instance();
    std::string text(reinterpret_cast<const char*>(data), size);
    cleaner::CResourceCleaner::VersionFromFileName(text);
    std::string path = cleaner::CResourceCleaner::NormalizeResPath(text);
    if (path.find('/') != std::string::npos)
        std::abort();  // every separator comes out as the platform's own ('\\' here)
    return 0;
}
