#pragma once

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string_view>

#include <gtest/gtest.h>

namespace quorvel::testing {

// A private directory tree that the tests fill with resource files.
class TempTree {
public:
    TempTree() { EXPECT_TRUE(dir_.isValid()); }

    std::filesystem::path root() const { return dir_.path().toStdString(); }

    std::filesystem::path write(const std::filesystem::path &relative, std::string_view content) {
        const std::filesystem::path file = root() / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(content.data(), static_cast<std::streamsize>(content.size()));
        return file;
    }

    std::filesystem::path makeDirectory(const std::filesystem::path &relative) {
        std::filesystem::create_directories(root() / relative);
        return root() / relative;
    }

private:
    QTemporaryDir dir_;
};

} // namespace quorvel::testing
