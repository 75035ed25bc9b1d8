#include "cli/info_command.h"

#include "cli/terminal_status.h"
#include "convert/model_report.h"
#include "convert/number_format.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

namespace
{
using Json = nlohmann::ordered_json;

// Names are bytes from the file. Well-formed UTF-8 is kept; any other byte
// is read as the Latin-1 character of its value, so the text is always
// valid UTF-8 and no byte is lost.
std::string ValidUtf8(std::string_view bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size();)
    {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80                  ? 1
                                   : lead >= 0xC2 && lead <= 0xDF ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        bool valid = length != 0 && length <= bytes.size() - i;
        for (std::size_t k = 1; valid && k < length; ++k)
        {
            // The second byte's range excludes overlong forms, surrogates
            // and code points past U+10FFFF.
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            const unsigned low = k == 1 && lead == 0xE0 ? 0xA0 : k == 1 && lead == 0xF0 ? 0x90 : 0x80;
            const unsigned high = k == 1 && lead == 0xED ? 0x9F : k == 1 && lead == 0xF4 ? 0x8F : 0xBF;
            valid = next >= low && next <= high;
        }
        if (valid)
        {
            text.append(bytes.substr(i, length));
            i += length;
            continue;
        }
        text += static_cast<char>(0xC0 | lead >> 6);
        text += static_cast<char>(0x80 | (lead & 0x3F));
        ++i;
    }
    return text;
}

// A name in double quotes, control characters escaped, for the text report.
std::string Quoted(const std::string& name)
{
    return Json(ValidUtf8(name)).dump();
}

