#pragma once

#include "convert/model_report.h"
#include "model/model_format.h"
#include "model/status_sink.h"
#include "records/error_kind.h"

#include <optional>
#include <string>
#include <system_error>
#include <vector>

class CExecutor;

// The conversion core: a model file in, model text files, a report or a
// picture out. The dialog and the command line fill one request, call
// RunConversion, and show the result as they see fit; the status sink
// hears only progress ("Loading model...", the reader's lines). An output
// appears under its name only when complete; a failure leaves any earlier
// file of that name as it was, and no temporary file.

// What a request asks for.
enum class Operation
{
    Convert, // the objects as stored, in one model text file
    Frames,  // one model text file per animation frame
    Info,    // a report on the model; nothing written
    Preview, // a PNG picture of the model as converted
};

// Which whole models a frame export writes, one file each.
enum class FrameSequence
{
    Keyframes, // every object placed by its keys at each frame of the segment, merged
    Morph,     // each object in name order
};

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
    Operation operation = Operation::Convert;
    std::string inputPath;            // also names the input in messages
    bool readStandardInput = false;   // read the model from standard input
    std::string outputPath;           // as typed; see MakeOutputPath (Preview: this very name)
    bool writeStandardOutput = false; // write to standard output; outputPath unused
    bool flip = false;                // keep each face's stored winding instead of reversing it
    // Turn each patch that a viewer sees more from the back than from the
    // front (TurnInwardPatches) once loaded: conversions, frames and previews.
    bool orient = false;
    std::string textureName;          // written on every object; empty: from the output name
    UpAxis objUp = UpAxis::Y;         // the up axis an OBJ input was exported with
    // Frames only.
    FrameSequence frames = FrameSequence::Keyframes;
    FrameRange frameRange;
    // Preview only: the picture's height and the width of one view (at least
    // 1), and whether to show two views, flipping off then on.
    int previewSize = 256;
    bool previewBoth = false;
    // The threads the work shares; none: threads of its own for this request
    // (one per core; two for a preview, which draws in two parts).
    CExecutor* executor = nullptr;
};

struct ConversionResult
{
    ErrorKind kind = ErrorKind::None;
    // The system's reason where a system call failed, in the system
    // category: errno values on POSIX systems, GetLastError() codes on
    // Windows.
    std::error_code systemError;
    // The one message of a failure, beginning "Error"; empty on success.
    std::string message;
    // Lines beginning "Warning", which do not fail the run.
    std::vector<std::string> warnings;
    // What was written and put in place, in order ("-" for standard output).
    std::vector<std::string> outputs;
    // Info only, when the model was read.
    std::optional<ModelReport> report;
    // With orient, when the model was read: the faces turned.
    std::optional<std::uint64_t> turnedFaces;

    bool Succeeded() const { return kind == ErrorKind::None; }
};

// Carries out the request. Every failure, running out of memory included,
// ends in a result with its kind and one message; none escapes as an
// exception.
ConversionResult RunConversion(const ConversionRequest& request, CStatusSink& status);

// The final output path with a '-' and the frame number, zero-padded to the
// width of the last frame number of the whole animation, put before its
// extension: ship.dtq, frame 7 of 301, gives ship-007.dtq.
std::string FrameOutputPath(const std::string& finalOutputPath, int frame, int frameCount);
