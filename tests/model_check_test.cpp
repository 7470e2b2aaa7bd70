#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <regex>
#include <string>

#include <Inventor/SoDB.h>
#include <Inventor/VRMLnodes/SoVRMLBackground.h>
#include <Inventor/VRMLnodes/SoVRMLFog.h>
#include <Inventor/VRMLnodes/SoVRMLGroup.h>
#include <Inventor/VRMLnodes/SoVRMLNavigationInfo.h>
#include <Inventor/VRMLnodes/SoVRMLViewpoint.h>
#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoCamera.h>
#include <Inventor/nodes/SoShape.h>
#include <Inventor/sensors/SoSensorManager.h>

#include "model_check/model_check.h"
#include "model_check/model_file.h"
#include "platform/process.h"
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

// What a bomb's row says: the reason of whichever limit ended it.
const char* const anyLimit = "a limit";

// A model that the program must leave out, or read without what it cannot
// use, and how pelmora-model-check run by hand ends on it.
struct HostileModel {
    const char* name;
    void (*make)(const std::string& target);
    const char* named;    // what the line names: a file inside, or the model itself when null; no line when empty
    const char* says;     // what the line says besides, or null
    int shapes;           // the shapes read, or -1 when the model is left out
    CheckStatus checkStatus;  // the checker's exit status
    const char* lines = nullptr;  // each line between "PROGRAM: " and "; left out", MODEL for its path, when there are several
};

const std::string nurbsPatch = "Coordinate3 { point [ 0 0 0, 1 0 0, 2 0 0, 0 1 1, 1 1 1, 2 1 1, 0 2 0, 1 2 0, 2 2 0 ] } ";
const std::string nurbsKnots = "uKnotVector [ 0, 0, 0, 1, 1, 1 ] vKnotVector [ 0, 0, 0, 1, 1, 1 ] } ";
const std::string textured = "Shape { appearance Appearance { texture ImageTexture { url \"gone.jpg\" } } geometry Box {} } ";
const std::string backdrop = "Background { skyColor 1 0 0 frontUrl \"sky.jpg\" backUrl [ \"sky.jpg\" \"sky2.jpg\" ] } ";

