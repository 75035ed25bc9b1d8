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

// Counts the progress lines that look like errors: a load has none.
class CountingStatusSink : public CStatusSink
{
public:
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

// keysRead: whether the load read the key tracks; without them there are
// no key arrays and no keyframed frames. text receives the model text.
const char* CheckLoadedModel(CModel3DS& model, int mode, bool keysRead, std::string& text)
{
    const auto segment = keysRead ? static_cast<std::size_t>(std::max(model.GetFrameSegmentLength(), 0)) : 0;
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
            return "a key track does not have one slot per frame of the segment (none when skipped)";
        if (object.faceNormals.size() != object.faceCount || object.vertexNormals.size() != object.vertexCount)
            return "normals do not match the counts";
        lines += 5 + std::size_t{object.vertexCount} + object.faceCount;
    }
    AppendModelText(model, "fuzz.RAW", false, text);
    if (text.rfind("C3DModel\n4\n", 0) != 0 || text.back() != '\n' ||
        static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) != lines)
        return "the model text does not have the lines its counts call for";

    // Frames outside the count are refused; the first ones and the last are built.
    // Counted in 64 bits: a skipped segment may hold INT_MAX frames.
    const std::int64_t frameCount = model.GetFrameCount();
    for (std::int64_t frame = -1; frame <= frameCount; ++frame)
    {
        if (frame >= kMaxFramesBuilt - 1 && frame < frameCount - 1)
            frame = frameCount - 1;
        ModelObject out;
        model.BuildFrame(static_cast<int>(frame), &out);
        if (out.valid != (frame >= 0 && frame < frameCount && (keysRead || mode == 1) ? 1 : 0))
            return "a frame was built outside the frame count, or not built inside it";
        if (const char* broken = out.valid ? CheckObject(out) : nullptr)
            return broken;
    }
    return nullptr;
}

// One load, its status and the model text it gives.
struct Load
{
    explicit Load(KeyTracks tracks) : keys(tracks) {}
    KeyTracks keys;
    CountingStatusSink window;
    std::string message;
    CModel3DS model{&window, &message, keys};
    int loaded = 0;
    std::string text;
};

std::string LoadAndCheck(const std::uint8_t* data, std::size_t size, int mode, Load& load)
{
    CInputFile file;
    file.OpenMemory(std::vector<std::uint8_t>(data, data + size));
    load.loaded = load.model.LoadFile(&file, mode);
    if (load.loaded == 0)
        return BeginsWithError(load.message) && load.window.errors == 0 && load.model.GetError() != ErrorKind::None
                   ? std::string()
                   : "a failed load did not leave one kind and one message beginning with \"Error\"";
    if (load.loaded != 1)
        return "LoadFile returned neither 0 nor 1";
    if (load.window.errors != 0 || load.model.GetError() != ErrorKind::None)
        return "a successful load showed an error";
    const char* broken = CheckLoadedModel(load.model, mode, load.keys == KeyTracks::Read, load.text);
    return broken ? broken : "";
}

// Loaded as a conversion loads it, without key tracks; then, when its key
// slots are few enough to keep the target fast, with them, which must give
// the same objects.
std::string ExerciseMode(const std::uint8_t* data, std::size_t size, int mode, ExerciseOutcome& outcome)
{
    Load skipped(KeyTracks::Skip), read(KeyTracks::Read);
    std::string broken = LoadAndCheck(data, size, mode, skipped);
    outcome.loaded[mode] = skipped.loaded, outcome.message[mode] = skipped.message;
    const auto slots = std::uint64_t(skipped.model.GetObjectCount()) * skipped.model.GetFrameSegmentLength();
    if (!broken.empty() || skipped.loaded == 0 || slots > (std::uint64_t{1} << 16) + 8 * size)
        return broken;
    broken = LoadAndCheck(data, size, mode, read);
    if (broken.empty() && read.loaded == 1 && read.text != skipped.text)
        return "reading the key tracks changed the objects";
    return broken;
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
