#include "fuzz/exercise_model.h"

#include "convert/model_text_writer.h"
#include "convert/threaded_writer.h"
#include "model/model_3ds.h"
#include "platform/executor.h"
#include "convert/object_name.h"
#include "platform/input_file.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace robustness
{
namespace
{
bool BeginsWithError(const std::string& text)
{
    return text.rfind("Error", 0) == 0;
}

// Counts the error messages a load shows on its status sink, which carries
// progress only: a failure's message goes to the status text.
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

// The text of the conversion's threaded writer, its lines cut into stretches
// so short that a small input's objects span several: the same bytes on one
// thread and on three.
const char* CheckThreadedText(CLoadedModel& model)
{
    static CExecutor oneThread(1), threeThreads(3);
    constexpr TextStretches kShortStretches{7, 13};
    std::string single, shared;
    AppendModelTextOnThreads(model, oneThread, "fuzz.RAW", false, single, kShortStretches);
    AppendModelTextOnThreads(model, threeThreads, "fuzz.RAW", false, shared, kShortStretches);
    return single == shared ? nullptr : "the model text written on three threads differs from that of one";
}

// Without the key tracks there are no key arrays and no keyframed frames; a
// .3DS model keeps its keys in slots, one per frame, as does a source without
// animation (neutral ones); glTF places its nodes itself and keeps none.
// text receives the model text.
const char* CheckLoadedModel(CLoadedModel& model, ModelFormat format, LoadMode mode, std::string& text)
{
    const bool keysRead = model.AreKeysRead();
    const bool slots = keysRead && format != ModelFormat::Gltf && format != ModelFormat::Glb;
    const auto segment = slots ? static_cast<std::size_t>(std::max(model.GetFrameSegmentLength(), 0)) : 0;
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
        if (SplitObjectName(object.name).name.size() > 12 || (format == ModelFormat::ThreeDs && object.name.size() > 12))
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
    // Once an input is enough: as a conversion loads it.
    if (const char* broken = mode == LoadMode::KeyframeModel && !keysRead ? CheckThreadedText(model) : nullptr)
        return broken;

    // Frames outside the count are refused; the first ones and the last are built.
    // Counted in 64 bits: a skipped segment may hold INT_MAX frames.
    const std::int64_t frameCount = model.GetFrameCount();
    for (std::int64_t frame = -1; frame <= frameCount; ++frame)
    {
        if (frame >= kMaxFramesBuilt - 1 && frame < frameCount - 1)
            frame = frameCount - 1;
        ModelObject out;
        model.BuildFrame(static_cast<int>(frame), &out);
        if (out.valid != (frame >= 0 && frame < frameCount && (keysRead || mode == LoadMode::MorphSequence) ? 1 : 0))
            return "a frame was built outside the frame count, or not built inside it";
        if (const char* broken = out.valid ? CheckObject(out) : nullptr)
            return broken;
    }
    return nullptr;
}

// Bit for bit, as a NaN read from a key equals itself.
bool SameSlots(const std::vector<ModelVertex>& a, const std::vector<ModelVertex>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ModelVertex& p, const ModelVertex& q) {
        return std::bit_cast<std::uint32_t>(p.x) == std::bit_cast<std::uint32_t>(q.x) &&
               std::bit_cast<std::uint32_t>(p.y) == std::bit_cast<std::uint32_t>(q.y) &&
               std::bit_cast<std::uint32_t>(p.z) == std::bit_cast<std::uint32_t>(q.z);
    });
}

// One load, its status and the model text it gives.
struct Load
{
    Load(ModelFormat source, KeyTracks tracks)
        : format(source), keys(tracks), model(MakeModelSource(format, {.keys = keys}, &window, &message))
    {
    }
    ModelFormat format;
    KeyTracks keys;
    CountingStatusSink window;
    std::string message;
    std::unique_ptr<CLoadedModel> model;
    int loaded = 0;
    std::string text;
};

// Why a load may fail: the file is no model, or damaged, or, where the keys
// must be read, its animation is too long. Other sources also refuse files
// beyond their limits, and files that refer to others, which no standard
// input has beside it.
bool IsLoadFailure(ErrorKind kind, ModelFormat format, KeyTracks keys)
{
    return kind == ErrorKind::NotAModel || kind == ErrorKind::Damaged ||
           (kind == ErrorKind::TooLarge && (keys == KeyTracks::Read || format != ModelFormat::ThreeDs)) ||
           (kind == ErrorKind::InputUnreadable && format != ModelFormat::ThreeDs);
}

