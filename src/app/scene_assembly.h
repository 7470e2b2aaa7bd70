#pragma once

class SoSeparator;

// Everything between the binding's start and the viewer: the water's kit, the
// water at rest with its first drop, the light pattern, and the scene root
// with the light, the water and the build's scenery in their fixed order.
// Needs the scene database and node kits initialised.
SoSeparator* assembleScene();
