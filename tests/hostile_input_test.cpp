#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/jpeg_header.h"
#include "support/pool.h"
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

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

#ifdef PELMORA_WITH_MODEL
std::string vrml(const std::string& body)
{
    return "#VRML V2.0 utf8\n" + body + "\n";
}

std::string repeated(const std::string& piece, int times)
{
    std::string all;
    for (int n = 0; n < times; ++n) {
        all += piece;
    }
    return all;
}

// Ten uses of the level below on each of eleven levels: 10^11 spheres to draw.
std::string useBomb()
{
    std::string body = "DEF L0 Shape { geometry Sphere {} }\n";
    for (int level = 1; level <= 11; ++level) {
        body += "DEF L" + std::to_string(level) + " Group { children [ " + repeated("USE L" + std::to_string(level - 1) + " ", 10) + "] }\n";
    }
    return vrml(body);
}

// The same with prototypes, whose every instance is a copy: 10^11 boxes to build.
std::string protoBomb()
{
    std::string body = "PROTO P0 [] { Shape { geometry Box {} } }\n";
    for (int level = 1; level <= 11; ++level) {
        body += "PROTO P" + std::to_string(level) + " [] { Group { children [ " + repeated("P" + std::to_string(level - 1) + " {} ", 10) + "] } }\n";
    }
    return vrml(body + "P11 {}");
}
#endif

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
    {"FifoModel", "3DModel/julii.wrl", [](const std::string& target) { mkfifo(target.c_str(), 0600); }, "./3DModel/julii.wrl"},
    {"ModelInlinesItself", "3DModel/julii.wrl", [](const std::string& target) { writeFile(target, vrml("Inline { url \"julii.wrl\" }")); },
        "julii.wrl"},
    {"ModelsInlineEachOther", "3DModel/julii.wrl",
        [](const std::string& target) {
            writeFile(target, vrml("Inline { url \"other.wrl\" }"));
            writeFile(fs::path(target).replace_filename("other.wrl"), vrml("Inline { url \"julii.wrl\" }"));
        },
        "other.wrl"},
    {"ModelNests100000Levels", "3DModel/julii.wrl",
        [](const std::string& target) { writeFile(target, vrml(repeated("Group { children [ ", 100000) + repeated("] } ", 100000))); },
        "./3DModel/julii.wrl"},
    {"ModelFaceIndexBeyondItsCoordinates", "3DModel/julii.wrl",
        [](const std::string& target) {
            writeFile(target, vrml("Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 0 1 0 ] } coordIndex [ 0, 1, 7, -1 ] } }"));
        },
        "./3DModel/julii.wrl"},
    {"ModelUseBomb", "3DModel/julii.wrl", [](const std::string& target) { writeFile(target, useBomb()); }, "./3DModel/julii.wrl"},
    {"ModelProtoBomb", "3DModel/julii.wrl", [](const std::string& target) { writeFile(target, protoBomb()); }, "./3DModel/julii.wrl"},
#endif
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const HostileFile& hostile, std::ostream* out)
{
    *out << hostile.name;
}

// A data folder of links to the real files, with the one file of the case made anew.
std::string hostileDataFolder(const HostileFile& hostile)
{
    const std::string folder = linkedDataFolder(dataFolder, "pelmora-hostile");
    const fs::path target = fs::path(folder) / hostile.path;
    fs::remove(target);
    hostile.make(target.string());
    return folder;
}

// The lines the program itself wrote: they begin with its name.
std::vector<std::string> ownLines(const std::string& errors)
{
    std::vector<std::string> lines;
    std::istringstream in(errors);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(programName + ": ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

class HostileData : public ProgramWindowTest, public ::testing::WithParamInterface<HostileFile> {
protected:
    void TearDown() override
    {
        ProgramWindowTest::TearDown();
        fs::remove_all(folder);
        fs::remove(errorsFile);
    }
    std::string folder;
    std::string errorsFile;
};

}

TEST_P(HostileData, FileIsLeftOutWithOneLineAndTheProgramRunsAndClosesWithStatusZero)
{
    const HostileFile& hostile = GetParam();
    folder = hostileDataFolder(hostile);
    errorsFile = folder + ".errors";
    ChildSpec launch = onTestDisplay(program, folder);
    launch.errorsPath = errorsFile;
    ASSERT_TRUE(start(launch, hostileWindowSeconds)) << "no window within " << hostileWindowSeconds << " s";
    EXPECT_TRUE(keepsDrawing(drawingSeconds)) << "the program " << (running() ? "stopped drawing" : "ended");
    int status = 0;
    ASSERT_TRUE(closeAndWait(status)) << "still running after the close request";
    const std::string errors = fileBytes(errorsFile);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << errors;
    const std::vector<std::string> lines = ownLines(errors);
    ASSERT_EQ(lines.size(), 1u) << "lines of the program's own: " << ::testing::PrintToString(lines);
    const std::string expectedStart = programName + ": " + hostile.named + ": ";
    EXPECT_EQ(lines[0].rfind(expectedStart, 0), 0u) << lines[0] << "\n does not begin with " << expectedStart;
    EXPECT_EQ(lines[0].substr(lines[0].size() - 10), "; left out") << lines[0];
}

INSTANTIATE_TEST_SUITE_P(EachHostileFile, HostileData, ::testing::ValuesIn(hostileFiles),
    [](const ::testing::TestParamInfo<HostileFile>& param) { return std::string(param.param.name); });

namespace {

struct HostileLaunch {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<std::string> settings;
};

const HostileLaunch hostileLaunches[] = {
    {"DeadDisplayArgument", {"-display", ":4093"}, {}},        // a display number no server listens on
    {"BogusPlatformArgument", {"-platform", "bogus"}, {}},
    {"BogusPlatformEnvironment", {}, {"QT_QPA_PLATFORM=bogus"}},
    {"HugeGeometry", {"-geometry", "100000x100000"}, {}},
    {"HugeGeometryWithTwoDashes", {"--geometry", "40000x100"}, {}},
};

class HostileLaunchTest : public ::testing::TestWithParam<HostileLaunch> {};

void PrintTo(const HostileLaunch& launch, std::ostream* out)
{
    *out << launch.name;
}

}

TEST_P(HostileLaunchTest, ProgramEndsWithStatusOneAndOneLine)
{
    const HostileLaunch& hostile = GetParam();
    ChildSpec launch = onTestDisplay(program, dataFolder);
    launch.arguments.insert(launch.arguments.end(), hostile.arguments.begin(), hostile.arguments.end());
    launch.environment = hostile.settings;
    const ProgramRun run = runProgram(launch);
    EXPECT_EQ(run.status, 1) << "-1: ended by a signal";
    const std::vector<std::string> lines = ownLines(run.errors);
    EXPECT_EQ(lines.size(), 1u) << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
}

INSTANTIATE_TEST_SUITE_P(EachHostileLaunch, HostileLaunchTest, ::testing::ValuesIn(hostileLaunches),
    [](const ::testing::TestParamInfo<HostileLaunch>& param) { return std::string(param.param.name); });
