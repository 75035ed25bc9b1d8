#pragma once

#include "geometry/raster.h"
#include "geometry/winding.h"
#include "model/model_source.h"

#include <string>

class CExecutor;

// Preview pictures: the model as a conversion writes it, seen from above and
// in front at three-quarters (or from any direction), fitted to the vertices its faces use. Each face
// shows which side the game draws: with flipping off, a face whose stored
// corners run counter-clockwise as seen from the viewer is drawn, as ordinary
// .3DS files are stored (ShowsFront, as --info's advice decides); with
// flipping on, a clockwise one. Drawn faces are
// grey, culled ones red, both flat-shaded, on a light background.

inline constexpr RgbColour kPreviewBackground{236, 240, 245};
inline constexpr RgbColour kPreviewDrawnColour{220, 220, 220};
inline constexpr RgbColour kPreviewCulledColour{235, 45, 40};

// From above and in front at three-quarters: the viewer toward x, -y and up.
inline constexpr ViewDirection kPreviewView{1.0f, -1.0f, 0.8f};

// The objects of a model loaded without keyframes, as stored: size x size
// pixels, or twice as wide with both views. The picture is drawn in two
// parts, on two of the executor's threads where it has them. toViewer need
// not have length 1.
CRasterImage RenderPreview(CModelSource& model, int size, bool flip, bool both, CExecutor& executor,
                           ViewDirection toViewer = kPreviewView);
