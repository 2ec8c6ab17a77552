// A unique temporary folder per test, removed with everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "tests/support/process.h"

namespace testsupport {

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        std::string name = "lumarin-test-" + std::to_string(random()) + std::to_string(random());
        root_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(root_);
    }

    void TearDown() override { RemoveTree(root_); }

    // Removes a tree whatever its files' permissions, never following links.
    static void RemoveTree(const std::filesystem::path& folder)
    {
        namespace fs = std::filesystem;
        if (DeleteTreeUnderWine(folder.string()))
            return;
        std::error_code ignored;
        for (fs::recursive_directory_iterator it(folder, ignored), end; it != end;
             it.increment(ignored)) {
            if (!it->is_symlink())
                fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add,
                                ignored);
        }
        fs::remove_all(folder, ignored);
    }

    std::filesystem::path Root() const { return root_; }

    // Writes a file of `size` bytes (or with `text`), creating its folders.
    static void WriteFile(const std::filesystem::path& path, std::uintmax_t size)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out << std::string(static_cast<std::size_t>(size), 'x');
    }
    static void WriteText(const std::filesystem::path& path, const std::string& text)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    static std::string ReadText(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path root_;
};

}  // namespace testsupport
