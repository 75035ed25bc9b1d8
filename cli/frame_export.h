#pragma once

#include "cli/options.h"
#include "convert/dialog_window.h"

#include <cstdint>
#include <string>

// Writes every frame of the input as a model text file of its own: the
// keyframe model merged and placed at each frame, or each object of the morph
// sequence in name order. Paths, flip setting and messages are those of a
// plain conversion; the frame files are named by FrameOutputPath. Frames
// written before a failure stay, each complete; no file is left half written.
// Returns true when every frame was written.
bool ExportFrames(CDialogWindow& window, FrameSequence sequence);

// The final output path with the frame number, zero-padded to the width of
// the last frame number, put before its extension: ship.dtq, frame 7 of 301,
// gives ship007.dtq.
std::string FrameOutputPath(const std::string& finalOutputPath, int frame, int frameCount);

// Whether frames of a model can be written: their lines stay within a bound
// that no real animation reaches, so a small file cannot state a segment that
// would fill the disk. lineCountPerFrame counts vertices, faces and the fixed
// lines of one file.
bool FitsExportLimit(std::uint64_t frameCount, std::uint64_t lineCountPerFrame);
