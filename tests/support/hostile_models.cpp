#include "support/hostile_models.h"

namespace {

// Levels of the bombs, and uses of the level below on each.
constexpr int bombLevels = 11;
constexpr int usesPerLevel = 10;

std::string repeated(const std::string& piece, int times)
{
    std::string all;
    for (int n = 0; n < times; ++n) {
        all += piece;
    }
    return all;
}

}

std::string vrmlModel(const std::string& body)
{
    return "#VRML V2.0 utf8\n" + body + "\n";
}

std::string nestedModel(int levels)
{
    return vrmlModel(repeated("Group { children [ ", levels) + repeated("] } ", levels));
}

std::string useBombModel()
{
    std::string body = "DEF L0 Shape { geometry Sphere {} }\n";
    for (int level = 1; level <= bombLevels; ++level) {
        body += "DEF L" + std::to_string(level) + " Group { children [ "
            + repeated("USE L" + std::to_string(level - 1) + " ", usesPerLevel) + "] }\n";
    }
    return vrmlModel(body);
}

std::string protoBombModel()
{
    std::string body = "PROTO P0 [] { Shape { geometry Box {} } }\n";
    for (int level = 1; level <= bombLevels; ++level) {
        body += "PROTO P" + std::to_string(level) + " [] { Group { children [ "
            + repeated("P" + std::to_string(level - 1) + " {} ", usesPerLevel) + "] } }\n";
    }
    return vrmlModel(body + "P" + std::to_string(bombLevels) + " {}");
}
