#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render_options.h"
#include "support/child.h"

namespace {

// The requests are read the same way whatever the build; one build answers them.
const std::string build = "--build=100";

}

TEST(Render, BadRequestExitsTwoWithOneLineBeforeAnyWork)
{
    const TemporaryFolder temporary;
    const std::string& folder = temporary.path;
    std::ofstream(folder + "/plain") << "a file, so no folder can be made inside it";
    std::filesystem::create_directory(folder + "/pool-000300.png");
    mkfifo((folder + "/fifo.gif").c_str(), 0600);
    std::filesystem::create_symlink("/dev/null", folder + "/link.gif");
    const std::string emptyVendors = folder + "/no-vendors.json";
    std::ofstream(emptyVendors).flush();
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> settings;
        std::string named;   // what the one line must say
    };
    const Case cases[] = {
        {{"--build=75"}, {}, "unknown build '75'"},
        {{"--ticks=300,100"}, {}, "ticks must rise: 100 comes after 300"},
        {{"--ticks=0:10"}, {}, "bad range '0:10'"},
        {{"--size=640x0"}, {}, "bad size '640x0'"},
        {{"--rate=61"}, {}, "bad rate '61'"},
        {{"--animation=pool.avi"}, {}, "cannot tell the format of 'pool.avi'"},
        {{"--animation=pool.gif", "--format=avi"}, {}, "unknown format 'avi'"},
        {{"--format=gif"}, {}, "--format needs --animation"},
        {{"--size=321x240", "--animation=pool.mp4"}, {}, "an MP4 needs an even width and height, not 321x240"},
        {{"--output=" + folder + "/{tick}/pool.png"}, {}, "{tick} must be in the file name"},
        {{"--output=" + folder + "/missing"}, {}, "cannot write to the output folder " + folder + "/missing"},
        {{"--output=" + folder + "/plain/frames"}, {}, "cannot write to the output folder " + folder + "/plain"},
        {{"--animation=" + folder + "/missing/pool.gif"}, {}, "cannot write to the output folder " + folder + "/missing"},
        {{"--output=" + folder + "/pool-{tick}.png"}, {}, "cannot write " + folder + "/pool-000300.png: it is a folder"},
        {{"--animation=/dev/full", "--format=gif"}, {}, "cannot write /dev/full: it is a device"},
        {{"--animation=" + folder + "/fifo.gif"}, {}, "cannot write " + folder + "/fifo.gif: it is a FIFO"},
        {{"--animation=" + folder + "/link.gif"}, {}, "cannot write " + folder + "/link.gif: it is a symbolic link"},
        {{}, {"__EGL_VENDOR_LIBRARY_FILENAMES=" + emptyVendors}, "no OpenGL context"},
    };
    const std::vector<std::string> untouched = filesIn(folder);
    for (const Case& bad : cases) {
        const std::string named = bad.options.empty() ? bad.settings[0] : bad.options[0];
        Launch launch;
        launch.arguments = {PELMORA_RENDER_PROGRAM, build, "--output=" + folder, "--size=640x480"};
        launch.arguments.insert(launch.arguments.end(), bad.options.begin(), bad.options.end());
        launch.directory = "/";
        launch.environment = bad.settings;
        launch.output = Output::withErrors;
        const ProgramRun run = runProgram(launch);
        EXPECT_EQ(run.status, exitCannotRun) << named << ": " << run.errors;
        EXPECT_NE(run.errors.find(bad.named), std::string::npos)
            << named << ": got " << run.errors << "expected a line with " << bad.named;
        EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << named << ": " << run.errors;
    }
    EXPECT_EQ(filesIn(folder), untouched);
    struct stat device = {};
    EXPECT_TRUE(stat("/dev/full", &device) == 0 && S_ISCHR(device.st_mode)) << "/dev/full was replaced";
    EXPECT_TRUE(std::filesystem::is_fifo(folder + "/fifo.gif")) << "the FIFO was replaced";
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "/link.gif")) << "the link was replaced";
}
