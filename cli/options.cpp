#include "cli/options.h"

#include "convert/output_naming.h"

#include <charconv>
#include <climits>
#include <filesystem>
#include <map>
#include <utility>

#include <getopt.h>

namespace
{
// Long options without a short form.
enum LongOnly : int
{
    kFlip = 256,
    kFrames,
    kMorph,
    kFrameRange,
    kTexture,
    kVersion,
    kInfo,
    kJson,
    kStrict,
    kPreview,
    kSize,
    kPreviewBoth,
    kUp,
    kOrient,
};

const option kLongOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"output-dir", required_argument, nullptr, 'd'},
    {"jobs", required_argument, nullptr, 'j'},
    {"quiet", no_argument, nullptr, 'q'},
    {"verbose", no_argument, nullptr, 'v'},
    {"help", no_argument, nullptr, 'h'},
    {"flip", no_argument, nullptr, kFlip},
    {"frames", no_argument, nullptr, kFrames},
    {"morph", no_argument, nullptr, kMorph},
    {"frame-range", required_argument, nullptr, kFrameRange},
    {"texture", required_argument, nullptr, kTexture},
    {"version", no_argument, nullptr, kVersion},
    {"info", no_argument, nullptr, kInfo},
    {"json", no_argument, nullptr, kJson},
    {"strict", no_argument, nullptr, kStrict},
    {"preview", required_argument, nullptr, kPreview},
    {"size", required_argument, nullptr, kSize},
    {"preview-both", no_argument, nullptr, kPreviewBoth},
    {"up", required_argument, nullptr, kUp},
    {"orient", no_argument, nullptr, kOrient},
    {nullptr, 0, nullptr, 0},
};
// The leading ':' reports a missing value apart from an unknown option.
const char* const kShortOptions = ":o:d:j:qvh";

ParsedCommandLine UsageError(std::string message)
{
    ParsedCommandLine parsed;
    parsed.action = CommandAction::UsageError;
    parsed.error = "Error: " + std::move(message);
    return parsed;
}

// A whole number from low to high, digits only.
bool ParseNumber(std::string_view text, int low, int high, int& value)
{
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data(), last, value);
    return !text.empty() && text[0] != '-' && result.ec == std::errc{} && result.ptr == last && value >= low &&
           value <= high;
}

// FIRST:LAST[:STEP], LAST empty for the end of the animation.
bool ParseFrameRange(std::string_view text, FrameRange& range)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    std::string_view last = text.substr(colon + 1);
    const std::size_t stepColon = last.find(':');
    if (stepColon != std::string_view::npos &&
        !ParseNumber(last.substr(stepColon + 1), 1, INT_MAX, range.step))
        return false;
    last = last.substr(0, stepColon);
    if (!ParseNumber(text.substr(0, colon), 0, INT_MAX, range.first))
        return false;
    if (last.empty())
        return true;
    int lastFrame = 0;
    if (!ParseNumber(last, range.first, INT_MAX, lastFrame))
        return false;
    range.last = lastFrame;
    return true;
}

// The name of the option at the failing argument, as the user wrote it.
std::string OptionName(int shortOption, const char* argument)
{
    if (shortOption > 0 && shortOption < 256)
        return std::string("-") + static_cast<char>(shortOption);
    const std::string text = argument;
    return text.substr(0, text.find('='));
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return path.ends_with('/') || std::filesystem::is_directory(path, error);
}

// The report and the picture take their inputs and a few options of their own.
ParsedCommandLine ValidatedInspection(ConvertOptions options)
{
    const bool info = options.mode == RunMode::Info;
    if (options.output || options.outputFolder || options.frames || !options.textureName.empty())
        return UsageError(std::string(info ? "--info" : "--preview") +
                          " takes none of -o, -d, --texture, --frames and --morph");
    if (!info && options.inputs.size() != 1)
        return UsageError("--preview needs exactly one input file");
    ParsedCommandLine parsed;
    parsed.options = std::move(options);
    return parsed;
}

