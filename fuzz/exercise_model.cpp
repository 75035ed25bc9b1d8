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
bool BeginsWithError(const std::string& text)
{
    return text.rfind("Error", 0) == 0;
}

// Counts the error messages a load shows.
class CountingStatusSink : public CStatusSink
{
public:
    void ShowMessage(const std::string& text) override { errors += BeginsWithError(text); }
    void ShowProgress(const std::string& text) override { errors += BeginsWithError(text); }
    int errors = 0;
};

// Every array holds exactly its count's records and every face names
// vertices of its own object: what the normals, the writer and the frame
// builder index by.
const char* CheckObject(const ModelObject& object)
{
    if (object.vertices.size() != object.vertexCount || object.faces.size() != object.faceCount)
        return "an array and its count differ";
    for (const ModelFace& face : object.faces)
        for (std::int32_t index : face.index)
            if (index < 0 || static_cast<std::uint32_t>(index) >= object.vertexCount)
                return "a face names a vertex outside its object";
    return nullptr;
}

const char* CheckLoadedModel(CModel3DS& model)
{
    const auto segment = static_cast<std::size_t>(std::max(model.GetFrameSegmentLength(), 0));
    model.ComputeFaceNormals();
    model.ComputeVertexNormals();
    // The text has the header, then per object five lines, a line per vertex
    // and a line per face.
    std::size_t lines = 4;
    for (int i = 0; i < model.GetObjectCount(); ++i)
    {
        const ModelObject& object = *model.GetObject(i);
        if (const char* broken = CheckObject(object))
            return broken;
        if (object.name.size() > 12)
            return "an object name is longer than 12 characters";
        if (object.positionKeys.size() != segment || object.rotationKeys.size() != segment ||
            object.scaleKeys.size() != segment)
            return "a key track does not have one slot per frame of the segment";
        if (object.faceNormals.size() != object.faceCount || object.vertexNormals.size() != object.vertexCount)
            return "normals do not match the counts";
        lines += 5 + std::size_t{object.vertexCount} + object.faceCount;
    }
    std::string text;
    AppendModelText(model, "fuzz.RAW", false, text);
    if (text.rfind("C3DModel\n4\n", 0) != 0 || text.back() != '\n' ||
        static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) != lines)
        return "the model text does not have the lines its counts call for";

    // Frames outside the count are refused; the first ones and the last are built.
    const int frameCount = model.GetFrameCount();
    for (int frame = -1; frame <= frameCount; ++frame)
    {
        if (frame >= kMaxFramesBuilt - 1 && frame < frameCount - 1)
            frame = frameCount - 1;
        ModelObject out;
        model.BuildFrame(frame, &out);
        if (out.valid != (frame >= 0 && frame < frameCount ? 1 : 0))
            return "a frame was built outside the frame count, or not built inside it";
        if (const char* broken = out.valid ? CheckObject(out) : nullptr)
            return broken;
    }
    return nullptr;
}

std::string ExerciseMode(const std::uint8_t* data, std::size_t size, int mode, ExerciseOutcome& outcome)
{
    CInputFile file;
    file.OpenMemory(std::vector<std::uint8_t>(data, data + size));
    CountingStatusSink window;
    CModel3DS model(&window, &outcome.message[mode]);
    const int loaded = outcome.loaded[mode] = model.LoadFile(&file, mode);
    if (loaded == 0)
        return BeginsWithError(outcome.message[mode]) && window.errors == 1
                   ? std::string()
                   : "a failed load did not show exactly one message beginning with \"Error\"";
    if (loaded != 1)
        return "LoadFile returned neither 0 nor 1";
    if (window.errors != 0)
        return "a successful load showed an error message";
    const char* broken = CheckLoadedModel(model);
    return broken ? broken : "";
}
} // namespace

ExerciseOutcome ExerciseModelBytes(const std::uint8_t* data, std::size_t size)
{
    ExerciseOutcome outcome;
    for (int mode : {0, 1})
    {
        if (std::string broken = ExerciseMode(data, size, mode, outcome); !broken.empty())
        {
            outcome.broken = "mode " + std::to_string(mode) + ": " + broken;
            break;
        }
    }
    return outcome;
}

} // namespace robustness
