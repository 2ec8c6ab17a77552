// The scene configuration reader on arbitrary bytes.
#include "fuzz/fuzz_installation.h"

#include <cstddef>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string path = FuzzInstallation::Instance().Write("Config.xml", data, size);
    cleaner::CResourceCleaner cleaner;
    cleaner.ParseSceneConfig(path);
    return 0;
}