std::string Count(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Point(const std::array<double, 3>& point)
{
    return "(" + FormatReal(point[0]) + ", " + FormatReal(point[1]) + ", " + FormatReal(point[2]) + ")";
}

// A share as a whole percentage: "91 %".
std::string Percent(double share)
{
    return std::to_string(static_cast<int>(std::lround(share * 100.0))) + " %";
}

// The share in the JSON report, to three decimals; null when nothing is seen.
Json ShareJson(const std::optional<double>& share)
{
    if (!share)
        return nullptr;
    return std::round(*share * 1000.0) / 1000.0;
}

const char* WindingName(StoredWinding winding)
{
    switch (winding)
    {
    case StoredWinding::Outward:
        return "outward";
    case StoredWinding::Inward:
        return "inward";
    case StoredWinding::TwoSided:
        return "two-sided";
    case StoredWinding::Undecided:
        break;
    }
    return "undecided";
}

const char* AdviceName(FlipAdvice advice)
{
    switch (advice)
    {
    case FlipAdvice::Off:
        return "off";
    case FlipAdvice::On:
        return "on";
    case FlipAdvice::Undecided:
        break;
    }
    return "undecided";
}

// The kind of a failure in the JSON report.
const char* ErrorKindName(ErrorKind kind)
{
    switch (kind)
    {
    case ErrorKind::None:
        return "none";
    case ErrorKind::BadRequest:
        return "bad-request";
    case ErrorKind::InputUnreadable:
        return "input-unreadable";
    case ErrorKind::NotAModel:
        return "not-a-model";
    case ErrorKind::Damaged:
        return "damaged";
    case ErrorKind::TooLarge:
        return "too-large";
    case ErrorKind::OutputUnwritable:
        return "output-unwritable";
    case ErrorKind::OutOfMemory:
        return "out-of-memory";
    }
    return "";
}

std::string WarningText(const ReportWarning& warning, const ModelReport& report)
{
    const std::uint64_t n = warning.count;
    switch (warning.kind)
    {
    case WarningKind::UnusedVertices:
        return Count(n, "vertex", "vertices") + " that no face uses";
    case WarningKind::FarPositions:
        return Count(n, "position", "positions") + " far outside the range of the used ones";
    case WarningKind::FarMapping:
        return Count(n, "texture coordinate pair", "texture coordinate pairs") +
               " far outside the range of the used ones";
    case WarningKind::NotFinite:
        return Count(n, "vertex", "vertices") + " with a NaN or infinite position or texture coordinate";
    case WarningKind::ZeroAreaFaces:
        return Count(n, "face", "faces") + " of zero area";
    case WarningKind::ZeroNormals:
        return Count(n, "used vertex", "used vertices") + " whose normal is zero";
    case WarningKind::NameCut:
        return "the name in the file is longer than 12 characters and was cut";
    case WarningKind::NameCollision:
        return Count(n, "object is", "objects are") + " written with the name " +
               Quoted(report.objects[static_cast<std::size_t>(warning.object)].writtenName);
    case WarningKind::StillAnimation:
        return "the animation has " + Count(n, "frame", "frames") + " and nothing moves";
    }
    return WarningName(warning.kind);
}

// What the reader left out, as the conversion tells it but without its
// "Warning: ".
std::string LoadWarningText(const std::string& warning)
{
    const std::string_view prefix = "Warning: ";
    return ValidUtf8(warning.starts_with(prefix) ? std::string_view(warning).substr(prefix.size()) : warning);
}

std::string ObjectLine(const ObjectReport& object, std::size_t index)
{
    std::string line = "  " + std::to_string(index) + " " + Quoted(object.storedName) + " written " +
                       Quoted(object.writtenName) + " flags " + (object.textureFlag ? "T" : "") +
                       (object.effectFlag ? "E" : "") + (object.textureFlag || object.effectFlag ? "" : "-") +
                       ", " + Count(object.vertexCount, "vertex", "vertices") + ", " +
                       Count(object.faceCount, "face", "faces") + (object.mapping ? ", mapping" : ", no mapping");
    if (object.boxMin)
        line += ", box " + Point(*object.boxMin) + " to " + Point(*object.boxMax);
    line += ", winding " + std::string(WindingName(object.winding));
    if (object.outwardShare)
        line += " (" + Percent(*object.outwardShare) + " out)";
    return line + "\n";
}

std::string ReportText(const std::string& input, const ModelReport& report, const std::vector<std::string>& loadWarnings)
{
    std::string text = input + ": " + FormatName(report.format) + ", " + Count(report.objects.size(), "object", "objects") +
                       ", texture " + report.textureName + "\n";
    for (std::size_t i = 0; i < report.objects.size(); ++i)
        text += ObjectLine(report.objects[i], i);
    text += "animation: " + Count(static_cast<std::uint64_t>(report.frames), "frame", "frames");
    if (!report.animatedObjects)
        text += ", too long to analyse\n";
    else
        text += ", " + Count(static_cast<std::uint64_t>(*report.animatedObjects), "object moves", "objects move") + "\n";
    text += std::string("Flip Faces: ") + AdviceName(report.flipAdvice);
    if (!report.outwardShare)
        text += " (nothing of the surface is seen)";
    else
    {
        // The share of the side the advice shows: "on" is told by the faces
        // that face in.
        const double share = report.flipAdvice == FlipAdvice::On ? 1.0 - *report.outwardShare : *report.outwardShare;
        text += ", " + Percent(share) + " of the surface seen faces " +
                (report.flipAdvice == FlipAdvice::On ? "in" : "out") + " as stored";
    }
    for (std::size_t i = 0; i < report.disagreeingObjects.size(); ++i)
        text += (i == 0 ? "; wound the other way: " : ", ") +
                Quoted(report.objects[static_cast<std::size_t>(report.disagreeingObjects[i])].storedName);
    text += "\n";
    for (const PatchAgainst& patch : report.patchesAgainst)
        text += "against the advice: " + Quoted(report.objects[static_cast<std::size_t>(patch.object)].storedName) +
                ", a patch of " + Count(patch.faces, "face", "faces") + "\n";
    for (const ReportWarning& warning : report.warnings)
    {
        const std::string where =
            warning.object < 0 ? "" : Quoted(report.objects[static_cast<std::size_t>(warning.object)].storedName) + ": ";
        text += "warning: " + where + WarningText(warning, report) + "\n";
    }
    for (const std::string& warning : loadWarnings)
        text += "warning: " + LoadWarningText(warning) + "\n";
    return text;
}

// The coordinates as the model text file writes them, to six digits.
Json PointJson(const std::array<double, 3>& point)
{
    Json coordinates = Json::array();
    for (const double coordinate : point)
    {
        const std::string text = FormatReal(coordinate);
        double written = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), written);
        coordinates.push_back(written);
    }
    return coordinates;
}

