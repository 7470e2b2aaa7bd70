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
#include "support/hostile_model_table.h"
#include "support/hostile_models.h"
#include "support/pool.h"

#ifdef PELMORA_WITH_MODEL

namespace {

namespace fs = std::filesystem;

// The lines as the program under test says them, each left out.
std::string expectedLines(std::string lines, const std::string& model)
{
    const std::string program = std::string(programName()) + ": ";
    lines = program + std::regex_replace(std::regex_replace(lines, std::regex("MODEL"), model), std::regex("\n"), "; left out\n" + program);
    return lines + "; left out\n";
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
    expectCheckerEndsWithItsStatus({fs::path(PELMORA_PROGRAM).replace_filename("pelmora-model-check").string()}, GetParam(), folder);
}

INSTANTIATE_TEST_SUITE_P(EachHostileModel, ModelCheck, ::testing::ValuesIn(hostileModels, hostileModels + hostileModelCount),
    [](const ::testing::TestParamInfo<HostileModel>& param) { return std::string(param.param.name); });

#endif
