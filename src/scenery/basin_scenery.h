#pragma once

class SoSeparator;

// The pool's setting: an anchor naming an outside model, an L-shaped rail and three floor slabs.
SoSeparator* buildBasinScenery();
