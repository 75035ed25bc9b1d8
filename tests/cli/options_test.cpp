// The converter's arguments: what each command line asks for, or its usage
// error.
#include "cli/options.h"

#include <gtest/gtest.h>

namespace
{
// The parsed command line in one line: its action or error, or the options.
std::string Describe(const ParsedCommandLine& parsed)
{
    const char* const actions[] = {"", "help", "version", ""};
    const char* const sequences[] = {"frames ", "morph "};
    const char* const verbosities[] = {"quiet ", "", "verbose "};
    if (parsed.action != CommandAction::Convert)
        return actions[int(parsed.action)] + parsed.error;
    const ConvertOptions& o = parsed.options;
    std::string text = std::string(o.flip ? "flip " : "") + (o.orient ? "orient " : "") + std::string(o.objUp == UpAxis::Z ? "up-z " : "") + std::string(o.frames ? sequences[int(*o.frames)] : "") +
                       verbosities[int(o.verbosity)] + "j" + std::to_string(o.jobs);
    if (o.frames)
        text += " " + std::to_string(o.frameRange.first) + ":" + (o.frameRange.last ? std::to_string(*o.frameRange.last) : "") +
                ":" + std::to_string(o.frameRange.step);
    for (const std::string& input : o.inputs)
        text += " [" + input + "]->" + OutputFor(o, input);
    return text + (o.textureName.empty() ? "" : " texture " + o.textureName);
}

// The separator the converter puts between -d's folder and a name: Windows
// writes '\\', and takes '\\' and '/' alike.
#if defined(_WIN32)
const std::string S = "\\";
#else
const std::string S = "/";
#endif

const std::pair<std::vector<std::string>, std::string> kCommandLines[] = {
    {{"--flip", "a.3ds", "b/b.3ds"}, "flip j0 [a.3ds]->a.DTQ [b/b.3ds]->b/b.DTQ"},
    {{"a.3ds", "--flip", "-o", "-x"}, "flip j0 [a.3ds]->-x"},
    {{"--output=o", "--texture", "t.RAW", "a.3ds"}, "j0 [a.3ds]->o texture t.RAW"},
    {{"-oo", "-", "--jobs=3"}, "j3 [-]->o"},
    {{"-d", "out", "x/a.3ds", "-q", "b.3ds"}, "quiet j0 [x/a.3ds]->out" + S + "a.DTQ [b.3ds]->out" + S + "b.DTQ"},
    {{"-o", "out/", "x/a.3ds", "-v", "b.3ds"}, "verbose j0 [x/a.3ds]->out/a.DTQ [b.3ds]->out/b.DTQ"},
    {{"-o", "/tmp", "a.3ds"}, "j0 [a.3ds]->/tmp" + S + "a.DTQ"},
    {{"--", "-a.3ds", "--flip"}, "j0 [-a.3ds]->-a.DTQ [--flip]->--fDTQ"},
    {{"--frames", "a.3ds", "--frames"}, "frames j0 0::1 [a.3ds]->a.DTQ"},
    {{"--orient", "--morph", "a.3ds", "--orient"}, "orient morph j0 0::1 [a.3ds]->a.DTQ"},
    {{"--orient", "a.3ds", "--flip"}, "Error: --orient and --flip exclude each other"},
    {{"--flip", "--orient", "a.3ds"}, "Error: --orient and --flip exclude each other"},
    {{"--orient", "--json", "a.3ds"}, "Error: --info reports the faces as stored and takes no --orient"},
    {{"--morph", "--frame-range", "2:9:3", "a.3ds"}, "morph j0 2:9:3 [a.3ds]->a.DTQ"},
    {{"--frames", "--frame-range=7:", "a.3ds"}, "frames j0 7::1 [a.3ds]->a.DTQ"},
    {{"-j", "2", "a.3ds", "-h"}, "help"},
    {{"-j1", "a.3ds", "-j", "1024"}, "j1024 [a.3ds]->a.DTQ"},
    {{"--version", "a.3ds", "--help", "--bogus"}, "version"},
    {{"--morph", "-o", "x", "-o", "y", "a.3ds"}, "Error: -o given more than once"},
    {{"-flip", "a.3ds"}, "Error: unknown option -f"},
    {{"--bogus=1", "a.3ds"}, "Error: unknown option --bogus"},
    {{"a.3ds", "-o"}, "Error: -o needs a value"},
    {{"a.3ds", "--texture"}, "Error: --texture needs a value"},
    {{"-o", "x", "a.3ds", "b.3ds"}, "Error: -o needs exactly one input file; use -d for several"},
    {{"-o", "x", "-d", "y", "a.3ds"}, "Error: -o and -d exclude each other"},
    {{"--up", "z", "a.obj", "--flip"}, "flip up-z j0 [a.obj]->a.DTQ"},
    {{"--up=z", "--up=y", "--info", "a.obj"}, "j0 [a.obj]->a.DTQ"},
    {{"--up", "Z", "a.obj"}, "Error: --up needs y or z, not Z"},
    {{"a.obj", "--up"}, "Error: --up needs a value"},
    {{"--flip"}, "Error: no input file given"},
    {{"-"}, "Error: standard input needs -o"},
    {{"--frames", "-o", "-", "a.3ds"}, "Error: frames cannot be written to standard output"},
    {{"--frame-range", "1:2", "a.3ds"}, "Error: --frame-range needs --frames or --morph"},
    {{"-d", "o", "a/x.3ds", "b/x.3ds"}, "Error: a/x.3ds and b/x.3ds would both write o" + S + "x.DTQ"},
    {{"ab.3ds", "./ab.3ds"}, "Error: ab.3ds and ./ab.3ds would both write ab.DTQ"},
    {{"--frames", "--morph", "a.3ds"}, "Error: --frames and --morph exclude each other"},
    {{"--json", "--preview", "x.png", "a.3ds"}, "Error: --info and --preview exclude each other"},
    {{"--strict", "a.3ds"}, "Error: --json and --strict need --info"},
    {{"--size", "15", "--preview", "p.png", "a.3ds"}, "Error: --size needs a number of pixels from 16 to 4096, not 15"},
    {{"--preview-both", "a.3ds"}, "Error: --size and --preview-both need --preview"},
    {{"--preview", "p.png", "a.3ds", "b.3ds"}, "Error: --preview needs exactly one input file"},
    {{"--info", "-d", "x", "a.3ds"}, "Error: --info takes none of -o, -d, --texture, --frames and --morph"},
    {{"--info", "--frames", "a.3ds"}, "Error: --info takes none of -o, -d, --texture, --frames and --morph"},
    {{"--preview=p.png", "--morph", "a.3ds"}, "Error: --preview takes none of -o, -d, --texture, --frames and --morph"},
    {{"-j", "0", "a.3ds"}, "Error: -j needs a number of jobs from 1 to 1024, not 0"},
    {{"-j", "1025", "a.3ds"}, "Error: -j needs a number of jobs from 1 to 1024, not 1025"},
    {{"-j", "2x", "a.3ds"}, "Error: -j needs a number of jobs from 1 to 1024, not 2x"},
#if defined(_WIN32)
    // Either separator in folders and inputs; names that differ in case only
    // are one file, beyond ASCII too.
    {{"-d", "out\\", "C:\\m\\a.3ds", "b/c.3ds"}, "j0 [C:\\m\\a.3ds]->out\\a.DTQ [b/c.3ds]->out\\c.DTQ"},
    {{"-d", "o", "a/x.3ds", "b\\X.3DS"}, "Error: a/x.3ds and b\\X.3DS would both write o\\X.DTQ"},
    {{"m/ab.3ds", "M\\AB.3ds"}, "Error: m/ab.3ds and M\\AB.3ds would both write M\\AB.DTQ"},
    {{"bâteau.3ds", "BÂTEAU.3ds"}, "Error: bâteau.3ds and BÂTEAU.3ds would both write BÂTEAU.DTQ"},
#else
    // '\\' is a character of names, and letter case tells files apart.
    {{"-d", "out\\", "a.3ds"}, "j0 [a.3ds]->out\\/a.DTQ"},
    {{"-d", "o", "a/x.3ds", "b/X.3DS"}, "j0 [a/x.3ds]->o/x.DTQ [b/X.3DS]->o/X.DTQ"},
#endif
};

// Ranges that are refused: no colon, a last frame before the first, no step,
// signs.
const char* const kBadRanges[] = {"5", "5:4", "1:2:0", "-1:2", "1:2:", "a:2", "1:+2"};

TEST(Options, CommandLines)
{
    for (const auto& [arguments, expected] : kCommandLines)
        EXPECT_EQ(Describe(ParseCommandLine(arguments)), expected) << testing::PrintToString(arguments);
    for (const std::string range : kBadRanges)
        EXPECT_EQ(ParseCommandLine({"--frames", "--frame-range", range, "a.3ds"}).error,
                  "Error: --frame-range needs FIRST:LAST or FIRST:LAST:STEP, not " + range);
}

} // namespace
