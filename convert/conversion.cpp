#include "convert/conversion.h"

#include "convert/object_name.h"
#include "convert/run_steps.h"

#include <memory>

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
        model.ComputeFaceNormals();
        model.ComputeVertexNormals();

        // The writer takes the flags from the whole name; each object keeps
        // only its cut name once it is written.
        const int objectCount = model.GetObjectCount();
        if (!WriteOutput(status, output, run.finalPath, run.textureName, request.flip, objectCount,
                         [&](CModelTextWriter& writer) {
                             for (int i = 0; i < objectCount; ++i)
                             {
                                 ModelObject* object = model.GetObject(i);
                                 writer.WriteObject(*object);
                                 object->name = SplitObjectName(object->name).name;
                             }
                         }))
            return false;
    }
    if (request.onWritten)
        request.onWritten();
    return CommitOutput(status, output, run.finalPath);
}
