#pragma once

#include "geometry/raster.h"
#include "model/model_source.h"

#include <string>

class CExecutor;

// Preview pictures: the model as a conversion writes it, seen from above and
// in front at three-quarters, fitted to the vertices its faces use. Each face
// shows which side the game draws: with flipping off, a face whose stored
// corners run counter-clockwise as seen from the viewer is drawn, as ordinary
// .3DS files are stored; with flipping on, a clockwise one. Drawn faces are
// grey, culled ones red, both flat-shaded, on a light background.

inline constexpr RgbColour kPreviewBackground{236, 240, 245};
inline constexpr RgbColour kPreviewDrawnColour{220, 220, 220};
inline constexpr RgbColour kPreviewCulledColour{235, 45, 40};

// The objects of a model loaded without keyframes, as stored: size x size
// pixels, or twice as wide with both views. The picture is drawn in two
// parts, on two of the executor's threads where it has them.
CRasterImage RenderPreview(CModelSource& model, int size, bool flip, bool both, CExecutor& executor);