// The options hold together, and no two inputs write the same file.
ParsedCommandLine Validated(ConvertOptions options, bool rangeGiven, bool previewOptionGiven)
{
    if (options.inputs.empty())
        return UsageError("no input file given");
    if ((options.json || options.strict) && options.mode != RunMode::Info)
        return UsageError("--json and --strict need --info");
    if (options.orient && options.mode == RunMode::Info)
        return UsageError("--info reports the faces as stored and takes no --orient");
    if (previewOptionGiven && options.mode != RunMode::Preview)
        return UsageError("--size and --preview-both need --preview");
    if (options.mode != RunMode::Convert)
        return ValidatedInspection(std::move(options));
    if (options.output && options.outputFolder)
        return UsageError("-o and -d exclude each other");
    // An output that names a folder puts the outputs in it.
    if (options.output && *options.output != kStandardStream && IsFolder(*options.output))
        options.outputFolder = std::exchange(options.output, std::nullopt);
    if (options.output && options.inputs.size() != 1)
        return UsageError("-o needs exactly one input file; use -d for several");
    if (rangeGiven && !options.frames)
        return UsageError("--frame-range needs --frames or --morph");
    const bool toStandardOutput = options.output == kStandardStream;
    if (toStandardOutput && options.frames)
        return UsageError("frames cannot be written to standard output");
    std::map<std::string, std::string> inputByOutput;
    for (const std::string& input : options.inputs)
    {
        if (input == kStandardStream && !options.output)
            return UsageError("standard input needs -o");
        if (toStandardOutput)
            continue;
        const std::string output =
            std::filesystem::path(MakeOutputPath(OutputFor(options, input))).lexically_normal().string();
        if (const auto [earlier, added] = inputByOutput.emplace(output, input); !added)
            return UsageError(earlier->second + " and " + input + " would both write " + output);
    }
    ParsedCommandLine parsed;
    parsed.options = std::move(options);
    return parsed;
}
} // namespace

std::string OutputFor(const ConvertOptions& options, const std::string& input)
{
    if (options.output)
        return *options.output;
    if (!options.outputFolder)
        return DefaultOutputName(input);
    std::string folder = *options.outputFolder;
    if (!folder.ends_with('/'))
        folder += '/';
    return folder + DefaultOutputName(std::filesystem::path(input).filename().string());
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    // getopt_long wants the program name first and writable strings.
    std::vector<std::string> copies{"tessaline-convert"};
    copies.insert(copies.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& copy : copies)
        argv.push_back(copy.data());
    argv.push_back(nullptr);

    ConvertOptions options;
    bool rangeGiven = false;
    bool previewOptionGiven = false;
    optind = 0; // a fresh scan, also when called again
    opterr = 0; // every message is ours
    const int argc = static_cast<int>(copies.size());
    for (int option; (option = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr)) != -1;)
    {
        const std::string value = optarg ? optarg : "";
        switch (option)
        {
        case 'o':
        case 'd': {
            std::optional<std::string>& slot = option == 'o' ? options.output : options.outputFolder;
            if (slot)
                return UsageError(OptionName(option, nullptr) + " given more than once");
            slot = value;
            break;
        }
        case 'j': {
            int jobs = 0;
            if (!ParseNumber(value, 1, static_cast<int>(kMaxJobs), jobs))
                return UsageError("-j needs a number of jobs from 1 to " + std::to_string(kMaxJobs) + ", not " +
                                  value);
            options.jobs = static_cast<unsigned>(jobs);
            break;
        }
        case 'q':
        case 'v':
            options.verbosity = option == 'q' ? Verbosity::Quiet : Verbosity::Verbose;
            break;
        case 'h':
            return {CommandAction::ShowHelp, {}, {}};
        case kVersion:
            return {CommandAction::ShowVersion, {}, {}};
        case kFlip:
        case kOrient:
            (option == kFlip ? options.flip : options.orient) = true;
            if (options.flip && options.orient)
                return UsageError("--orient and --flip exclude each other");
            break;
        case kFrames:
        case kMorph: {
            const FrameSequence sequence = option == kFrames ? FrameSequence::Keyframes : FrameSequence::Morph;
            if (options.frames && *options.frames != sequence)
                return UsageError("--frames and --morph exclude each other");
            options.frames = sequence;
            break;
        }
        case kFrameRange:
            if (!ParseFrameRange(value, options.frameRange))
                return UsageError("--frame-range needs FIRST:LAST or FIRST:LAST:STEP, not " + value);
            rangeGiven = true;
            break;
        case kTexture:
            if (value.empty())
                return UsageError("--texture needs a name");
            options.textureName = value;
            break;
        case kInfo:
        case kJson:
        case kPreview:
            if (options.mode != RunMode::Convert && options.mode != (option == kPreview ? RunMode::Preview : RunMode::Info))
                return UsageError("--info and --preview exclude each other");
            options.mode = option == kPreview ? RunMode::Preview : RunMode::Info;
            options.json = options.json || option == kJson;
            if (option == kPreview)
                options.previewPath = value;
            break;
        case kStrict:
            options.strict = true;
            break;
        case kSize:
            if (!ParseNumber(value, kMinPreviewSize, kMaxPreviewSize, options.previewSize))
                return UsageError("--size needs a number of pixels from " + std::to_string(kMinPreviewSize) +
                                  " to " + std::to_string(kMaxPreviewSize) + ", not " + value);
            previewOptionGiven = true;
            break;
        case kPreviewBoth:
            options.previewBoth = previewOptionGiven = true;
            break;
        case kUp:
            if (value != "y" && value != "z")
                return UsageError("--up needs y or z, not " + value);
            options.objUp = value == "y" ? UpAxis::Y : UpAxis::Z;
            break;
        case ':':
            return UsageError(OptionName(optopt, argv[optind - 1]) + " needs a value");
        default:
            return UsageError("unknown option " + OptionName(optopt, argv[optind - 1]));
        }
    }
    for (int i = optind; i < argc; ++i)
        options.inputs.push_back(argv[i]);
    return Validated(std::move(options), rangeGiven, previewOptionGiven);
}

