#include "tests/plugin/code_page.h"

#include <windows.h>

namespace testsupport {

bool UseThreadCodePage(unsigned codePage)
{
    LANGID language = 0;
    switch (codePage) {
    case 0:
        return SetThreadLocale(GetUserDefaultLCID()) != 0;
    case 936:
        language = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
        break;
    case 950:
        language = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL);
        break;
    case 932:
        language = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
        break;
    case 949:
        language = MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT);
        break;
    default:
        return false;
    }
    CPINFOEXA info;
    return SetThreadLocale(MAKELCID(language, SORT_DEFAULT)) &&
           GetCPInfoExA(CP_THREAD_ACP, 0, &info) && info.CodePage == codePage;
}

}  // namespace testsupport
