#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "x_session.h"

namespace {

constexpr double startSeconds = 60.0;
constexpr double exitSeconds = 30.0;

// Installs the build into a fresh prefix and returns that prefix.
std::string installedPrefix()
{
    const std::string prefix = ::testing::TempDir() + "pelmora-install-" + std::to_string(getpid());
    const std::string command = std::string("rm -rf '") + prefix + "' && '" + PELMORA_CMAKE + "' --install '" + PELMORA_BUILD_DIR + "' --prefix '" + prefix + "' > /dev/null";
    return std::system(command.c_str()) == 0 ? prefix : std::string();
}

}

TEST(Installed, LauncherRunsTheProgramInItsDataFolderFromAnyFolder)
{
    const std::string prefix = installedPrefix();
    ASSERT_FALSE(prefix.empty()) << "cmake --install failed";
    // The program reads its model only after this checker, which it looks for beside itself.
    const bool checkerBeside = access((prefix + "/libexec/pelmora/pelmora-model-check").c_str(), X_OK) == 0;
    Display* display = openVirtualDisplay();
    ASSERT_NE(display, nullptr);
    // Started from the root folder, where no data file is to be found.
    const pid_t pid = startProgram(prefix + "/bin/" + PELMORA_PROGRAM_NAME, "/", virtualDisplay());
    const Window window = waitForWindow(display, "Pel Mora", startSeconds);
    if (window != 0) {
        requestClose(display, window);
    }
    int status = 0;
    const bool ended = waitForExit(pid, status, exitSeconds);
    if (!ended) {
        stopProgram(pid);
    }
    XCloseDisplay(display);
    std::system(("rm -rf '" + prefix + "'").c_str());
    EXPECT_TRUE(checkerBeside) << "no pelmora-model-check in libexec/pelmora";
    ASSERT_NE(window, 0u) << "no window from the installed launcher";
    ASSERT_TRUE(ended);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
