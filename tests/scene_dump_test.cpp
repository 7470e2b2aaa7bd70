#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include <Inventor/SoOutput.h>
#include <Inventor/actions/SoWriteAction.h>

#include "app/headless_run.h"
#include "support/pool.h"

// The whole start-up scene as the scene library writes it, model and texture
// names included: the checks on the data files must leave it as it was.
TEST(SceneDump, StartUpSceneIsWrittenAsBefore)
{
    SoSeparator* root = startHeadlessRun();
    SoOutput output;
    output.setBuffer(std::malloc(1024), 1024, std::realloc);
    SoWriteAction writer(&output);
    writer.apply(root);
    void* text = nullptr;
    std::size_t size = 0;
    output.getBuffer(text, size);
    const std::uint64_t hash = hashBytes(text, size);
    std::free(text);
    root->unref();
    EXPECT_EQ(hash, perBuild<std::uint64_t>(0x7db0b7cb248f2ef2, 0xdb49c4be94cdeb0d, 0x6986b9f4f81be424)) << std::hex << "scene hash 0x" << hash << std::dec << ", " << size << " bytes";
}
