#include "convert/conversion.h"

#include "convert/run_steps.h"
#include "geometry/normals.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace
{
// About eight gigabytes of text: no real animation comes near it, and a small
// file cannot state a segment that would fill the disk.
constexpr std::uint64_t kMaxExportedLines = std::uint64_t{1} << 27;
// The header and the five lines that begin an object.
constexpr std::uint64_t kFixedLinesPerFile = 9;
constexpr std::size_t kExtensionLength = 4; // ".dtq", in any letter case

std::string Digits(int value)
{
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// An upper bound on the lines of one frame file: a keyframe frame holds every
// object, a morph frame one of them.
std::uint64_t LinesPerFrame(CModel3DS& model, FrameSequence sequence)
{
    std::uint64_t lines = 0;
    for (int i = 0; i < model.GetObjectCount(); ++i)
    {
        const ModelObject& object = *model.GetObject(i);
        const std::uint64_t objectLines = std::uint64_t{object.vertexCount} + object.faceCount;
        lines = sequence == FrameSequence::Morph ? std::max(lines, objectLines) : lines + objectLines;
    }
    return lines + kFixedLinesPerFile;
}

bool CheckFrameCount(CModel3DS& model, FrameSequence sequence, CStatusSink& status)
{
    const int frameCount = model.GetFrameCount();
    if (frameCount <= 0)
    {
        status.ShowMessage("Error: The model has no frames to export");
        return false;
    }
    if (static_cast<std::uint64_t>(frameCount) > kMaxExportedLines / LinesPerFrame(model, sequence))
    {
        status.ShowMessage("Error: The animation is too long to export: " + Digits(frameCount) + " frames");
        return false;
    }
    return true;
}
} // namespace

std::string FrameOutputPath(const std::string& finalOutputPath, int frame, int frameCount)
{
    const std::size_t width = Digits(std::max(frameCount - 1, 0)).size();
    std::string number = Digits(frame);
    if (number.size() < width)
        number.insert(0, width - number.size(), '0');
    const std::size_t stemLength =
        finalOutputPath.size() >= kExtensionLength ? finalOutputPath.size() - kExtensionLength : 0;
    return finalOutputPath.substr(0, stemLength) + number + finalOutputPath.substr(stemLength);
}

bool ExportFrames(const ConversionRequest& request, FrameSequence sequence, CStatusSink& status)
{
    OpenedRun run;
    if (!OpenRun(request, status, run))
        return false;
    std::string statusText;
    CModel3DS model(&status, &statusText);
    if (!LoadRun(model, run, sequence == FrameSequence::Morph ? 1 : 0, status) ||
        !CheckFrameCount(model, sequence, status))
        return false;

    const int frameCount = model.GetFrameCount();
    for (int frame = 0; frame < frameCount; ++frame)
    {
        ModelObject record;
        model.BuildFrame(frame, &record);
        ComputeObjectFaceNormals(record);
        ComputeObjectVertexNormals(record);
        const std::string path = FrameOutputPath(run.finalPath, frame, frameCount);
        if (!WriteModelFile(status, path, run.textureName, request.flip, 1,
                            [&](CModelTextWriter& writer) { writer.WriteObject(record); }))
            return false;
    }
    return true;
}
