#include "convert/conversion.h"

#include "convert/object_name.h"
#include "convert/ordered_work.h"
#include "convert/run_steps.h"
#include "geometry/normals.h"

#include <algorithm>
#include <vector>

namespace
{
// Stretches of about a hundred kilobytes of text each: the few buffers in
// flight are reused from stretch to stretch, so their pages are soon all in
// memory and few page faults remain.
constexpr std::size_t kVerticesPerStretch = 2048;
constexpr std::size_t kFacesPerStretch = 4096;

// What the lines of an object need besides the object: its vertex normals.
// The face normals they come from are not kept; each thread makes them in
// one buffer, whose memory serves object after object.
void PrepareObject(ModelObject& object)
{
    thread_local std::vector<ModelVertex> faceNormals;
    ComputeObjectVertexNormals(object, faceNormals);
}

void WriteObjects(CLoadedModel& model, unsigned threads, const std::string& textureName, bool flip,
                  CModelTextWriter& writer)
{
    const int objectCount = model.GetObjectCount();
    // Once written, each object keeps only its cut name; the writer takes
    // the flags from the whole name.
    if (threads <= 1)
    {
        for (int i = 0; i < objectCount; ++i)
        {
            ModelObject& object = *model.GetObject(i);
            PrepareObject(object);
            writer.WriteObject(object);
            object.name = SplitObjectName(object.name).name;
        }
        return;
    }
    // Objects are independent: each gets its normals on a thread of its
    // own. Then their lines are formatted in stretches on the threads and
    // written in order, so the text is the same as on one thread, and one
    // large object keeps every thread busy too.
    MakeTextsInOrder(
        static_cast<std::size_t>(objectCount), threads,
        [&](std::size_t index, std::string&) { PrepareObject(*model.GetObject(static_cast<int>(index))); },
        [](const std::string&) {});
    std::vector<std::pair<int, ObjectLines>> stretches;
    std::size_t mostVertices = 0;
    for (int i = 0; i < objectCount; ++i)
    {
        const ModelObject& object = *model.GetObject(i);
        mostVertices = std::max<std::size_t>(mostVertices, object.vertexCount);
        for (std::size_t first = 0; first == 0 || first < object.vertexCount; first += kVerticesPerStretch)
            stretches.push_back({i, {first == 0, first, std::min<std::size_t>(first + kVerticesPerStretch, object.vertexCount), 0, 0}});
        for (std::size_t first = 0; first < object.faceCount; first += kFacesPerStretch)
            stretches.push_back({i, {false, 0, 0, first, std::min<std::size_t>(first + kFacesPerStretch, object.faceCount)}});
    }
    CIndexText indices;
    indices.Prepare(mostVertices);
    MakeTextsInOrder(
        stretches.size(), threads,
        [&](std::size_t index, std::string& text) {
            const auto& [object, lines] = stretches[index];
            AppendObjectLines(*model.GetObject(object), lines, textureName, flip, indices, text);
        },
        [&](const std::string& text) { writer.WriteText(text); });
    for (int i = 0; i < objectCount; ++i)
        model.GetObject(i)->name = SplitObjectName(model.GetObject(i)->name).name;
}
} // namespace

bool ConvertModel(const ConversionRequest& request, CStatusSink& status, ConversionResult& result)
{
    OpenedRun run;
    if (!OpenRun(request, result, run))
        return false;
    CAtomicOutputFile output;
    {
        // The model goes before the output is synced: a batch may hold many
        // outputs waiting for the disk, but no models.
        // The objects are written as stored: no keys.
        const std::unique_ptr<CLoadedModel> loaded =
            LoadRun(run, request, KeyTracks::Skip, LoadMode::KeyframeModel, status, result);
        if (!loaded)
            return false;
        CLoadedModel& model = *loaded;
        const unsigned threads = request.threads != 0 ? request.threads : CoreCount();
        if (!WriteOutput(result, output, run.finalPath, run.textureName, request.flip, model.GetObjectCount(),
                         [&](CModelTextWriter& writer) {
                             WriteObjects(model, threads, run.textureName, request.flip, writer);
                         }))
            return false;
    }
    return CommitOutput(result, output, run.finalPath);
}
