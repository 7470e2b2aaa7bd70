#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>

#include <Inventor/VRMLnodes/SoVRMLGroup.h>

#include "scenery/model_file.h"
#include "support/hostile_models.h"
#include "support/pool.h"

#ifdef PELMORA_WITH_MODEL

namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

// A model that the program must leave out, or read without what it inlines.
struct HostileModel {
    const char* name;
    void (*make)(const std::string& target);
    const char* named;    // what the one line names: an inlined file, or the model itself when null
    bool partlyRead;      // the rest of the model is read, without the inline
};

const HostileModel hostileModels[] = {
    {"FifoModel", [](const std::string& target) { mkfifo(target.c_str(), 0600); }, nullptr, false},
    {"ModelInlinesItself", [](const std::string& target) { writeFile(target, vrmlModel("Inline { url \"julii.wrl\" }")); },
        "julii.wrl", true},
    {"ModelsInlineEachOther",
        [](const std::string& target) {
            writeFile(target, vrmlModel("Inline { url \"other.wrl\" }"));
            writeFile(fs::path(target).replace_filename("other.wrl"), vrmlModel("Inline { url \"julii.wrl\" }"));
        },
        "other.wrl", true},
    {"ModelNests100000Levels", [](const std::string& target) { writeFile(target, nestedModel(100000)); }, nullptr, false},
    {"ModelFaceIndexBeyondItsCoordinates",
        [](const std::string& target) {
            writeFile(target, vrmlModel("Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 0 1 0 ] } "
                                        "coordIndex [ 0, 1, 7, -1 ] } }"));
        },
        nullptr, false},
    {"ModelUseBomb", [](const std::string& target) { writeFile(target, useBombModel()); }, nullptr, false},
    {"ModelProtoBomb", [](const std::string& target) { writeFile(target, protoBombModel()); }, nullptr, false},
};

void PrintTo(const HostileModel& model, std::ostream* out)
{
    *out << model.name;
}

// What the call writes to standard error, which goes to a file meanwhile.
std::string standardErrorOf(const std::function<void()>& call)
{
    char path[] = "/tmp/pelmora-model-errors-XXXXXX";
    const int file = mkstemp(path);
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(file, STDERR_FILENO);
    call();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(file);
    const std::string errors = fileBytes(path);
    unlink(path);
    return errors;
}

class ModelCheck : public ::testing::TestWithParam<HostileModel> {
protected:
    void SetUp() override
    {
        initScene();
        folder = ::testing::TempDir() + "pelmora-model-check-" + std::to_string(getpid());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string folder;
};

}

// The check runs in a process of its own under limits, so the model that
// crashes, hangs or exhausts it leaves this one standing.
TEST_P(ModelCheck, HostileModelIsLeftOutWithOneLine)
{
    const HostileModel& hostile = GetParam();
    const std::string path = folder + "/julii.wrl";
    hostile.make(path);
    SoVRMLGroup* model = nullptr;
    const std::string errors = standardErrorOf([&] { model = readCheckedModel(path.c_str()); });
    EXPECT_EQ(model != nullptr, hostile.partlyRead) << errors;
    if (model != nullptr) {
        model->ref();
        model->unref();
    }
    const std::string expectedStart =
        std::string(program_invocation_short_name) + ": " + (hostile.named != nullptr ? hostile.named : path) + ": ";
    ASSERT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(errors.rfind(expectedStart, 0), 0u) << errors << " does not begin with " << expectedStart;
    EXPECT_EQ(errors.substr(errors.size() - 11), "; left out\n") << errors;
}

INSTANTIATE_TEST_SUITE_P(EachHostileModel, ModelCheck, ::testing::ValuesIn(hostileModels),
    [](const ::testing::TestParamInfo<HostileModel>& param) { return std::string(param.param.name); });

#endif
