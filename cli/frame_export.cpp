#include "cli/frame_export.h"

#include "convert/control_ids.h"
#include "convert/run_steps.h"
#include "geometry/normals.h"
#include "model/model_3ds.h"

#include <algorithm>
#include <charconv>

namespace
{
// About eight gigabytes of text.
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

// An upper bound on the lines of one frame file: a mode-0 frame holds every
// object, a mode-1 frame one of them.
std::uint64_t LinesPerFrame(CModel3DS& model, FrameSequence sequence)
{
    std::uint64_t lines = 0;
    for (int i = 0; i < model.GetObjectCount(); ++i)
    {
        const ModelObject& object = *model.GetObject(i);
        const std::uint64_t objectLines = object.vertices.size() + object.faces.size();
        lines = sequence == FrameSequence::Morph ? std::max(lines, objectLines) : lines + objectLines;
    }
    return lines + kFixedLinesPerFile;
}

bool CheckFrameCount(CDialogWindow& window, CModel3DS& model, FrameSequence sequence)
{
    const int frameCount = model.GetFrameCount();
    if (frameCount <= 0)
    {
        ShowStatus(window, "Error: The model has no frames to export");
        return false;
    }
    if (!FitsExportLimit(static_cast<std::uint64_t>(frameCount), LinesPerFrame(model, sequence)))
    {
        ShowStatus(window, "Error: The animation is too long to export: " + Digits(frameCount) + " frames");
        return false;
    }
    return true;
}

bool WriteFrames(CDialogWindow& window, CModel3DS& model, const std::string& finalPath, bool flip)
{
    const int frameCount = model.GetFrameCount();
    for (int frame = 0; frame < frameCount; ++frame)
    {
        ModelObject record;
        model.BuildFrame(frame, &record);
        ComputeObjectFaceNormals(record);
        ComputeObjectVertexNormals(record);
        const std::string path = FrameOutputPath(finalPath, frame, frameCount);
        if (!WriteModelFile(window, path, flip, 1, [&](CModelTextWriter& writer) { writer.WriteObject(record); }))
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

bool FitsExportLimit(std::uint64_t frameCount, std::uint64_t lineCountPerFrame)
{
    return lineCountPerFrame == 0 || frameCount <= kMaxExportedLines / lineCountPerFrame;
}

bool ExportFrames(CDialogWindow& window, FrameSequence sequence)
{
    RunStart start;
    if (!StartRun(window, start))
        return false;

    ShowStatus(window, "Loading model...");
    window.UpdateWindow();
    std::string statusText;
    CModel3DS model(&window, IDC_STATUS, &statusText);
    const int mode = sequence == FrameSequence::Morph ? 1 : 0;
    if (!model.LoadFile(&start.input, mode))
        return false;
    start.input.Close();

    if (!CheckFrameCount(window, model, sequence))
        return false;
    if (!WriteFrames(window, model, start.finalPath, start.flip))
        return false;
    window.EndDialogOK();
    return true;
}