const HostileModel hostileModels[] = {
    {"FifoModel", [](const std::string& target) { mkfifo(target.c_str(), 0600); }, nullptr, "not a regular file", -1,
        CheckStatus::Unopened},
    {"ModelInlinesItself", [](const std::string& target) { writeFile(target, vrmlModel("Inline { url \"julii.wrl\" }")); },
        "julii.wrl", nullptr, 0, CheckStatus::Passed},
    {"ModelsInlineEachOther",
        [](const std::string& target) {
            writeFile(target, vrmlModel("Inline { url \"other.wrl\" }"));
            writeFile(fs::path(target).replace_filename("other.wrl"), vrmlModel("Inline { url \"julii.wrl\" }"));
        },
        "other.wrl", nullptr, 0, CheckStatus::Passed},
    {"ModelNests100000Levels", [](const std::string& target) { writeFile(target, nestedModel(100000)); }, nullptr,
        "crashed the model reader", -1, CheckStatus::Crashed},
    {"ModelFaceIndexBeyondItsCoordinates",
        [](const std::string& target) {
            writeFile(target, vrmlModel("Shape { geometry IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 0 1 0 ] } "
                                        "coordIndex [ 0, 1, 7, -1 ] } }"));
        },
        nullptr, "an index beyond", -1, CheckStatus::IndexOutside},
    // Which limit ends the check first depends on how fast and how busy the machine is.
    {"ModelUseBomb", [](const std::string& target) { writeFile(target, useBombModel()); }, nullptr, anyLimit, -1,
        CheckStatus::OutOfTime},
    {"ModelProtoBomb", [](const std::string& target) { writeFile(target, protoBombModel()); }, nullptr, anyLimit,
        -1, CheckStatus::OutOfTime},
    {"ModelTheLibraryCannotParse",
        [](const std::string& target) { writeFile(target, vrmlModel("Group { children [\n Frobnicate { size 3 }\n] }")); },
        nullptr, "not a VRML model: Node type ``Frobnicate'' not recognized (line 3)", -1, CheckStatus::NotVrml},
    // Cut into triangles, a NURBS surface needs OpenGL, which the check has none of.
    {"NurbsModel", [](const std::string& target) { writeFile(target, "#Inventor V2.1 ascii\nSeparator { " + nurbsPatch
                       + "NurbsSurface { numUControlPoints 3 numVControlPoints 3 " + nurbsKnots + "}"); },
        "", nullptr, 1, CheckStatus::Passed},
    {"NurbsBeyondItsControlPoints", [](const std::string& target) { writeFile(target, "#Inventor V2.1 ascii\nSeparator { "
                       + nurbsPatch + "NurbsSurface { numUControlPoints 3 numVControlPoints 4 " + nurbsKnots + "}"); },
        nullptr, "an index beyond", -1, CheckStatus::IndexOutside},
    {"ModelWithViewpoints",
        [](const std::string& target) {
            writeFile(target, vrmlModel("Viewpoint { position 0 0 1 } Group { children [ DEF V Viewpoint {} USE V "
                                        "Shape { geometry Box {} } ] }"));
        },
        nullptr, "its 3 cameras or viewpoints", 1, CheckStatus::Passed},
    {"ModelWithFileNode",
        [](const std::string& target) {
            writeFile(target, "#Inventor V2.1 ascii\nSeparator { File { name \"other.iv\" } Cube {} }");
            writeFile(fs::path(target).replace_filename("other.iv"), "#Inventor V2.1 ascii\nSphere {}");
        },
        "other.iv", "not read, as a model is read as its one file", 1, CheckStatus::Passed},
    // Twice the same missing texture: one line.
    {"ModelWithAMissingTexture", [](const std::string& target) { writeFile(target, vrmlModel(textured + textured)); },
        "gone.jpg", "not found", 2, CheckStatus::Passed},
    {"ModelWithBackground", [](const std::string& target) { writeFile(target, vrmlModel(backdrop + "Shape { geometry Box {} }")); },
        nullptr, "its 1 Background, Fog or NavigationInfo node, which would act on the whole view", 1, CheckStatus::Passed},
    {"ModelWithFog", [](const std::string& target) { writeFile(target, vrmlModel("Fog { color 1 1 1 visibilityRange 2 } Shape { geometry Box {} }")); },
        nullptr, "its 1 Background, Fog or NavigationInfo node", 1, CheckStatus::Passed},
    {"ModelWithNavigationInfo", [](const std::string& target) { writeFile(target, vrmlModel("NavigationInfo { headlight FALSE }")); },
        nullptr, "its 1 Background, Fog or NavigationInfo node", 0, CheckStatus::Passed},
    // Files named again and again, by several kinds of node: one line each.
    {"ModelNamesItsFilesAgain", [](const std::string& target) {
            writeFile(target, vrmlModel(textured + textured + backdrop + backdrop + "Inline { url \"x.wrl\" } Inline { url \"x.wrl\" }")); },
        nullptr, nullptr, 2, CheckStatus::Passed, "x.wrl: a file of the model, not read, as a model is read as its one file\n"
        "gone.jpg: a file of the model, not found\nMODEL: its 2 Background, Fog or NavigationInfo nodes, which would act on the whole view"},
    {"InventorModelNamesItsFilesAgain", [](const std::string& target) {
            writeFile(target, "#Inventor V2.1 ascii\nSeparator { Texture2 { filename \"gone.jpg\" } Cube {} Texture2 { filename "
                              "\"gone.jpg\" } File { name \"a.iv\" } File { name \"a.iv\" } WWWInline { name \"a.iv\" } }"); },
        nullptr, nullptr, 1, CheckStatus::Passed, "gone.jpg: a file of the model, not found\na.iv: a file of the model, not read, as a model is read as its one file"},
    // A pipe is never opened: the check would wait on it until its time is up.
    {"ModelTextureIsAPipe", [](const std::string& target) {
            writeFile(target, vrmlModel("Shape { appearance Appearance { texture ImageTexture { url \"pipe.jpg\" } } geometry Box {} }"));
            mkfifo(fs::path(target).replace_filename("pipe.jpg").c_str(), 0600); },
        "pipe.jpg", "a file of the model, not a regular file", 1, CheckStatus::Passed},
    {"ExternalPrototypeIsAPipe", [](const std::string& target) {
            writeFile(target, vrmlModel("EXTERNPROTO P [ field SFFloat size ] \"pipe.wrl#P\" P { size 2 } Shape { geometry Box {} }"));
            mkfifo(fs::path(target).replace_filename("pipe.wrl#P").c_str(), 0600); },
        "pipe.wrl#P", "a file of the model, not a regular file", 1, CheckStatus::Passed},
    // Its instances read as written, fields and routes, and draw nothing.
    {"ExternalPrototypeReadsNothing", [](const std::string& target) {
            writeFile(target, vrmlModel("EXTERNPROTO P [ field SFFloat size eventIn SFTime go ] [ \"other.wrl#P\" \"x.wrl\" ] "
                                        "DEF A P { size 2 } DEF T TimeSensor {} ROUTE T.time TO A.go Shape { geometry Box {} }"));
            writeFile(fs::path(target).replace_filename("other.wrl"), vrmlModel("PROTO P [ field SFFloat size 1 ] { Shape { geometry Box {} } }")); },
        "other.wrl", "a file of the model, not read", 1, CheckStatus::Passed},
    {"ModelWithAScript", [](const std::string& target) { writeFile(target, vrmlModel("Script { url \"javascript: function f() {}\" }")); },
        "", nullptr, 0, CheckStatus::Passed},
    // The library's reader ends the string at \" before the line break; read again, it goes on.
    {"QuoteBeforeLineBreakInAString", [](const std::string& target) {
            writeFile(target, "#VRML V1.0 ascii\nSeparator { Info { string \"abc \\\"\ndef\" } Cube {} }"); }, "", nullptr, 1, CheckStatus::Passed},
};

