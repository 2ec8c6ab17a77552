// The calling thread's ANSI code page, switched as a client running in another language has
// it, so that the code pages of such clients can be tried in one test program.
#pragma once

namespace testsupport {

// Makes `codePage` (936, 950, 932 or 949) the thread's; 0 restores the process's own. False
// where the system has no such thing (POSIX: narrow text is always UTF-8).
bool UseThreadCodePage(unsigned codePage);

}  // namespace testsupport
