#pragma once

#include "convert/conversion.h"
#include "convert/model_text_writer.h"
#include "model/model_format.h"
#include "platform/atomic_output_file.h"
#include "platform/input_file.h"

#include <functional>
#include <string>

// The steps that the operations share. Each that can fail records its one
// failure in the result and returns false.

// Records a failure: its kind, its message and, where a system call failed,
// the errno value that says why (0 when none is known). Returns false.
bool Fail(ConversionResult& result, ErrorKind kind, std::string message, int systemError = 0);

struct OpenedRun
{
    std::string finalPath;   // the output path after the naming rules; empty for standard output
    std::string textureName; // the texture every object of the run names
    CInputFile input;
    std::string statusText; // the model's: the message of a failed load
    ModelFormat format = ModelFormat::ThreeDs; // as LoadRun recognised the input
};

// Opens the input and names the output and its texture. Standard input
// written to standard output has no name to take the texture from: it is
// then "model.RAW" unless the request names one.
bool OpenRun(const ConversionRequest& request, ConversionResult& result, OpenedRun& run);

// Reads the input file (or standard input) whole; inputPath names it in the
// message of a failure.
bool OpenInput(const std::string& inputPath, bool readStandardInput, ConversionResult& result, CInputFile& input);

// Creates the output at path, or on standard output when path is empty.
bool CreateOutput(ConversionResult& result, CAtomicOutputFile& output, const std::string& path);

// Shows "Loading model..." and loads the input in the given mode; the input
// is closed afterwards, since the model holds all it needs. The model is
// read by the source for the input's format; null when the load failed. The
// load's warnings join the result's.
std::unique_ptr<CLoadedModel> LoadRun(OpenedRun& run, const ConversionRequest& request, KeyTracks keys, LoadMode mode,
                                      CStatusSink& status, ConversionResult& result);

// Creates the output at path (standard output when path is empty), writes
// the header for objectCount objects and lets writeObjects write them. The
// output is complete but not yet in place: CommitOutput puts it there.
bool WriteOutput(ConversionResult& result, CAtomicOutputFile& output, const std::string& path,
                 const std::string& textureName, bool flip, int objectCount,
                 const std::function<void(CModelTextWriter&)>& writeObjects);

// Flushes the output to disk, puts it under its final name and adds it to
// the result's outputs.
bool CommitOutput(ConversionResult& result, CAtomicOutputFile& output, const std::string& path);

// How the commit of the output at path ended, into the result: its failure,
// error being the errno that says why, or the output added to the outputs.
// Returns committed.
bool ReportCommit(ConversionResult& result, bool committed, int error, const std::string& path);

// WriteOutput and CommitOutput in one.
bool WriteModelFile(ConversionResult& result, const std::string& path, const std::string& textureName, bool flip,
                    int objectCount, const std::function<void(CModelTextWriter&)>& writeObjects);

// The operations behind RunConversion; each returns true when it succeeded.

// Loads the input as a keyframe model, computes the normals and writes its
// objects as stored.
bool ConvertModel(const ConversionRequest& request, CStatusSink& status, ConversionResult& result);

// ConvertModel up to its commit: the output is complete but not yet in
// place, and outputPath names it for CommitOutput (empty for standard
// output). The model is gone by then.
bool WriteConvertedModel(const ConversionRequest& request, CStatusSink& status, ConversionResult& result,
                         CAtomicOutputFile& output, std::string& outputPath);

// RunConversion of a Convert request up to the commit, for a batch that
// commits in the background; running out of memory ends in the result as
// there. The output must then be committed, or discarded.
ConversionResult WriteConversion(const ConversionRequest& request, CStatusSink& status, CAtomicOutputFile& output,
                                 std::string& outputPath);

// Writes every frame as a model text file of its own, named by
// FrameOutputPath. Frames written before a failure stay, each complete.
bool ExportFrames(const ConversionRequest& request, CStatusSink& status, ConversionResult& result);

// Reads the input as ConvertModel does, so that it fails exactly where the
// conversion fails, and fills the result's report; nothing is written.
bool InspectModel(const ConversionRequest& request, CStatusSink& status, ConversionResult& result);

// Loads the input as the conversion does, renders it and writes an 8-bit RGB
// PNG under the request's output path, or on standard output.
bool WritePreview(const ConversionRequest& request, CStatusSink& status, ConversionResult& result);
