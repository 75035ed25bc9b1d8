#include "convert/run_steps.h"

#include "convert/output_naming.h"
#include "geometry/winding.h"
#include "platform/executor.h"

#include <cerrno>
#include <new>
#include <optional>
#include <stdexcept>

namespace
{
// Messages name standard output as the user wrote it.
std::string OutputName(const std::string& path)
{
    return path.empty() ? "-" : path;
}

// The file a message about memory names: the input, or standard input.
std::string InputName(const ConversionRequest& request)
{
    return request.readStandardInput ? "standard input" : request.inputPath;
}

bool RunOperation(const ConversionRequest& request, CStatusSink& status, ConversionResult& result)
{
    switch (request.operation)
    {
    case Operation::Convert:
        return ConvertModel(request, status, result);
    case Operation::Frames:
        return ExportFrames(request, status, result);
    case Operation::Info:
        return InspectModel(request, status, result);
    case Operation::Preview:
        return WritePreview(request, status, result);
    }
    return Fail(result, ErrorKind::BadRequest, "Error: Unknown operation");
}

// Runs an operation that fills the result; running out of memory ends it
// with its kind and one message.
template <typename Operation>
ConversionResult RunGuarded(const ConversionRequest& request, Operation operation)
{
    ConversionResult result;
    try
    {
        operation(result);
    }
    catch (const std::bad_alloc&)
    {
        // Every object of the run is gone by now: an output not yet
        // committed took its temporary file with it. Frames already in
        // place stay, and stay listed.
        result.warnings.clear();
        result.report.reset();
        Fail(result, ErrorKind::OutOfMemory, "Error: not enough memory to convert " + InputName(request));
    }
    catch (const std::length_error&)
    {
        // An array asked for more than the address space can hold.
        result.warnings.clear();
        result.report.reset();
        Fail(result, ErrorKind::OutOfMemory, "Error: not enough memory to convert " + InputName(request));
    }
    return result;
}
} // namespace

ConversionResult RunConversion(const ConversionRequest& request, CStatusSink& status)
{
    return RunGuarded(request, [&](ConversionResult& result) { RunOperation(request, status, result); });
}

ConversionResult WriteConversion(const ConversionRequest& request, CStatusSink& status, CAtomicOutputFile& output,
                                 std::string& outputPath)
{
    return RunGuarded(request, [&](ConversionResult& result) {
        WriteConvertedModel(request, status, result, output, outputPath);
    });
}

bool Fail(ConversionResult& result, ErrorKind kind, std::string message, int systemError)
{
    result.kind = kind;
    result.message = std::move(message);
    result.systemError = systemError != 0 ? std::error_code(systemError, std::system_category()) : std::error_code();
    return false;
}

bool OpenRun(const ConversionRequest& request, ConversionResult& result, OpenedRun& run)
{
    if (request.inputPath.empty() && !request.readStandardInput)
        return Fail(result, ErrorKind::BadRequest, "Error: You must specify an input file");
    if (!OpenInput(request.inputPath, request.readStandardInput, result, run.input))
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
        return Fail(result, ErrorKind::BadRequest, "Error: You must specify an output file name");
    run.finalPath = MakeOutputPath(request.outputPath);
    run.textureName = request.textureName.empty() ? MakeTextureName(run.finalPath) : request.textureName;
    return true;
}

bool OpenInput(const std::string& inputPath, bool readStandardInput, ConversionResult& result, CInputFile& input)
{
    if (readStandardInput ? input.OpenStandardInput() : input.Open(inputPath))
        return true;
    // A file too large for the memory there is cannot be read either.
    const int error = errno;
    return Fail(result, error == ENOMEM ? ErrorKind::OutOfMemory : ErrorKind::InputUnreadable,
                "Error: Could not open Input file: " + inputPath, error);
}

bool CreateOutput(ConversionResult& result, CAtomicOutputFile& output, const std::string& path)
{
    if (path.empty() ? output.CreateStandardOutput() : output.Create(path))
        return true;
    return Fail(result, ErrorKind::OutputUnwritable, "Error: Could not create Output file: " + OutputName(path), errno);
}

std::unique_ptr<CLoadedModel> LoadRun(OpenedRun& run, const ConversionRequest& request, KeyTracks keys, LoadMode mode,
                                      CStatusSink& status, ConversionResult& result)
{
    status.ShowProgress("Loading model...");
    const ModelSourceOptions options{.path = request.readStandardInput ? std::string() : request.inputPath,
                                     .keys = keys,
                                     .objUp = request.objUp};
    run.format = RecogniseFormat(run.input.Bytes(), options.path);
    std::unique_ptr<CLoadedModel> model = MakeModelSource(run.format, options, &status, &run.statusText);
    const bool loaded = model->LoadFile(&run.input, mode) != 0;
    run.input.Close();
    if (!loaded)
    {
        Fail(result, model->GetError(), model->GetErrorText());
        return nullptr;
    }
    const std::vector<std::string>& warnings = model->GetWarnings();
    result.warnings.insert(result.warnings.end(), warnings.begin(), warnings.end());
    if (request.orient)
    {
        std::vector<const ModelObject*> objects;
        for (int i = 0; i < model->GetObjectCount(); ++i)
            objects.push_back(model->GetObject(i));
        std::optional<CExecutor> ownExecutor;
        CExecutor& executor = request.executor ? *request.executor : ownExecutor.emplace();
        const SurfaceSight sight = LookAtSurface(objects, executor);
        std::uint64_t turned = 0;
        for (int i = 0; i < model->GetObjectCount(); ++i)
            turned += TurnInwardPatches(*model->GetObject(i), i, sight);
        result.turnedFaces = turned;
    }
    return model;
}

bool WriteOutput(ConversionResult& result, CAtomicOutputFile& output, const std::string& path,
                 const std::string& textureName, bool flip, int objectCount,
                 const std::function<void(CModelTextWriter&)>& writeObjects)
{
    if (!CreateOutput(result, output, path))
        return false;
    CModelTextWriter writer(output, textureName, flip);
    writer.WriteHeader(objectCount);
    writeObjects(writer);
    // A failed write shows when the output is committed, with its reason.
    writer.Finish();
    return true;
}

bool CommitOutput(ConversionResult& result, CAtomicOutputFile& output, const std::string& path)
{
    const bool committed = output.Commit();
    return ReportCommit(result, committed, committed ? 0 : errno, path);
}

bool ReportCommit(ConversionResult& result, bool committed, int error, const std::string& path)
{
    if (!committed)
        return Fail(result, ErrorKind::OutputUnwritable, "Error: Could not write Output file: " + OutputName(path),
                    error);
    result.outputs.push_back(OutputName(path));
    return true;
}

bool WriteModelFile(ConversionResult& result, const std::string& path, const std::string& textureName, bool flip,
                    int objectCount, const std::function<void(CModelTextWriter&)>& writeObjects)
{
    CAtomicOutputFile output;
    return WriteOutput(result, output, path, textureName, flip, objectCount, writeObjects) &&
           CommitOutput(result, output, path);
}
