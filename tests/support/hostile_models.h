#pragma once

// Small VRML models made to hurt a reader: deep, wide through sharing, or
// wide through prototypes. Each is a few kilobytes.

#include <string>

// A VRML 2.0 file holding the body.
std::string vrmlModel(const std::string& body);

// Groups nested this many levels deep.
std::string nestedModel(int levels);

// Ten uses of the level below on each of eleven levels: 10^11 spheres to draw.
std::string useBombModel();

// The same with prototypes, whose every instance is a copy: 10^11 boxes to build.
std::string protoBombModel();
