// The cleaner program: no arguments, no window, no output, exit code 1 always.
#include "main_sequence.h"
#include "resource_cleaner.h"

int main()
{
    cleaner::CResourceCleaner resourceCleaner;
    cleaner::RunCleaner(resourceCleaner);
    return 1;
}
