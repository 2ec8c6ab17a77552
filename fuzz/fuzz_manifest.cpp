// The manifest readers on arbitrary bytes: read as the current manifest, then as an
// outdated one compared against it.
#include "fuzz/fuzz_installation.h"

#include <cstddef>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInstallation& installation = FuzzInstallation::Instance();
    std::string path = installation.Write("PetCommunityRes_57.xml", data, size);
    cleaner::CResourceCleaner cleaner;
    cleaner.localVersion = 57;
    cleaner.LoadCurrentManifest();
    cleaner.ParseOldManifest(path);
    return 0;
}
