#pragma once

#include "model/status_sink.h"

#include <functional>
#include <optional>
#include <string>

// The conversion core: a .3DS file in, model text files out. The dialog and
// the command line gather a request, call one of these, and show what the
// status sink is given: progress through ShowProgress ("Loading model...",
// the reader's lines), and on failure exactly one message beginning "Error"
// through ShowMessage. An output appears under its name only when complete;
// a failure leaves any earlier file of that name as it was.

// The frames a frame export writes, by the numbers their files carry (from
// 0): first, first + step, ... up to last.
struct FrameRange
{
    int first = 0;
    std::optional<int> last; // none: to the end of the animation
    int step = 1;
};

struct ConversionRequest
{
    std::string inputPath;  // also names the input in messages
    std::string outputPath; // as typed; see MakeOutputPath for the name written
    bool flip = false;      // keep each face's stored winding instead of reversing it
    bool readStandardInput = false;   // read the model from standard input
    bool writeStandardOutput = false; // write the model text to standard output; outputPath unused
    std::string textureName;          // written on every object; empty: from the output name
    FrameRange frameRange;            // ExportFrames only
    unsigned threads = 0;             // ConvertModel's threads for one file; 0 for one per core
    // ConvertModel only: called once the text is written and before it is
    // flushed to disk, so that a batch can start on its next file meanwhile.
    std::function<void()> onWritten;
};

// Loads the input as a keyframe model, computes the normals and writes its
// objects as stored. Returns true when the file was written.
bool ConvertModel(const ConversionRequest& request, CStatusSink& status);

// Which whole models a frame export writes, one file each.
enum class FrameSequence
{
    Keyframes, // every object placed by its keys at each frame of the segment, merged
    Morph,     // each object in name order
};

// Writes every frame as a model text file of its own, named by
// FrameOutputPath. Frames written before a failure stay, each complete.
// Returns true when every frame was written.
bool ExportFrames(const ConversionRequest& request, FrameSequence sequence, CStatusSink& status);

// The final output path with a '-' and the frame number, zero-padded to the
// width of the last frame number of the whole animation, put before its
// extension: ship.dtq, frame 7 of 301, gives ship-007.dtq.
std::string FrameOutputPath(const std::string& finalOutputPath, int frame, int frameCount);
