#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/pool.h"

namespace {

// Defined functions of the linked program, demangled, as nm lists them.
std::string definedSymbols()
{
    std::string symbols;
    FILE* listing = popen(("nm -C --defined-only '" + std::string(PELMORA_PROGRAM) + "'").c_str(), "r");
    if (listing == nullptr) {
        return symbols;
    }
    char line[4096];
    while (fgets(line, sizeof line, listing) != nullptr) {
        symbols += line;
    }
    pclose(listing);
    return symbols;
}

bool contains(const std::string& symbols, const std::string& function)
{
    return symbols.find(" " + function + "(") != std::string::npos;
}

#ifdef PELMORA_WITH_BASIN
constexpr bool withBasin = true;
#else
constexpr bool withBasin = false;
#endif
#ifdef PELMORA_WITH_MODEL
constexpr bool withModel = true;
#else
constexpr bool withModel = false;
#endif

}

TEST(ProgramContents, HoldsOnlyTheSceneryBuildersItUses)
{
    const std::string symbols = definedSymbols();
    ASSERT_TRUE(contains(symbols, "assembleScene")) << "nm listed no program symbols";
    EXPECT_TRUE(contains(symbols, "addSpotLight"));
    EXPECT_TRUE(contains(symbols, "buildWaterSurface"));
    EXPECT_EQ(contains(symbols, "buildWalls"), withBasin);
    EXPECT_EQ(contains(symbols, "buildBasinScenery"), withBasin);
    EXPECT_EQ(contains(symbols, "loadImportedModel"), withModel);
}

TEST(ProgramContents, EachBuildHasItsScenerySet)
{
    EXPECT_EQ(withBasin, perBuild(true, true, false));
    EXPECT_EQ(withModel, perBuild(true, false, false));
}