void PrintTo(const HostileModel& model, std::ostream* out)
{
    *out << model.name;
}

// The lines as the program under test says them, each left out.
std::string expectedLines(std::string lines, const std::string& model)
{
    const std::string program = std::string(programName()) + ": ";
    lines = program + std::regex_replace(std::regex_replace(lines, std::regex("MODEL"), model), std::regex("\n"), "; left out\n" + program);
    return lines + "; left out\n";
}

// Whether the text gives the row's reason; for a bomb, that of any limit.
bool givesReason(const std::string& text, const char* says)
{
    if (says == anyLimit) {
        return text.find("took ") != std::string::npos
            || text.find(modelCheckReason(CheckStatus::OutOfMemory)) != std::string::npos;
    }
    return text.find(says != nullptr ? says : "") != std::string::npos;
}

// A bomb's status: whichever limit it reached, as the row names one of them.
CheckStatus limitAsOne(CheckStatus status)
{
    return status == CheckStatus::OutOfProcessorTime || status == CheckStatus::OutOfMemory ? CheckStatus::OutOfTime
                                                                                         : status;
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
    // The library's sensors run as the viewer's first idle moment would run them.
    const std::string errors =
        standardErrorOf([&] { model = readCheckedModel(startModelCheck(path)); SoDB::getSensorManager()->processDelayQueue(FALSE); });
    ASSERT_EQ(model != nullptr, hostile.shapes >= 0) << errors;
    if (model != nullptr) {
        model->ref();
        SoSearchAction search;
        search.setInterest(SoSearchAction::ALL);
        search.setSearchingAll(TRUE);
        search.setType(SoShape::getClassTypeId());
        search.apply(model);
        EXPECT_EQ(search.getPaths().getLength(), hostile.shapes);
        for (const SoType view : {SoCamera::getClassTypeId(), SoVRMLViewpoint::getClassTypeId(), SoVRMLBackground::getClassTypeId(),
                                  SoVRMLFog::getClassTypeId(), SoVRMLNavigationInfo::getClassTypeId()}) {
            search.setType(view);
            search.apply(model);
            EXPECT_EQ(search.getPaths().getLength(), 0) << view.getName().getString() << " is left in the model";
        }
        model->unref();
    }
    if (hostile.named != nullptr && *hostile.named == '\0') {
        EXPECT_EQ(errors, "");
        return;
    }
    if (hostile.lines != nullptr) {
        EXPECT_EQ(errors, expectedLines(hostile.lines, path));
        return;
    }
    const std::string expectedStart =
        std::string(programName()) + ": " + (hostile.named != nullptr ? hostile.named : path) + ": ";
    ASSERT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(errors.rfind(expectedStart, 0), 0u) << errors << " does not begin with " << expectedStart;
    EXPECT_EQ(errors.substr(errors.size() - 11), "; left out\n") << errors;
    EXPECT_TRUE(givesReason(errors, hostile.says)) << errors;
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
    const auto status = static_cast<CheckStatus>(run.status);
    EXPECT_EQ(static_cast<int>(limitAsOne(status)), static_cast<int>(hostile.checkStatus)) << run.errors;
    if (hostile.checkStatus != CheckStatus::Passed) {
        const std::vector<std::string> lines = ownLines(run.errors, "pelmora-model-check");
        ASSERT_EQ(lines.size(), 1u) << run.errors;
        EXPECT_EQ(lines[0].rfind("pelmora-model-check: " + path + ": ", 0), 0u) << lines[0];
        EXPECT_TRUE(givesReason(lines[0], hostile.says)) << lines[0];
    }
}

INSTANTIATE_TEST_SUITE_P(EachHostileModel, ModelCheck, ::testing::ValuesIn(hostileModels),
    [](const ::testing::TestParamInfo<HostileModel>& param) { return std::string(param.param.name); });

#endif
