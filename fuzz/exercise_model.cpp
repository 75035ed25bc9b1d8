#include "fuzz/exercise_model.h"

#include "convert/model_text_writer.h"
#include "model/model_3ds.h"
#include "platform/input_file.h"

#include <algorithm>
#include <vector>

namespace robustness
{
namespace
{
constexpr int kStatusId = 1004;

bool BeginsWithError(const std::string& text)
{
    return text.rfind("Error", 0) == 0;
}

// Counts the error messages a load shows; progress lines are only counted.
class CountingStatusWindow : public CStatusWindow
{
public:
    void SetDlgItemText(int, const std::string& text) override
    {
        if (BeginsWithError(text))
            ++m_nErrors;
    }
    void UpdateWindow() override {}

    int ErrorCount() const { return m_nErrors; }

private:
    int m_nErrors = 0;
};

// Every array holds exactly its count's records and every face names
// vertices of its own object: what the normals, the writer and the frame
// builder index by.
std::string CheckObject(const ModelObject& object)
{
    if (object.vertices.size() != object.vertexCount)
        return "vertex array and vertexCount differ";
    if (object.faces.size() != object.faceCount)
        return "face array and faceCount differ";
    for (const ModelFace& face : object.faces)
    {
        for (std::int32_t index : face.index)
        {
            if (index < 0 || static_cast<std::uint32_t>(index) >= object.vertexCount)
                return "a face names a vertex outside its object";
        }
    }
    return {};
}

std::string CheckLoadedModel(CModel3DS& model)
{
    const std::size_t segment = static_cast<std::size_t>(std::max(model.GetFrameSegmentLength(), 0));
    for (int i = 0; i < model.GetObjectCount(); ++i)
    {
        const ModelObject& object = *model.GetObject(i);
        if (std::string broken = CheckObject(object); !broken.empty())
            return broken;
        if (object.name.size() > 12)
            return "an object name is longer than 12 characters";
        if (object.positionKeys.size() != segment || object.rotationKeys.size() != segment ||
            object.scaleKeys.size() != segment)
            return "a key track does not have one slot per frame of the segment";
    }
    return {};
}

std::string CheckNormals(CModel3DS& model)
{
    model.ComputeFaceNormals();
    model.ComputeVertexNormals();
    for (int i = 0; i < model.GetObjectCount(); ++i)
    {
        const ModelObject& object = *model.GetObject(i);
        if (object.faceNormals.size() != object.faceCount || object.vertexNormals.size() != object.vertexCount)
            return "normals do not match the counts";
    }
    return {};
}

// The text has the header, then per object its five lines, a line per
// vertex and a line per face, each ended by a line feed.
std::string CheckModelText(CModel3DS& model)
{
    std::string text;
    AppendModelText(model, "fuzz.RAW", false, text);
    std::size_t expectedLines = 4;
    for (int i = 0; i < model.GetObjectCount(); ++i)
    {
        const ModelObject& object = *model.GetObject(i);
        expectedLines += 5 + std::size_t{object.vertexCount} + std::size_t{object.faceCount};
    }
    if (text.rfind("C3DModel\n4\n", 0) != 0)
        return "the model text does not begin with its header";
    if (text.back() != '\n')
        return "the model text does not end with a line feed";
    if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) != expectedLines)
        return "the model text has the wrong number of lines";
    return {};
}

std::string CheckFrame(CModel3DS& model, int frame)
{
    ModelObject out;
    model.BuildFrame(frame, &out);
    if (out.valid != 1)
        return "a frame inside the frame count was not built";
    return CheckObject(out);
}

std::string CheckFrames(CModel3DS& model)
{
    const int frameCount = model.GetFrameCount();
    for (int frame : {-1, frameCount})
    {
        ModelObject out;
        model.BuildFrame(frame, &out);
        if (out.valid != 0)
            return "a frame outside the frame count was built";
    }
    std::vector<int> frames;
    for (int frame = 0; frame < std::min(frameCount, kMaxFramesBuilt - 1); ++frame)
        frames.push_back(frame);
    if (frameCount > 0)
        frames.push_back(frameCount - 1);
    for (int frame : frames)
    {
        if (std::string broken = CheckFrame(model, frame); !broken.empty())
            return broken;
    }
    return {};
}

std::string ExerciseMode(const std::uint8_t* data, std::size_t size, int mode, ExerciseOutcome& outcome)
{
    CInputFile file;
    file.OpenMemory(std::vector<std::uint8_t>(data, data + size));
    CountingStatusWindow window;
    std::string& text = outcome.message[mode];
    CModel3DS model(&window, kStatusId, &text);
    const int loaded = model.LoadFile(&file, mode);
    outcome.loaded[mode] = loaded;
    if (loaded != 1)
    {
        if (loaded != 0)
            return "LoadFile returned neither 0 nor 1";
        if (!BeginsWithError(text))
            return "a failed load left no message beginning with \"Error\"";
        if (window.ErrorCount() != 1)
            return "a failed load showed " + std::to_string(window.ErrorCount()) + " error messages";
        return {};
    }
    if (window.ErrorCount() != 0)
        return "a successful load showed an error message";
    for (auto check : {CheckLoadedModel, CheckNormals, CheckModelText, CheckFrames})
    {
        if (std::string broken = check(model); !broken.empty())
            return broken;
    }
    return {};
}
} // namespace

ExerciseOutcome ExerciseModelBytes(const std::uint8_t* data, std::size_t size)
{
    ExerciseOutcome outcome;
    for (int mode : {0, 1})
    {
        std::string broken = ExerciseMode(data, size, mode, outcome);
        if (!broken.empty())
        {
            outcome.broken = "mode " + std::to_string(mode) + ": " + broken;
            break;
        }
    }
    return outcome;
}

} // namespace robustness
