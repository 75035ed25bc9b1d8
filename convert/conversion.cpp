#include "convert/conversion.h"

#include "convert/object_name.h"
#include "convert/run_steps.h"
#include "convert/threaded_writer.h"
#include "platform/executor.h"

#include <optional>

namespace
{
// Once written, each object keeps only its cut name; the writer takes the
// flags from the whole name.
void WriteObjects(CLoadedModel& model, CExecutor& executor, const std::string& textureName, bool flip,
                  CModelTextWriter& writer)
{
    WriteObjectsOnThreads(model, executor, textureName, flip, writer);
    for (int i = 0; i < model.GetObjectCount(); ++i)
        model.GetObject(i)->name = SplitObjectName(model.GetObject(i)->name).name;
}
} // namespace

bool WriteConvertedModel(const ConversionRequest& request, CStatusSink& status, ConversionResult& result,
                         CAtomicOutputFile& output, std::string& outputPath)
{
    OpenedRun run;
    if (!OpenRun(request, result, run))
        return false;
    // The model goes before the output is synced: a batch may hold many
    // outputs waiting for the disk, but no models.
    // The objects are written as stored: no keys.
    const std::unique_ptr<CLoadedModel> loaded =
        LoadRun(run, request, KeyTracks::Skip, LoadMode::KeyframeModel, status, result);
    if (!loaded)
        return false;
    CLoadedModel& model = *loaded;
    std::optional<CExecutor> ownExecutor;
    CExecutor& executor = request.executor ? *request.executor : ownExecutor.emplace();
    outputPath = run.finalPath;
    return WriteOutput(result, output, run.finalPath, run.textureName, request.flip, model.GetObjectCount(),
                       [&](CModelTextWriter& writer) {
                           WriteObjects(model, executor, run.textureName, request.flip, writer);
                       });
}

bool ConvertModel(const ConversionRequest& request, CStatusSink& status, ConversionResult& result)
{
    CAtomicOutputFile output;
    std::string outputPath;
    return WriteConvertedModel(request, status, result, output, outputPath) &&
           CommitOutput(result, output, outputPath);
}
