// A platform that hands every call to another one: the base of platforms that change a
// few of its answers (the dry run; tests that move the installation folder).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cleaner/platform/platform.h"

namespace cleaner {

class ForwardingPlatform : public Platform {
public:
    // `next` is borrowed and must outlive this platform.
    explicit ForwardingPlatform(Platform& next) : next_(next) {}

    char Separator() const override { return next_.Separator(); }
    std::string NameKey(const std::string& name) const override { return next_.NameKey(name); }
    bool ListProcessNames(std::vector<std::string>& names) override
    {
        return next_.ListProcessNames(names);
    }
    std::string CommonAppDataFolder() override { return next_.CommonAppDataFolder(); }
    std::string ModuleFileName() override { return next_.ModuleFileName(); }
    bool IsDirectory(const std::string& path) override { return next_.IsDirectory(path); }
    std::unique_ptr<Folder> OpenRoot(const std::string& path, const char* purpose) override
    {
        return next_.OpenRoot(path, purpose);
    }
    void PauseMilliseconds(unsigned milliseconds) override
    {
        next_.PauseMilliseconds(milliseconds);
    }
    bool ReadSharedText(const std::string& name, std::size_t maxBytes,
                        std::string& text) override
    {
        return next_.ReadSharedText(name, maxBytes, text);
    }
    bool WriteIniValue(const std::string& file, const std::string& section,
                       const std::string& key, const std::string& value) override
    {
        return next_.WriteIniValue(file, section, key, value);
    }
    bool CanWriteIniValue(const std::string& file) override
    {
        return next_.CanWriteIniValue(file);
    }
    void Write(Stream stream, const std::string& text) override { next_.Write(stream, text); }

protected:
    Platform& next_;
};

}  // namespace cleaner
