#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "x_session.h"

namespace {

const std::string program = PELMORA_PROGRAM;
const std::string dataFolder = PELMORA_DATA_DIR;

constexpr double startSeconds = 60.0;
constexpr double exitSeconds = 30.0;

// How long a damaged program must keep running before it is asked to close.
constexpr auto runningTime = std::chrono::milliseconds(1500);

enum class Damage { missing, empty, truncated, noise };

struct BadFile {
    std::string path;
    Damage damage;
};

std::string damageName(Damage damage)
{
    switch (damage) {
    case Damage::missing: return "Missing";
    case Damage::empty: return "Empty";
    case Damage::truncated: return "Truncated";
    case Damage::noise: return "Noise";
    }
    return "Unknown";
}

// The data files this build reads.
std::vector<std::string> dataFiles()
{
    std::vector<std::string> files = {"texture/water.jpg"};
#ifdef PELMORA_WITH_BASIN
    files.insert(files.end(), {"texture/boden1.jpg", "texture/boden2.jpg", "textures/wall.jpg"});
#endif
#ifdef PELMORA_WITH_MODEL
    files.insert(files.end(), {"texture/boden1.JPG", "3DModel/julii.wrl"});
#endif
    return files;
}

std::vector<BadFile> badFiles()
{
    std::vector<BadFile> cases;
    for (const std::string& file : dataFiles()) {
        for (Damage damage : {Damage::missing, Damage::empty, Damage::truncated, Damage::noise}) {
            cases.push_back({file, damage});
        }
    }
    return cases;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// A copy of the data folder with one file damaged.
std::string damagedCopy(const BadFile& bad)
{
    const std::string folder = ::testing::TempDir() + "pelmora-bad-" + std::to_string(getpid());
    EXPECT_EQ(std::system(("rm -rf '" + folder + "' && cp -r '" + dataFolder + "' '" + folder + "'").c_str()), 0)
        << "cannot copy " << dataFolder << " to " << folder;
    const std::string target = folder + "/" + bad.path;
    const std::string original = readAll(target);
    std::remove(target.c_str());
    if (bad.damage == Damage::missing) {
        return folder;
    }
    std::ofstream out(target, std::ios::binary);
    if (bad.damage == Damage::truncated) {
        out << original.substr(0, original.size() / 2);
    } else if (bad.damage == Damage::noise) {
        std::mt19937 random(7);
        std::string noise(original.size(), '\0');
        for (char& byte : noise) {
            byte = static_cast<char>(random() & 0xFF);
        }
        out << noise;
    }
    return folder;
}

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BadFile& bad, std::ostream* out)
{
    *out << damageName(bad.damage) << " " << bad.path;
}

class BadData : public ::testing::TestWithParam<BadFile> {};

}

TEST_P(BadData, ProgramStillRunsAndClosesWithStatusZero)
{
    const std::string folder = damagedCopy(GetParam());
    Display* display = openVirtualDisplay();
    ASSERT_NE(display, nullptr);
    const pid_t pid = startProgram(program, folder, virtualDisplay());
    const Window window = waitForWindow(display, "Pel Mora", startSeconds);
    int status = 0;
    if (window == 0) {
        const bool ended = waitForExit(pid, status, 0.0);
        if (!ended) {
            stopProgram(pid);
        }
        XCloseDisplay(display);
        FAIL() << "no window; the program " << (ended ? "ended" : "hung");
    }
    std::this_thread::sleep_for(runningTime);
    const bool endedEarly = waitForExit(pid, status, 0.0);
    if (!endedEarly) {
        requestClose(display, window);
    }
    const bool ended = endedEarly || waitForExit(pid, status, exitSeconds);
    if (!ended) {
        stopProgram(pid);
    }
    XCloseDisplay(display);
    EXPECT_EQ(std::system(("rm -rf '" + folder + "'").c_str()), 0) << "cannot remove " << folder;
    EXPECT_FALSE(endedEarly) << "the program ended before it was closed";
    ASSERT_TRUE(ended) << "still running after the close request";
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

INSTANTIATE_TEST_SUITE_P(EachDataFile, BadData, ::testing::ValuesIn(badFiles()),
    [](const ::testing::TestParamInfo<BadFile>& param) {
        std::string name = damageName(param.param.damage);
        for (char c : param.param.path) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });
