#pragma once

#include "geometry/raster.h"
#include "model/model_source.h"
#include "model/status_sink.h"

#include <string>

// Preview pictures: the model as a conversion writes it, seen from above and
// in front at three-quarters, fitted to the vertices its faces use. Each face
// shows which side the game draws: with flipping off, a face whose stored
// corners run counter-clockwise as seen from the viewer is drawn, as ordinary
// .3DS files are stored; with flipping on, a clockwise one. Drawn faces are
// grey, culled ones red, both flat-shaded, on a light background.

inline constexpr RgbColour kPreviewBackground{236, 240, 245};
inline constexpr RgbColour kPreviewDrawnColour{220, 220, 220};
inline constexpr RgbColour kPreviewCulledColour{235, 45, 40};

struct PreviewRequest
{
    std::string inputPath; // also names the input in messages
    bool readStandardInput = false;
    std::string outputPath; // the PNG, under this very name; "-" for standard output
    int size = 256;         // the picture's height and the width of one view, at least 1
    bool flip = false;
    bool both = false; // two views side by side, flipping off then on; flip unused
};

// The objects of a model loaded without keyframes, as stored: size x size
// pixels, or twice as wide with both views.
CRasterImage RenderPreview(CModelSource& model, int size, bool flip, bool both);

// Loads the input as the conversion does, renders it and writes an 8-bit RGB
// PNG that appears under its name only when complete. Failures show one
// message beginning "Error" through the status sink; success shows the
// output through ShowOutputWritten. Returns true when the picture was written.
bool WritePreview(const PreviewRequest& request, CStatusSink& status);
