// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A FIFO where the engine expects a file: as the book, a tablebase, the ini file, a test
// file or the output of randpos. Opening or reading one would wait for a partner that
// never comes; the engine must treat it as a file it cannot open and go on answering.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/xboard/xboard_session.h"

namespace {

namespace fs = std::filesystem;

// Long enough for a loaded machine, short enough that an engine stuck on a FIFO fails
// the test soon.
constexpr auto DEADLINE = 10s;

// Makes a FIFO at path; the test fails if it cannot.
void makeFifo(const std::string &path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << path; }

// A temporary folder for the FIFOs of one test, removed with everything in it.
class FifoFolder {
public:
    FifoFolder() {
        static int serial = 0;
        path_ = (fs::temp_directory_path() /
                 ("grelvin_fifos_" + std::to_string(getpid()) + "_" + std::to_string(serial++)))
                    .string();
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~FifoFolder() { fs::remove_all(path_); }
    const std::string &path() const { return path_; }
    // A FIFO of that name in the folder; its full path.
    std::string fifo(const std::string &name) const {
        const std::string full = path_ + "/" + name;
        makeFifo(full);
        return full;
    }

private:
    std::string path_;
};

// "ping" answered: the engine did not stay inside the command before it.
bool answers(EngineSession &e) {
    const size_t before = e.lines().size();
    e.sync(DEADLINE);
    return e.lines().size() > before && e.lines().back().rfind("pong ", 0) == 0;
}

}  // namespace

TEST(SpecialFiles, FifoAsBookIsNoBook) {
    FifoFolder folder;
    const std::string book = folder.fifo("book.bin");
    EngineSession e({}, SMALL_TABLES + "bookFilePath = " + book + "\n");
    e.send("xboard");
    e.send("new");
    e.send("sd 3");
    e.send("go");
    EXPECT_TRUE(e.waitFor(isMoveLine, DEADLINE)) << "no move without the book";
    e.send("quit");
    EXPECT_EQ(e.waitExit(DEADLINE), 0);
}

TEST(SpecialFiles, FifoAsTablebaseFileIsAMissingFile) {
    FifoFolder folder;
    folder.fifo("kqk.gtb.cp4");
    EngineSession e({}, SMALL_TABLES);
    e.send("xboard");
    e.send("egtpath gaviota " + folder.path());
    ASSERT_TRUE(answers(e)) << "egtpath stuck on the FIFO";
    e.send("setboard 8/8/8/4k3/8/8/8/KQ6 w - - 0 1");
    e.send("sd 4");
    e.send("go");
    EXPECT_TRUE(e.waitFor(isMoveLine, DEADLINE)) << "no move in a KQK position";
    e.send("quit");
    EXPECT_EQ(e.waitExit(DEADLINE), 0);
}

TEST(SpecialFiles, FifoAsIniFileIsSkipped) {
    EngineSession e({}, {}, [](const std::string &dir) { makeFifo(dir + "/grelvin.ini"); });
    e.send("xboard");
    EXPECT_TRUE(answers(e)) << "the engine did not start";
    e.send("quit");
    EXPECT_EQ(e.waitExit(DEADLINE), 0);
}

TEST(SpecialFiles, FifoAsTestFileCannotBeOpened) {
    FifoFolder folder;
    const std::string file = folder.fifo("positions.epd");
    EngineSession e({}, SMALL_TABLES);
    e.send("xboard");
    e.sync(DEADLINE);
    e.send("test " + file);
    ASSERT_TRUE(answers(e)) << "test stuck on the FIFO";
    const auto &l = e.lines();
    EXPECT_NE(std::find(l.begin(), l.end(), "# ERROR: failed to open file \"" + file + "\" for reading"), l.end());
}

// Without a reader a FIFO opened for writing waits for one; with a reader the FENs
// would vanish into it. Both are refused as the file cannot be written.
TEST(SpecialFiles, FifoAsRandposOutputCannotBeOpened) {
    FifoFolder folder;
    const std::string file = folder.fifo("fens.txt");
    EngineSession e({}, SMALL_TABLES);
    e.send("xboard");
    e.sync(DEADLINE);
    const std::string error = "# ERROR: failed to open file \"" + file + "\" for writing";
    e.send("randpos 3 " + file);
    ASSERT_TRUE(answers(e)) << "randpos stuck on a FIFO without a reader";
    EXPECT_EQ(e.lines()[e.lines().size() - 2].rfind(error, 0), 0u) << e.lines()[e.lines().size() - 2];

    const int reader = open(file.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    e.send("randpos 3 " + file);
    ASSERT_TRUE(answers(e));
    EXPECT_EQ(e.lines()[e.lines().size() - 2].rfind(error, 0), 0u) << e.lines()[e.lines().size() - 2];
    char buffer[256];
    EXPECT_LE(read(reader, buffer, sizeof buffer), 0) << "FENs written into the FIFO";
    close(reader);
}
