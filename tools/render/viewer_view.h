#pragma once

class SbViewportRegion;
class SoPerspectiveCamera;
class SoSeparator;

// What the examiner viewer puts above a scene by default: a perspective
// camera looking down -z with +y up, placed by viewAll on the whole scene for
// this viewport, and the headlight, a white directional light fixed to the
// camera. The returned root holds camera, headlight and scene in that order.
SoSeparator* buildViewerView(SoSeparator* scene, const SbViewportRegion& viewport);

// The camera of a root made by buildViewerView.
SoPerspectiveCamera* viewerCamera(SoSeparator* root);
