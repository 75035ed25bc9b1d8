#include "convert/conversion.h"

#include "convert/object_name.h"
#include "convert/ordered_work.h"
#include "convert/run_steps.h"
#include "geometry/normals.h"

namespace
{
// The normals of an object, then its lines; afterwards it keeps only its cut
// name, as the writer takes the flags from the whole name.
void PrepareObject(ModelObject& object)
{
    ComputeObjectFaceNormals(object);
    ComputeObjectVertexNormals(object);
}

void WriteObjects(CModel3DS& model, unsigned threads, const std::string& textureName, bool flip,
                  CModelTextWriter& writer)
{
    const int objectCount = model.GetObjectCount();
    if (threads <= 1 || objectCount <= 1)
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
    // Objects are independent: each is prepared and formatted on a thread of
    // its own and written in order, so the text is the same as on one thread.
    MakeTextsInOrder(
        static_cast<std::size_t>(objectCount), threads,
        [&](std::size_t index, std::string& text) {
            ModelObject& object = *model.GetObject(static_cast<int>(index));
            PrepareObject(object);
            AppendObjectText(object, textureName, flip, text);
            object.name = SplitObjectName(object.name).name;
        },
        [&](const std::string& text) { writer.WriteText(text); });
}
} // namespace

bool ConvertModel(const ConversionRequest& request, CStatusSink& status)
{
    OpenedRun run;
    if (!OpenRun(request, status, run))
        return false;
    CAtomicOutputFile output;
    {
        // The model goes before the output is synced: a batch may hold many
        // outputs waiting for the disk, but no models.
        std::string statusText;
        CModel3DS model(&status, &statusText, KeyTracks::Skip); // the objects are written as stored
        if (!LoadRun(model, run, 0, status))
            return false;
        const unsigned threads = request.threads != 0 ? request.threads : CoreCount();
        if (!WriteOutput(status, output, run.finalPath, run.textureName, request.flip, model.GetObjectCount(),
                         [&](CModelTextWriter& writer) {
                             WriteObjects(model, threads, run.textureName, request.flip, writer);
                         }))
            return false;
    }
    if (request.onWritten)
        request.onWritten();
    return CommitOutput(status, output, run.finalPath);
}