std::string LoadAndCheck(const std::uint8_t* data, std::size_t size, LoadMode mode, Load& load)
{
    CInputFile file;
    file.OpenMemory(std::vector<std::uint8_t>(data, data + size));
    load.loaded = load.model->LoadFile(&file, mode);
    if (load.window.errors != 0)
        return "a load showed an error message on its status sink";
    if (load.loaded == 0)
    {
        if (!BeginsWithError(load.message) || load.model->GetErrorText() != load.message)
            return "a failed load did not leave one message beginning with \"Error\" in its status text";
        return IsLoadFailure(load.model->GetError(), load.format, load.keys) ? "" : "a failed load tells no kind it may fail by";
    }
    if (load.loaded != 1)
        return "LoadFile returned neither 0 nor 1";
    if (load.model->GetError() != ErrorKind::None || !load.message.empty())
        return "a successful load tells an error";
    const bool keysRead = load.model->AreKeysRead();
    if ((load.keys == KeyTracks::Skip && keysRead) || (load.keys == KeyTracks::Read && !keysRead))
        return "a load read its keys where it was to skip them, or skipped them where it was to read them";
    const char* broken = CheckLoadedModel(*load.model, load.format, mode, load.text);
    return broken ? broken : "";
}

// Loaded as a conversion loads it, without key tracks; then, when its key
// slots are few enough to keep the target fast, with them, which must give
// the same objects, and with them where they fit, as --info loads, which
// must give the same objects and fail only where the conversion fails: with
// the keys where they can be read, without them where they cannot.
std::string ExerciseMode(const std::uint8_t* data, std::size_t size, ModelFormat format, LoadMode mode,
                         ExerciseOutcome& outcome)
{
    const auto index = static_cast<std::size_t>(mode);
    Load skipped(format, KeyTracks::Skip), read(format, KeyTracks::Read), fitting(format, KeyTracks::ReadWhenTheyFit);
    std::string broken = LoadAndCheck(data, size, mode, skipped);
    outcome.loaded[index] = skipped.loaded, outcome.message[index] = skipped.message;
    const auto slots = std::uint64_t(skipped.model->GetObjectCount()) * skipped.model->GetFrameSegmentLength();
    if (!broken.empty() || skipped.loaded == 0 || slots > (std::uint64_t{1} << 16) + 8 * size)
        return broken;
    if (broken = LoadAndCheck(data, size, mode, read); !broken.empty())
        return broken;
    if (read.loaded == 1 && read.text != skipped.text)
        return "reading the key tracks changed the objects";
    if (broken = LoadAndCheck(data, size, mode, fitting); !broken.empty())
        return broken;
    if (fitting.loaded != 1 || fitting.text != skipped.text)
        return "reading the key tracks where they fit changed the load's outcome or objects";
    if (fitting.model->AreKeysRead() != (read.loaded == 1))
        return "the key tracks were read where they fit differently from a load that must read them";
    for (int i = 0; read.loaded == 1 && i < read.model->GetObjectCount(); ++i)
    {
        const ModelObject &must = *read.model->GetObject(i), &may = *fitting.model->GetObject(i);
        if (!SameSlots(must.positionKeys, may.positionKeys) || !SameSlots(must.rotationKeys, may.rotationKeys) ||
            !SameSlots(must.scaleKeys, may.scaleKeys))
            return "the key tracks read where they fit differ from those a load that must read them reads";
    }
    return "";
}
} // namespace

ExerciseOutcome ExerciseModelBytes(const std::uint8_t* data, std::size_t size)
{
    return ExerciseModelBytes(data, size, RecogniseFormat({data, size}, ""));
}

ExerciseOutcome ExerciseModelBytes(const std::uint8_t* data, std::size_t size, ModelFormat format)
{
    ExerciseOutcome outcome;
    for (LoadMode mode : {LoadMode::KeyframeModel, LoadMode::MorphSequence})
    {
        if (std::string broken = ExerciseMode(data, size, format, mode, outcome); !broken.empty())
        {
            outcome.broken = "mode " + std::to_string(static_cast<int>(mode)) + ": " + broken;
            break;
        }
    }
    return outcome;
}

} // namespace robustness
