// The NPC list reader on arbitrary bytes.
#include "fuzz/fuzz_installation.h"

#include <cstddef>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string path = FuzzInstallation::Instance().Write("NpcList.xml", data, size);
    cleaner::CResourceCleaner cleaner;
    cleaner.ParseNpcList(path);
    return 0;
}
