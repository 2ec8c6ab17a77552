// The module-wide side of the debug log: the log mode, file path and executable folder,
// each worked out once per process, and the writing of finished lines to the log file.
#pragma once

#include <cstdint>
#include <string>

namespace lumarin {

// "Config\Debug.ini" (with the platform's separator) in the folder of the executable path
// read into a buffer of 243 characters; relative when that path cannot be read or does not
// fit.
std::string DebugIniPath();

// Appends `line` to the log file as "Log2File" in section "Base" says: 0 no file, 1 one
// file per process run, 2 "Log.log" reset at each new run; other values no file. The Log
// folder is never created; a file that cannot be opened (or memory that runs out) skips the
// file silently.
void WriteLogFile(const char* line);
// The log file's path for the current mode; "" for a mode without file.
const std::string& GetLogFilePath();
// The process creation time as a local file time.
std::uint64_t GetProcessStartTime();
// The executable's folder, without a trailing separator.
const std::string& GetExeDir();

// Forgets what was worked out, as a new process would (for tests).
void ResetLogFileState();

}  // namespace lumarin
