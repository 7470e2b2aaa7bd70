// Before the model check's headers, which bring Windows' or Xlib's macros.
#include <gtest/gtest.h>

#include "support/hostile_model_table.h"

#include <sys/stat.h>

#include <filesystem>

#include "support/child.h"
#include "support/files.h"
#include "support/hostile_models.h"

namespace fs = std::filesystem;

namespace {

const std::string nurbsPatch = "Coordinate3 { point [ 0 0 0, 1 0 0, 2 0 0, 0 1 1, 1 1 1, 2 1 1, 0 2 0, 1 2 0, 2 2 0 ] } ";
const std::string nurbsKnots = "uKnotVector [ 0, 0, 0, 1, 1, 1 ] vKnotVector [ 0, 0, 0, 1, 1, 1 ] } ";
const std::string textured = "Shape { appearance Appearance { texture ImageTexture { url \"gone.jpg\" } } geometry Box {} } ";
const std::string backdrop = "Background { skyColor 1 0 0 frontUrl \"sky.jpg\" backUrl [ \"sky.jpg\" \"sky2.jpg\" ] } ";

}

const char* const anyLimit = "a limit";

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

const std::size_t hostileModelCount = sizeof hostileModels / sizeof hostileModels[0];

void PrintTo(const HostileModel& model, std::ostream* out)
{
    *out << model.name;
}

bool givesReason(const std::string& text, const char* says)
{
    if (says == anyLimit) {
        return text.find("took ") != std::string::npos
            || text.find(modelCheckReason(CheckStatus::OutOfMemory)) != std::string::npos;
    }
    return text.find(says != nullptr ? says : "") != std::string::npos;
}

CheckStatus limitAsOne(CheckStatus status)
{
    return status == CheckStatus::OutOfProcessorTime || status == CheckStatus::OutOfMemory ? CheckStatus::OutOfTime
                                                                                         : status;
}

void expectCheckerEndsWithItsStatus(const std::vector<std::string>& checker, const HostileModel& hostile,
                                    const std::string& folder)
{
    const std::string path = folder + "/julii.wrl";
    hostile.make(path);
    Launch check;
    check.arguments = checker;
    check.arguments.push_back(path);
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
