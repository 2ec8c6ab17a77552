// The cleaner program: no arguments, no window, no output, exit code 1 always.
#include "cleaner/main_sequence.h"
#include "cleaner/resource_cleaner.h"

int main()
{
    cleaner::CResourceCleaner resourceCleaner;
    cleaner::RunCleaner(resourceCleaner);
    return 1;
}
