#include "convert/run_steps.h"

#include "convert/output_naming.h"

#include <cerrno>

namespace
{
// Messages name standard output as the user wrote it.
std::string OutputName(const std::string& path)
{
    return path.empty() ? "-" : path;
}
} // namespace

bool OpenRun(const ConversionRequest& request, CStatusSink& status, OpenedRun& run)
{
    if (request.inputPath.empty() && !request.readStandardInput)
    {
        status.ShowMessage("Error: You must specify an input file");
        return false;
    }
    if (!OpenInput(request.inputPath, request.readStandardInput, status, run.input))
        return false;
    if (request.writeStandardOutput)
    {
        run.finalPath.clear();
        run.textureName = !request.textureName.empty() ? request.textureName
                          : request.readStandardInput  ? "model.RAW"
                                                       : MakeTextureName(request.inputPath);
        return true;
    }
    if (request.outputPath.empty())
    {
        status.ShowMessage("Error: You must specify an output file name");
        return false;
    }
    run.finalPath = MakeOutputPath(request.outputPath);
    run.textureName = request.textureName.empty() ? MakeTextureName(run.finalPath) : request.textureName;
    return true;
}

bool OpenInput(const std::string& inputPath, bool readStandardInput, CStatusSink& status, CInputFile& input)
{
    if (readStandardInput ? input.OpenStandardInput() : input.Open(inputPath))
        return true;
    status.ShowError("Error: Could not open Input file: " + inputPath, errno);
    return false;
}

bool CreateOutput(CStatusSink& status, CAtomicOutputFile& output, const std::string& path)
{
    if (path.empty() ? output.CreateStandardOutput() : output.Create(path))
        return true;
    status.ShowError("Error: Could not create Output file: " + OutputName(path), errno);
    return false;
}

bool LoadRun(CModel3DS& model, OpenedRun& run, LoadMode mode, CStatusSink& status)
{
    status.ShowProgress("Loading model...");
    const bool loaded = model.LoadFile(&run.input, mode) != 0;
    run.input.Close();
    if (!loaded)
        status.ShowMessage(model.GetErrorText());
    return loaded;
}

bool WriteOutput(CStatusSink& status, CAtomicOutputFile& output, const std::string& path,
                 const std::string& textureName, bool flip, int objectCount,
                 const std::function<void(CModelTextWriter&)>& writeObjects)
{
    if (!CreateOutput(status, output, path))
        return false;
    CModelTextWriter writer(output, textureName, flip);
    writer.WriteHeader(objectCount);
    writeObjects(writer);
    // A failed write shows when the output is committed, with its reason.
    writer.Finish();
    return true;
}

bool CommitOutput(CStatusSink& status, CAtomicOutputFile& output, const std::string& path)
{
    if (!output.Commit())
    {
        status.ShowError("Error: Could not write Output file: " + OutputName(path), errno);
        return false;
    }
    status.ShowOutputWritten(OutputName(path));
    return true;
}

bool WriteModelFile(CStatusSink& status, const std::string& path, const std::string& textureName, bool flip,
                    int objectCount, const std::function<void(CModelTextWriter&)>& writeObjects)
{
    CAtomicOutputFile output;
    return WriteOutput(status, output, path, textureName, flip, objectCount, writeObjects) &&
           CommitOutput(status, output, path);
}
