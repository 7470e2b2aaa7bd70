#include <gtest/gtest.h>

#include <fcntl.h>
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
#include <Inventor/VRMLnodes/SoVRMLViewpoint.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoShape.h>

#include "model_check/model_check.h"
#include "model_check/model_file.h"
#include "support/child.h"
#include "support/files.h"
#include "support/hostile_models.h"
#include "support/pool.h"

#ifdef PELMORA_WITH_MODEL

namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

// A model that the program must leave out, or read without what it cannot
// use, and how pelmora-model-check run by hand ends on it.
struct HostileModel {
    const char* name;
    void (*make)(const std::string& target);
    const char* named;    // what the line names: a file inside, or the model itself when null; no line when empty
    const char* says;     // what the line says besides, or null
    int shapes;           // the shapes read, or -1 when the model is left out
    int checkStatus;      // the checker's exit status
};

const std::string nurbsPatch = "Coordinate3 { point [ 0 0 0, 1 0 0, 2 0 0, 0 1 1, 1 1 1, 2 1 1, 0 2 0, 1 2 0, 2 2 0 ] } ";
const std::string nurbsKnots = "uKnotVector [ 0, 0, 0, 1, 1, 1 ] vKnotVector [ 0, 0, 0, 1, 1, 1 ] } ";
const std::string textured = "Shape { appearance Appearance { texture ImageTexture { url \"gone.jpg\" } } geometry Box {} } ";

const HostileModel hostileModels[] = {
    {"FifoModel", [](const std::string& target) { mkfifo(target.c_str(), 0600); }, nullptr, "not a regular file", -1,
        modelCheckUnopened},
    {"ModelInlinesItself", [](const std::string& target) { writeFile(target, vrmlModel("Inline { url \"julii.wrl\" }")); },
        "julii.wrl", nullptr, 0, modelCheckPassed},
    {"ModelsInlineEachOther",
        [](const std::string& target) {
            writeFile(target, vrmlModel("Inline { url \"other.wrl\" }"));
            writeFile(fs::path(target).replace_filename("other.wrl"), vrmlModel("Inline { url \"julii.wrl\" }"));
        },
        "other.wrl", nullptr, 0, modelCheckPassed},
    {"ModelNests100000Levels", [](const std::string& target) { writeFile(target, nestedModel(100000)); }, nullptr,
        "crashed the model reader", -1, modelCheckCrashed},
    {"ModelFaceIndexBeyondItsCoordinates",
        [](const std::string& target) {
            writeFile(target, vrmlModel("Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 0 1 0 ] } "
                                        "coordIndex [ 0, 1, 7, -1 ] } }"));
        },
        nullptr, "an index beyond", -1, modelCheckIndexOutside},
    // Which of its two time limits ends the check first depends on how busy the machine is.
    {"ModelUseBomb", [](const std::string& target) { writeFile(target, useBombModel()); }, nullptr, "took ", -1,
        modelCheckOutOfTime},
    {"ModelProtoBomb", [](const std::string& target) { writeFile(target, protoBombModel()); }, nullptr, "took ",
        -1, modelCheckOutOfTime},
    {"ModelTheLibraryCannotParse",
        [](const std::string& target) { writeFile(target, vrmlModel("Group { children [\n Frobnicate { size 3 }\n] }")); },
        nullptr, "not a VRML model: Node type ``Frobnicate'' not recognized (line 3)", -1, modelCheckNotVrml},
    // Cut into triangles, a NURBS surface needs OpenGL, which the check has none of.
    {"NurbsModel", [](const std::string& target) { writeFile(target, "#Inventor V2.1 ascii\nSeparator { " + nurbsPatch
                       + "NurbsSurface { numUControlPoints 3 numVControlPoints 3 " + nurbsKnots + "}"); },
        "", nullptr, 1, modelCheckPassed},
    {"NurbsBeyondItsControlPoints", [](const std::string& target) { writeFile(target, "#Inventor V2.1 ascii\nSeparator { "
                       + nurbsPatch + "NurbsSurface { numUControlPoints 3 numVControlPoints 4 " + nurbsKnots + "}"); },
        nullptr, "an index beyond", -1, modelCheckIndexOutside},
    {"ModelWithViewpoints",
        [](const std::string& target) {
            writeFile(target, vrmlModel("Viewpoint { position 0 0 1 } Group { children [ DEF V Viewpoint {} USE V "
                                        "Shape { geometry Box {} } ] }"));
        },
        nullptr, "its 3 cameras or viewpoints", 1, modelCheckPassed},
    {"ModelWithFileNode",
        [](const std::string& target) {
            writeFile(target, "#Inventor V2.1 ascii\nSeparator { File { name \"other.iv\" } Cube {} }");
            writeFile(fs::path(target).replace_filename("other.iv"), "#Inventor V2.1 ascii\nSphere {}");
        },
        "other.iv", "Inventor File nodes are not read", 1, modelCheckPassed},
    // Twice the same missing texture: one line.
    {"ModelWithAMissingTexture", [](const std::string& target) { writeFile(target, vrmlModel(textured + textured)); },
        "gone.jpg", "not found", 2, modelCheckPassed},
};

