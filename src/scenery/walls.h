#pragma once

class SoSeparator;

// Two thin walls along the pool's low sides and a block in the corner between them.
SoSeparator* buildWalls();
