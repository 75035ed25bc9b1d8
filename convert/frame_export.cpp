#include "convert/run_steps.h"
#include "geometry/normals.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

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
std::uint64_t LinesPerFrame(CLoadedModel& model, FrameSequence sequence)
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

// Which frames an export writes: count of them, from first on by step.
struct FramesToWrite
{
    int first = 0;
    int step = 1;
    int count = 0;
};

std::string RangeText(const FrameRange& range)
{
    return Digits(range.first) + ":" + (range.last ? Digits(*range.last) : "") +
           (range.step != 1 ? ":" + Digits(range.step) : "");
}

// The frames of the range that the model has: first, first + step, ... up
// to last, or up to the model's last frame when last is beyond it or not
// given. Fails when they are none or too many to write.
bool ChooseFrames(CLoadedModel& model, FrameSequence sequence, const FrameRange& range, ConversionResult& result,
                  FramesToWrite& frames)
{
    const int frameCount = model.GetFrameCount();
    if (frameCount <= 0)
        return Fail(result, ErrorKind::BadRequest, "Error: The model has no frames to export");
    if (range.step < 1)
        return Fail(result, ErrorKind::BadRequest,
                    "Error: The frame range " + RangeText(range) + " needs a step of at least 1");
    if (range.first < 0 || range.first >= frameCount || range.last.value_or(range.first) < range.first)
        return Fail(result, ErrorKind::BadRequest,
                    "Error: The frame range " + RangeText(range) + " lies outside the animation's " +
                        Digits(frameCount) + " frames");
    const int last = std::min(range.last.value_or(frameCount - 1), frameCount - 1);
    frames = {range.first, range.step, (last - range.first) / range.step + 1};
    if (static_cast<std::uint64_t>(frames.count) > kMaxExportedLines / LinesPerFrame(model, sequence))
        return Fail(result, ErrorKind::TooLarge,
                    "Error: The animation is too long to export: " + Digits(frames.count) + " frames");
    return true;
}

bool SameVertices(const ModelVertices& a, const ModelVertices& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ModelVertex& p, const ModelVertex& q) {
        return p.x == q.x && p.y == q.y && p.z == q.z;
    });
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
    return finalOutputPath.substr(0, stemLength) + "-" + number + finalOutputPath.substr(stemLength);
}

bool ExportFrames(const ConversionRequest& request, CStatusSink& status, ConversionResult& result)
{
    const FrameSequence sequence = request.frames;
    OpenedRun run;
    if (!OpenRun(request, result, run))
        return false;
    // Morph frames are the objects as stored: their keys are never used.
    const bool morph = sequence == FrameSequence::Morph;
    const std::unique_ptr<CLoadedModel> loaded =
        LoadRun(run, request, morph ? KeyTracks::Skip : KeyTracks::Read,
                morph ? LoadMode::MorphSequence : LoadMode::KeyframeModel, status, result);
    FramesToWrite frames;
    if (!loaded || !ChooseFrames(*loaded, sequence, request.frameRange, result, frames))
        return false;
    CLoadedModel& model = *loaded;

    // Real files often animate nothing; the first frame's vertices tell.
    ModelVertices firstVertices;
    bool moves = false;
    for (int i = 0; i < frames.count; ++i)
    {
        const int frame = frames.first + i * frames.step;
        ModelObject record;
        model.BuildFrame(frame, &record);
        if (i == 0)
            firstVertices = record.vertices;
        else
            moves = moves || !SameVertices(record.vertices, firstVertices);
        ComputeObjectFaceNormals(record);
        ComputeObjectVertexNormals(record);
        const std::string path = FrameOutputPath(run.finalPath, frame, model.GetFrameCount());
        if (!WriteModelFile(result, path, run.textureName, request.flip, 1,
                            [&](CModelTextWriter& writer) { writer.WriteObject(record); }))
            return false;
    }
    if (!morph && frames.count > 1 && !moves)
        result.warnings.push_back("Warning: every frame is the same as frame " + Digits(frames.first) +
                           "; the animation does not move");
    return true;
}
