#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render_options.h"
#include "support/x_display.h"

namespace {

// The requests are read the same way whatever the build; one build answers them.
const std::string build = "--build=100";

}

TEST(Render, BadRequestExitsTwoWithOneLineBeforeAnyWork)
{
    char pattern[] = "/tmp/pelmora-render-request-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    std::ofstream(folder + "/plain") << "a file, so no folder can be made inside it";
    std::filesystem::create_directory(folder + "/pool-000300.png");
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
        {{}, {"__EGL_VENDOR_LIBRARY_FILENAMES=" + emptyVendors}, "no OpenGL context"},
    };
    const std::vector<std::string> untouched = filesIn(folder);
    for (const Case& bad : cases) {
        const std::string named = bad.options.empty() ? bad.settings[0] : bad.options[0];
        ChildSpec launch;
        launch.arguments = {PELMORA_RENDER_PROGRAM, build, "--output=" + folder, "--size=640x480"};
        launch.arguments.insert(launch.arguments.end(), bad.options.begin(), bad.options.end());
        launch.directory = "/";
        launch.environment = bad.settings;
        const ProgramRun run = runProgram(launch, true);
        EXPECT_EQ(run.status, exitCannotRun) << named << ": " << run.errors;
        EXPECT_NE(run.errors.find(bad.named), std::string::npos)
            << named << ": got " << run.errors << "expected a line with " << bad.named;
        EXPECT_EQ(lineCount(run.errors), 1) << named << ": " << run.errors;
    }
    EXPECT_EQ(filesIn(folder), untouched);
    std::filesystem::remove_all(folder);
}
