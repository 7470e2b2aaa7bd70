#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/program_window.h"

namespace fs = std::filesystem;

namespace {

// A damaged program must go on drawing for at least this long before it is closed.
constexpr double drawingSeconds = 10.0;

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

// Fills the folder with links to the real data files, and one file damaged in place of its link.
void damage(const BadFile& bad, const std::string& folder)
{
    linkData(PELMORA_DATA_DIR, folder);
    const fs::path target = fs::path(folder) / bad.path;
    const std::string original = fileBytes(target);
    fs::remove(target);
    if (bad.damage == Damage::missing) {
        return;
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
    const TemporaryFolder folder;
    damage(GetParam(), folder.path);
    RunningProgram program(onTestDisplay(PELMORA_PROGRAM, folder.path));
    ASSERT_NE(program.window, 0u) << "no window; the program " << (program.running() ? "hung" : "ended");
    ASSERT_TRUE(program.keepsDrawing(drawingSeconds)) << "the program " << (program.running() ? "stopped drawing" : "ended");
    ASSERT_TRUE(program.closeAndWait()) << "still running after the close request";
    const int status = program.child.status();
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
