// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Only regular files open, and nothing that is not one can make the open wait.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

// An open that blocks would hang the test: the alarm ends the process instead. Windows
// opens never wait on a path, so there is nothing to time out there.
#ifdef _WIN32
constexpr const char *DEVICE = "NUL";
void watchdog(unsigned) {}
int processId() { return _getpid(); }
#else
constexpr const char *DEVICE = "/dev/null";
void watchdog(unsigned seconds) { alarm(seconds); }
int processId() { return getpid(); }
#endif

class OpenRegularFile : public testing::Test {
protected:
    void SetUp() override {
        dir = (fs::temp_directory_path() / ("grelvin_platform_" + std::to_string(processId()))).string();
        fs::remove_all(dir);
        fs::create_directories(dir);
        watchdog(20);
    }
    void TearDown() override {
        watchdog(0);
        fs::remove_all(dir);
    }
    // The errno of a refused open, or 0 when it opened.
    static int refusal(const std::string &path, const char *mode) {
        errno = 0;
        std::FILE *file = openRegularFile(path.c_str(), mode);
        if (!file) return errno;
        std::fclose(file);
        return 0;
    }
    std::string dir;
};

}  // namespace

TEST_F(OpenRegularFile, ReadsCreatesAndTruncatesRegularFiles) {
    const std::string path = dir + "/file.txt";
    std::ofstream(path, std::ios::binary) << "old contents\n";
    std::FILE *in = openRegularFile(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    char line[32] = {};
    EXPECT_NE(std::fgets(line, sizeof line, in), nullptr);
    EXPECT_STREQ(line, "old contents\n");
#ifndef _WIN32
    // The stream reads as fopen's would: blocking mode is back after the check.
    EXPECT_EQ(fcntl(fileno(in), F_GETFL) & O_NONBLOCK, 0);
#endif
    std::fclose(in);

    std::FILE *out = openRegularFile(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("new\n", out);
    std::fclose(out);
    EXPECT_EQ(fs::file_size(path), 4u);
    const std::string created = dir + "/created.txt";
    EXPECT_EQ(refusal(created, "w"), 0);
    EXPECT_TRUE(fs::is_regular_file(created));
}

TEST_F(OpenRegularFile, RefusesMissingFilesFoldersAndDevices) {
    EXPECT_EQ(refusal(dir + "/missing", "r"), ENOENT);
    EXPECT_EQ(refusal(dir + "/no/such/folder", "w"), ENOENT);
    EXPECT_EQ(refusal(dir, "r"), EISDIR);
    EXPECT_EQ(refusal(dir, "w"), EISDIR);
    EXPECT_EQ(refusal(DEVICE, "r"), EINVAL);
    EXPECT_EQ(refusal(DEVICE, "w"), EINVAL);
    EXPECT_EQ(refusal(dir + "/file", "x"), EINVAL);  // not a mode
}

TEST_F(OpenRegularFile, SizesOnlyRegularFiles) {
    const std::string path = dir + "/five";
    std::ofstream(path) << "12345";
    EXPECT_EQ(regularFileSize(path.c_str()), std::optional<std::uint64_t>(5));
    EXPECT_EQ(regularFileSize(dir.c_str()), std::nullopt);
    EXPECT_EQ(regularFileSize(DEVICE), std::nullopt);
    EXPECT_EQ(regularFileSize((dir + "/missing").c_str()), std::nullopt);
    EXPECT_EQ(regularFileSize(nullptr), std::nullopt);
}

#ifndef _WIN32
TEST_F(OpenRegularFile, RefusesFifosWithoutWaiting) {
    const std::string fifo = dir + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(refusal(fifo, "r"), EINVAL);  // no writer: a plain open would wait for one
    EXPECT_EQ(refusal(fifo, "w"), ENXIO);   // no reader: the same
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(refusal(fifo, "w"), EINVAL);  // a reader: writes would go to it, not to a file
    close(reader);
}
#endif
