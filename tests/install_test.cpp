#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/files.h"
#include "support/program_window.h"

namespace {

// Installs the build into the prefix; false if cmake --install failed.
bool install(const std::string& prefix)
{
    const std::string command = std::string("'") + PELMORA_CMAKE + "' --install '" + PELMORA_BUILD_DIR + "' --config "
                                + PELMORA_BUILD_CONFIG + " --prefix '"
                                + prefix + "' > /dev/null";
    return std::system(command.c_str()) == 0;
}

}

TEST(Installed, LauncherRunsTheProgramInItsDataFolderFromAnyFolder)
{
    const TemporaryFolder prefix;
    ASSERT_TRUE(install(prefix.path)) << "cmake --install failed";
    // The program reads its model only after this checker, which it looks for beside itself.
    EXPECT_EQ(access((prefix.path + "/libexec/pelmora/pelmora-model-check").c_str(), X_OK), 0)
        << "no pelmora-model-check in libexec/pelmora";
    // Started from the root folder, where no data file is to be found.
    RunningProgram program(onTestDisplay(prefix.path + "/bin/" + PELMORA_PROGRAM_NAME, "/"));
    ASSERT_NE(program.window, 0u) << "no window from the installed launcher";
    ASSERT_TRUE(program.closeAndWait()) << "still running after the close request";
    ASSERT_TRUE(WIFEXITED(program.child.status()));
    EXPECT_EQ(WEXITSTATUS(program.child.status()), 0);
}
