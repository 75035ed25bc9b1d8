#include "convert/run_steps.h"

#include "convert/output_naming.h"
#include "platform/atomic_output_file.h"

bool OpenRun(const ConversionRequest& request, CStatusSink& status, OpenedRun& run)
{
    if (!run.input.Open(request.inputPath))
    {
        status.ShowMessage(request.inputPath.empty() ? "Error: You must specify an input file"
                                                     : "Error: Could not open Input file: " + request.inputPath);
        return false;
    }
    if (request.outputPath.empty())
    {
        status.ShowMessage("Error: You must specify an output file name");
        return false;
    }
    run.finalPath = MakeOutputPath(request.outputPath);
    return true;
}

bool LoadRun(CModel3DS& model, OpenedRun& run, int mode, CStatusSink& status)
{
    status.ShowProgress("Loading model...");
    const bool loaded = model.LoadFile(&run.input, mode) != 0;
    run.input.Close();
    return loaded;
}

bool WriteModelFile(CStatusSink& status, const std::string& path, bool flip, int objectCount,
                    const std::function<void(CModelTextWriter&)>& writeObjects)
{
    CAtomicOutputFile output;
    if (!output.Create(path))
    {
        status.ShowMessage("Error: Could not create Output file: " + path);
        return false;
    }
    CModelTextWriter writer(output, MakeTextureName(path), flip);
    writer.WriteHeader(objectCount);
    writeObjects(writer);
    if (!writer.Finish() || !output.Commit())
    {
        status.ShowMessage("Error: Could not write Output file: " + path);
        return false;
    }
    return true;
}
