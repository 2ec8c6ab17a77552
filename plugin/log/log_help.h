// LogHelpImpl: one object's trace switches and log prefix. Trace lines go to the debugger
// and, as configured, to the log file:
//   "%Y/%m/%d %H:%M:%S TRACE:<prefix> <message>\r\n", at most 1,022 characters.
// The switches come from section "Lumarin" of "Config\Debug.ini" beside the executable.
#pragma once

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "plugin/log/log_file.h"
#include "plugin/platform/platform.h"

template <class T>
class LogHelpImpl {
public:
    // Reads the three switches (once, at construction); an empty prefix becomes "Lumarin".
    void LoadLogSwitches()
    {
        lumarin::Platform& platform = lumarin::CurrentPlatform();
        const std::string ini = lumarin::DebugIniPath();
        ShowVerboseInfo = platform.ReadIniInt(ini, "Lumarin", "ShowVerboseInfo", 0) != 0;
        ShowTraceInfo = platform.ReadIniInt(ini, "Lumarin", "ShowTraceInfo", 0) != 0;
        ShowErrorInfo = platform.ReadIniInt(ini, "Lumarin", "ShowErrorInfo", 0) != 0;
        if (logPrefix_.empty())
            logPrefix_ = "Lumarin";
    }

    // Writes one trace line when ShowTraceInfo is on; printf-style arguments.
    void Trace(const char* format, ...)
    {
        if (!ShowTraceInfo || !format)
            return;
        std::tm now = lumarin::CurrentPlatform().LocalNow();
        char time[512];
        std::strftime(time, sizeof time, "%Y/%m/%d %H:%M:%S", &now);
        char pattern[kLineCapacity];
        std::snprintf(pattern, sizeof pattern, "%s:%s %s\r\n", "TRACE", logPrefix_.c_str(),
                      format);
        char message[kLineCapacity];
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(message, sizeof message, pattern, arguments);
        va_end(arguments);
        // "<time> <message>", cut silently at 1,022 characters, closing "\r\n" included.
        char line[kLineCapacity];
        std::size_t used = std::strlen(time);
        std::memcpy(line, time, used);
        line[used++] = ' ';
        const std::size_t length = std::min(std::strlen(message), sizeof line - 1 - used);
        std::memcpy(line + used, message, length);
        line[used + length] = '\0';
        lumarin::CurrentPlatform().DebugOutput(line);
        lumarin::WriteLogFile(line);
    }

protected:
    static constexpr std::size_t kLineCapacity = 1023;  // 1,022 characters and the NUL

    std::int32_t ShowVerboseInfo = 0;
    std::int32_t ShowTraceInfo = 0;
    std::int32_t ShowErrorInfo = 0;
    std::string logPrefix_;
};
