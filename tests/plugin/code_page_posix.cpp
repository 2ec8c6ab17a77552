#include "tests/plugin/code_page.h"

namespace testsupport {

bool UseThreadCodePage(unsigned codePage)
{
    return codePage == 0;
}

}  // namespace testsupport