std::string UsageText()
{
    return "Usage: tessaline-convert [OPTION]... INPUT...\n"
           "Converts .3DS, OBJ, glTF, FBX and other model files into model text\n"
           "files.\n"
           "\n"
           "  -o, --output=FILE      the output path, for a single input; '-' writes\n"
           "                         to standard output; a folder acts as -d\n"
           "  -d, --output-dir=DIR   put each output in DIR under its default name\n"
           "      --flip             keep each face's stored winding instead of\n"
           "                         reversing it\n"
           "      --up=AXIS          the axis OBJ inputs were exported with as up:\n"
           "                         y (the default) or z\n"
           "      --orient           first turn each patch of faces that a viewer\n"
           "                         sees more from the back than from the front,\n"
           "                         so that the default conversion suits it\n"
           "      --texture=NAME     the texture name written on every object\n"
           "                         (default: the output's name with .RAW)\n"
           "      --frames           write each frame of the keyframe animation as\n"
           "                         its own file: ship-000.dtq, ship-001.dtq...\n"
           "      --morph            the same for the objects taken as frames in\n"
           "                         name order\n"
           "      --frame-range=FIRST:LAST[:STEP]\n"
           "                         only these frames (numbered from 0; LAST may\n"
           "                         be left empty for the last frame)\n"
           "  -j, --jobs=N           use up to N threads (default: one per\n"
           "                         processor core): N files at once, or fewer\n"
           "                         files sharing the threads\n"
           "  -q, --quiet            print errors only\n"
           "  -v, --verbose          print the progress of each step too\n"
           "      --info             read and check each input, write nothing: its\n"
           "                         objects, bounds, animation, warnings and which\n"
           "                         --flip setting makes the faces point outward\n"
           "      --json             the same as one JSON document\n"
           "      --strict           with --info, a warning fails the file\n"
           "      --preview=OUT.png  render the converted model into a picture:\n"
           "                         the faces the game draws in grey, the faces it\n"
           "                         culls in red\n"
           "      --size=N           the picture's height in pixels (default 256)\n"
           "      --preview-both     two views side by side: --flip off and on\n"
           "  -h, --help             show this help and exit\n"
           "      --version          show the version and exit\n"
           "\n"
           "An INPUT of '-' reads standard input and needs -o. By default the\n"
           "output is the input path with its last three characters replaced by\n"
           "DTQ, and an output path that does not end in .dtq gets that extension.\n"
           "Each output appears only when complete. Messages go to standard error:\n"
           "'INPUT -> OUTPUT' for each converted file, and errors as\n"
           "'tessaline-convert: INPUT: Error ...'.\n"
           "\n"
           "Exit status: 0 when every file was converted, 1 when any failed (the\n"
           "others are still converted), 2 for a usage error.\n";
}
