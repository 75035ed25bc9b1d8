#pragma once

#include "convert/conversion.h"

#include <optional>
#include <string>
#include <vector>

enum class Verbosity
{
    Quiet,   // errors only
    Normal,  // errors, warnings and a line per converted file
    Verbose, // and the progress texts of each step
};

enum class RunMode
{
    Convert, // write model text files (or frames)
    Info,    // --info: read and check, write nothing
    Preview, // --preview: render the converted model into a PNG picture
};

// What the converter was asked to do.
struct ConvertOptions
{
    RunMode mode = RunMode::Convert;
    bool json = false;   // --json: the report as one JSON document
    bool strict = false; // --strict: a warning fails the file
    std::string previewPath; // --preview
    int previewSize = 256;   // --size: the picture's height, and the width of one view
    bool previewBoth = false; // --preview-both: Flip Faces off and on side by side

    bool flip = false;
    UpAxis objUp = UpAxis::Y;            // --up: the axis OBJ inputs were exported with as up
    bool orient = false; // --orient: turn the patches seen more from the back first
    std::optional<FrameSequence> frames; // --frames or --morph: the frames instead of the objects
    FrameRange frameRange;               // --frame-range
    // Where each input's output goes, as typed: an output path for one input
    // ("-" for standard output), or a folder for the default names.
    std::optional<std::string> output;
    std::optional<std::string> outputFolder;
    std::string textureName; // --texture; empty: from the output name
    unsigned jobs = 0;       // -j: working threads, shared by the files converted at once; 0 for one per core
    Verbosity verbosity = Verbosity::Normal;
    std::vector<std::string> inputs; // "-" reads standard input
};

enum class CommandAction
{
    Convert,
    ShowHelp,
    ShowVersion,
    UsageError,
};

struct ParsedCommandLine
{
    CommandAction action = CommandAction::Convert;
    ConvertOptions options;
    std::string error; // a line beginning "Error", for UsageError
};

// The picture sizes --size takes.
inline constexpr int kMinPreviewSize = 16;
inline constexpr int kMaxPreviewSize = 4096;

// The most files -j lets run at once.
inline constexpr unsigned kMaxJobs = 1024;

// The path given for standard input and standard output.
inline constexpr const char* kStandardStream = "-";

// Reads the arguments after the program name, GNU style: options and inputs
// in any order, long options with "=" or a separate value, "--" ending the
// options. Refuses a run whose inputs would write the same output.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The output path an input is converted to, as typed (before the naming
// rules); "-" for standard output.
std::string OutputFor(const ConvertOptions& options, const std::string& input);

std::string UsageText();
