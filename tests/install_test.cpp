#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/program_window.h"

namespace {

// Installs the build into a fresh prefix and returns that prefix.
std::string installedPrefix()
{
    const std::string prefix = ::testing::TempDir() + "pelmora-install-" + std::to_string(getpid());
    std::filesystem::remove_all(prefix);
    const std::string command = std::string("'") + PELMORA_CMAKE + "' --install '" + PELMORA_BUILD_DIR + "' --config "
                                + PELMORA_BUILD_CONFIG + " --prefix '"
                                + prefix + "' > /dev/null";
    return std::system(command.c_str()) == 0 ? prefix : std::string();
}

class Installed : public ProgramWindowTest {
protected:
    void TearDown() override
    {
        ProgramWindowTest::TearDown();
        std::filesystem::remove_all(prefix);
    }
    std::string prefix;
};

}

TEST_F(Installed, LauncherRunsTheProgramInItsDataFolderFromAnyFolder)
{
    prefix = installedPrefix();
    ASSERT_FALSE(prefix.empty()) << "cmake --install failed";
    // The program reads its model only after this checker, which it looks for beside itself.
    EXPECT_EQ(access((prefix + "/libexec/pelmora/pelmora-model-check").c_str(), X_OK), 0)
        << "no pelmora-model-check in libexec/pelmora";
    // Started from the root folder, where no data file is to be found.
    ASSERT_TRUE(start(onTestDisplay(prefix + "/bin/" + PELMORA_PROGRAM_NAME, "/"))) << "no window from the installed launcher";
    int status = 0;
    ASSERT_TRUE(closeAndWait(status)) << "still running after the close request";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
