// The platform layer for the debug log with the executable's folder, the times and the
// debugger output faked; INI files and log files are real.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "plugin/log/log_file.h"
#include "plugin/platform/platform.h"

// 2010-05-01 09:30:00.123 as a local file time.
constexpr std::uint64_t kStart = 116444736000000000ULL + 1272706200ULL * 10000000ULL + 1230000;

class FakeLogPlatform : public lumarin::Platform {
public:
    explicit FakeLogPlatform(const std::filesystem::path& folder) : folder_(folder)
    {
        lumarin::UsePlatform(this);
        lumarin::ResetLogFileState();
    }
    ~FakeLogPlatform() override
    {
        lumarin::UsePlatform(nullptr);
        lumarin::ResetLogFileState();
    }

    char Separator() const override { return system_.Separator(); }
    std::string ExecutablePath() override { return (folder_ / "host.exe").string(); }
    int ReadIniInt(const std::string& file, const char* section, const char* key,
                   int fallback) override
    {
        return system_.ReadIniInt(file, section, key, fallback);
    }
    void DebugOutput(const char* line) override { debugLines.emplace_back(line); }
    void ErrorOutput(const char* text) override { errorText += text; }
    std::uint64_t ProcessStartTime() override { return start; }
    std::tm LocalNow() override
    {
        std::tm now{};
        now.tm_year = 110;
        now.tm_mon = 4;
        now.tm_mday = 1;
        now.tm_hour = 9;
        now.tm_min = 30;
        return now;
    }
    std::unique_ptr<lumarin::LogFile> OpenLogFile(const std::string& path) override
    {
        return system_.OpenLogFile(path);
    }

    std::uint64_t start = kStart;
    std::vector<std::string> debugLines;
    std::string errorText;  // what went to standard error only

private:
    std::filesystem::path folder_;
    lumarin::Platform& system_ = lumarin::SystemPlatform();
};

