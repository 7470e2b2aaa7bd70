#pragma once

class SoGroup;

// Adds one warm spot light, shining from above one corner, as the next child of parent.
void addSpotLight(SoGroup* parent);