Json ReportJson(const std::string& input, const ModelReport& report, const std::vector<std::string>& loadWarnings)
{
    Json file = {{"input", ValidUtf8(input)},
                 {"read", true},
                 {"format", FormatName(report.format)},
                 {"texture", ValidUtf8(report.textureName)}};
    Json objects = Json::array();
    for (const ObjectReport& object : report.objects)
    {
        Json box = nullptr;
        if (object.boxMin)
            box = {{"min", PointJson(*object.boxMin)}, {"max", PointJson(*object.boxMax)}};
        objects.push_back({{"stored_name", ValidUtf8(object.storedName)},
                           {"written_name", ValidUtf8(object.writtenName)},
                           {"texture_flag", object.textureFlag},
                           {"effect_flag", object.effectFlag},
                           {"vertices", object.vertexCount},
                           {"faces", object.faceCount},
                           {"mapping", object.mapping},
                           {"box", box},
                           {"outward_share", ShareJson(object.outwardShare)},
                           {"winding", WindingName(object.winding)}});
    }
    file["objects"] = objects;
    Json animated = nullptr, moves = nullptr;
    if (report.animatedObjects)
    {
        animated = *report.animatedObjects;
        moves = *report.animatedObjects > 0;
    }
    file["animation"] = {{"frames", report.frames}, {"animated_objects", animated}, {"moves", moves}};
    Json patches = Json::array();
    for (const PatchAgainst& patch : report.patchesAgainst)
        patches.push_back({{"object", patch.object}, {"faces", patch.faces}});
    file["flip_faces"] = {{"advice", AdviceName(report.flipAdvice)},
                          {"outward_share", ShareJson(report.outwardShare)},
                          {"disagreeing", report.disagreeingObjects},
                          {"patches_against", patches}};
    Json warnings = Json::array();
    for (const ReportWarning& warning : report.warnings)
        warnings.push_back({{"kind", WarningName(warning.kind)},
                            {"object", warning.object < 0 ? Json(nullptr) : Json(warning.object)},
                            {"count", warning.count}});
    file["warnings"] = warnings;
    Json left = Json::array();
    for (const std::string& warning : loadWarnings)
        left.push_back(LoadWarningText(warning));
    file["left_out"] = left;
    return file;
}

void WriteOutput(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}
} // namespace

int RunInfo(const ConvertOptions& options)
{
    bool failed = false;
    bool printed = false;
    Json files = Json::array();
    for (const std::string& input : options.inputs)
    {
        // Errors only, as a conversion prints them; the report is the output.
        CTerminalStatus status(input, Verbosity::Quiet);
        ConversionRequest request;
        request.operation = Operation::Info;
        request.inputPath = input;
        request.readStandardInput = input == kStandardStream;
        request.objUp = options.objUp;
        ConversionResult result = RunConversion(request, status);
        if (!result.Succeeded())
        {
            status.ShowResult(result);
            failed = true;
            files.push_back({{"input", ValidUtf8(input)},
                             {"read", false},
                             {"error_kind", ErrorKindName(result.kind)},
                             {"error", ValidUtf8(MessageWithReason(result))}});
            continue;
        }
        const ModelReport& report = *result.report;
        const std::size_t warnings = report.warnings.size() + result.warnings.size();
        if (options.strict && warnings > 0)
        {
            failed = true;
            status.ShowErrorLine("Error: " + Count(warnings, "warning", "warnings") + ", and --strict fails a file on any");
        }
        if (options.json)
            files.push_back(ReportJson(input, report, result.warnings));
        else
            WriteOutput((std::exchange(printed, true) ? "\n" : "") + ReportText(input, report, result.warnings));
    }
    if (options.json)
        WriteOutput(Json{{"files", files}}.dump(2, ' ', true) + "\n");
    return std::fflush(stdout) == 0 && !failed ? 0 : 1;
}
