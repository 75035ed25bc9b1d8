#pragma once

#include "convert/conversion.h"
#include "convert/model_text_writer.h"
#include "model/model_3ds.h"
#include "platform/atomic_output_file.h"
#include "platform/input_file.h"

#include <functional>
#include <string>

// The steps that the conversion and the frame export share. Each shows its
// one failure message through the status sink and returns false.

struct OpenedRun
{
    std::string finalPath;   // the output path after the naming rules; empty for standard output
    std::string textureName; // the texture every object of the run names
    CInputFile input;
};

// Opens the input and names the output and its texture. Standard input
// written to standard output has no name to take the texture from: it is
// then "model.RAW" unless the request names one.
bool OpenRun(const ConversionRequest& request, CStatusSink& status, OpenedRun& run);

// Reads the input file (or standard input) whole; inputPath names it in the
// message of a failure.
bool OpenInput(const std::string& inputPath, bool readStandardInput, CStatusSink& status, CInputFile& input);

// Creates the output at path, or on standard output when path is empty.
bool CreateOutput(CStatusSink& status, CAtomicOutputFile& output, const std::string& path);

// Shows "Loading model..." and loads the input in the given mode; the input
// is closed afterwards, since the model holds all it needs.
bool LoadRun(CModel3DS& model, OpenedRun& run, LoadMode mode, CStatusSink& status);

// Creates the output at path (standard output when path is empty), writes
// the header for objectCount objects and lets writeObjects write them. The
// output is complete but not yet in place: CommitOutput puts it there.
bool WriteOutput(CStatusSink& status, CAtomicOutputFile& output, const std::string& path,
                 const std::string& textureName, bool flip, int objectCount,
                 const std::function<void(CModelTextWriter&)>& writeObjects);

// Flushes the output to disk and puts it under its final name.
bool CommitOutput(CStatusSink& status, CAtomicOutputFile& output, const std::string& path);

// WriteOutput and CommitOutput in one.
bool WriteModelFile(CStatusSink& status, const std::string& path, const std::string& textureName, bool flip,
                    int objectCount, const std::function<void(CModelTextWriter&)>& writeObjects);