void PrintTo(const HostileModel& model, std::ostream* out)
{
    *out << model.name;
}

// What the call writes to standard error, which goes to a file meanwhile.
std::string standardErrorOf(const std::function<void()>& call)
{
    const TemporaryFolder folder;
    const std::string path = folder.path + "/errors";
    const int file = open(path.c_str(), O_WRONLY | O_CREAT, 0600);
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(file, STDERR_FILENO);
    call();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(file);
    return fileBytes(path);
}

class ModelCheck : public ::testing::TestWithParam<HostileModel> {
protected:
    void SetUp() override { initScene(); }

    const TemporaryFolder temporary;
    const std::string folder = temporary.path;
};

}

// The check runs in a process of its own under limits, so the model that
// crashes, hangs or exhausts it leaves this one standing.
TEST_P(ModelCheck, HostileModelIsLeftOutOrReadWithoutWhatItCannotUseWithOneLine)
{
    const HostileModel& hostile = GetParam();
    const std::string path = folder + "/julii.wrl";
    hostile.make(path);
    SoVRMLGroup* model = nullptr;
    const std::string errors = standardErrorOf([&] { model = readCheckedModel(path.c_str()); });
    ASSERT_EQ(model != nullptr, hostile.shapes >= 0) << errors;
    if (model != nullptr) {
        model->ref();
        SoSearchAction search;
        search.setInterest(SoSearchAction::ALL);
        search.setSearchingAll(TRUE);
        search.setType(SoShape::getClassTypeId());
        search.apply(model);
        EXPECT_EQ(search.getPaths().getLength(), hostile.shapes);
        for (const SoType camera : {SoCamera::getClassTypeId(), SoVRMLViewpoint::getClassTypeId()}) {
            search.setType(camera);
            search.apply(model);
            EXPECT_EQ(search.getPaths().getLength(), 0) << "a camera or viewpoint is left in the model";
        }
        model->unref();
    }
    if (hostile.named != nullptr && *hostile.named == '\0') {
        EXPECT_EQ(errors, "");
        return;
    }
    const std::string expectedStart =
        std::string(program_invocation_short_name) + ": " + (hostile.named != nullptr ? hostile.named : path) + ": ";
    ASSERT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(errors.rfind(expectedStart, 0), 0u) << errors << " does not begin with " << expectedStart;
    EXPECT_EQ(errors.substr(errors.size() - 11), "; left out\n") << errors;
    EXPECT_NE(errors.find(hostile.says != nullptr ? hostile.says : ""), std::string::npos) << errors;
}

// Run by hand, with no limits from a parent, the checker sets its own and
// ends with its status, and a line when the model fails.
TEST_P(ModelCheck, CheckerAloneEndsWithItsStatus)
{
    const HostileModel& hostile = GetParam();
    const std::string path = folder + "/julii.wrl";
    hostile.make(path);
    Launch check;
    check.arguments = {fs::path(PELMORA_PROGRAM).replace_filename("pelmora-model-check").string(), path};
    const ProgramRun run = runProgram(check);
    EXPECT_EQ(run.signal, 0) << run.errors;
    EXPECT_EQ(run.status == modelCheckOutOfProcessorTime ? modelCheckOutOfTime : run.status, hostile.checkStatus) << run.errors;
    if (hostile.checkStatus != modelCheckPassed) {
        const std::vector<std::string> lines = ownLines(run.errors, "pelmora-model-check");
        ASSERT_EQ(lines.size(), 1u) << run.errors;
        EXPECT_EQ(lines[0].rfind("pelmora-model-check: " + path + ": ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(hostile.says), std::string::npos) << lines[0];
    }
}

INSTANTIATE_TEST_SUITE_P(EachHostileModel, ModelCheck, ::testing::ValuesIn(hostileModels),
    [](const ::testing::TestParamInfo<HostileModel>& param) { return std::string(param.param.name); });

#endif
