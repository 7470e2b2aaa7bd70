#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "support/child.h"
#include "support/hostile_models.h"
#include "support/jpeg_header.h"
#include "support/program_window.h"

namespace {

namespace fs = std::filesystem;

const std::string program = PELMORA_PROGRAM;
const std::string programName = PELMORA_PROGRAM_NAME;
const std::string dataFolder = PELMORA_DATA_DIR;

// A hostile file costs the program at most the model check's time limit before its window.
constexpr double hostileWindowSeconds = 20.0;

// The program must go on drawing for at least this long before it is closed.
constexpr double drawingSeconds = 10.0;

struct HostileFile {
    const char* name;
    const char* path;                          // relative to the data folder
    void (*make)(const std::string& target);
    const char* named;                         // the file that the refusal line names
};

const std::string waterPath = "texture/water.jpg";

const HostileFile hostileFiles[] = {
    {"FifoTexture", "texture/water.jpg", [](const std::string& target) { mkfifo(target.c_str(), 0600); }, "./texture/water.jpg"},
    {"DirectoryTexture", "texture/water.jpg", [](const std::string& target) { fs::create_directory(target); }, "./texture/water.jpg"},
    {"TextureHeaderClaims60000Square", "texture/water.jpg",
        [](const std::string& target) { writeFile(target, jpegClaiming(dataFolder + "/" + waterPath, 60000, 60000)); }, "./texture/water.jpg"},
#ifdef PELMORA_WITH_MODEL
    // A model that crashes the checker's reader; the others are checked without a window (ModelCheck).
    {"ModelNests100000Levels", "3DModel/julii.wrl", [](const std::string& target) { writeFile(target, nestedModel(100000)); },
        "./3DModel/julii.wrl"},
#endif
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const HostileFile& hostile, std::ostream* out)
{
    *out << hostile.name;
}

// Fills the folder with links to the real data files, and the one file of the case made anew.
void makeHostile(const HostileFile& hostile, const std::string& folder)
{
    linkData(dataFolder, folder);
    const fs::path target = fs::path(folder) / hostile.path;
    fs::remove(target);
    hostile.make(target.string());
}

class HostileData : public ::testing::TestWithParam<HostileFile> {};

}

TEST_P(HostileData, FileIsLeftOutWithOneLineAndTheProgramRunsAndClosesWithStatusZero)
{
    const HostileFile& hostile = GetParam();
    const TemporaryFolder folder;
    makeHostile(hostile, folder.path);
    RunningProgram pool(onTestDisplay(program, folder.path), hostileWindowSeconds);
    ASSERT_NE(pool.window, 0u) << "no window within " << hostileWindowSeconds << " s";
    EXPECT_TRUE(pool.keepsDrawing(drawingSeconds)) << "the program " << (pool.running() ? "stopped drawing" : "ended");
    ASSERT_TRUE(pool.closeAndWait()) << "still running after the close request";
    const int status = pool.child.status();
    const std::string errors = pool.child.errors();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << errors;
    const std::vector<std::string> lines = ownLines(errors, programName);
    ASSERT_EQ(lines.size(), 1u) << "lines of the program's own: " << ::testing::PrintToString(lines);
    const std::string expectedStart = programName + ": " + hostile.named + ": ";
    EXPECT_EQ(lines[0].rfind(expectedStart, 0), 0u) << lines[0] << "\n does not begin with " << expectedStart;
    EXPECT_EQ(lines[0].substr(lines[0].size() - 10), "; left out") << lines[0];
}

INSTANTIATE_TEST_SUITE_P(EachHostileFile, HostileData, ::testing::ValuesIn(hostileFiles),
    [](const ::testing::TestParamInfo<HostileFile>& param) { return std::string(param.param.name); });
