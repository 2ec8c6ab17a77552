// LogHelpImpl: the trace switches and log prefix of one object.
#pragma once

#include <cstdint>
#include <string>

template <class T>
class LogHelpImpl {
public:
    // Reads the switches once; an empty prefix becomes "Lumarin".
    void LoadLogSwitches()
    {
        if (logPrefix_.empty())
            logPrefix_ = "Lumarin";
    }

protected:
    std::int32_t ShowVerboseInfo = 0;
    std::int32_t ShowTraceInfo = 0;
    std::int32_t ShowErrorInfo = 0;
    std::string logPrefix_;
};
