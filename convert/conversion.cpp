#include "convert/conversion.h"

#include "convert/object_name.h"
#include "convert/run_steps.h"

bool ConvertModel(const ConversionRequest& request, CStatusSink& status)
{
    OpenedRun run;
    if (!OpenRun(request, status, run))
        return false;
    std::string statusText;
    CModel3DS model(&status, &statusText);
    if (!LoadRun(model, run, 0, status))
        return false;
    model.ComputeFaceNormals();
    model.ComputeVertexNormals();

    // The writer takes the flags from the whole name; each object keeps only
    // its cut name once it is written.
    const int objectCount = model.GetObjectCount();
    return WriteModelFile(status, run.finalPath, request.flip, objectCount, [&](CModelTextWriter& writer) {
        for (int i = 0; i < objectCount; ++i)
        {
            ModelObject* object = model.GetObject(i);
            writer.WriteObject(*object);
            object->name = SplitObjectName(object->name).name;
        }
    });
}
