#pragma once

#include "model/loaded_model.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The file formats a model is read from, and the one place that tells them
// apart and makes the source that reads each.
enum class ModelFormat
{
    ThreeDs, // the .3DS chunk format
    Obj,     // Wavefront OBJ, with its .mtl for material names
    Gltf,    // glTF 2.0 as JSON, buffers embedded or beside it
    Glb,     // glTF 2.0 binary
    Other,   // whatever the general importer reads (FBX, COLLADA, PLY, STL, ...)
};

// The axis a file's "up" lies along.
enum class UpAxis
{
    Y, // as glTF says, and as OBJ files are usually exported
    Z, // as .3DS files have it
};

// How a source reads its file, beyond the bytes.
struct ModelSourceOptions
{
    std::string path;                  // the file's path, for files it refers to; empty for standard input
    KeyTracks keys = KeyTracks::Read;  // whether the animation is read
    UpAxis objUp = UpAxis::Y;          // the up axis an OBJ file was exported with
};

// The format of a file: by its content where the format has a signature
// (the .3DS magic, the glTF binary header, JSON with an "asset" object),
// else by its name's extension in any letter case. A file recognised as
// none is taken for a .3DS file, whose reader then says what is wrong.
ModelFormat RecogniseFormat(std::span<const std::uint8_t> bytes, const std::string& path);

// A kind of file that is read, as file choosers list it: its name and its
// extensions, lower case and without the dot.
struct FileKind
{
    std::string_view name;
    std::vector<std::string_view> extensions;
};

// Every kind of file this build reads, .3DS first; the general importer's
// formats only where the build has it. RecogniseFormat takes each of these
// extensions for its format.
const std::vector<FileKind>& ReadFileKinds();

// The format's name in reports: "3ds", "obj", "gltf", "glb", "other".
const char* FormatName(ModelFormat format);

// A new, empty model of the source that reads the format; LoadFile then
// reads it. status (may be null) hears progress, text receives the message
// of a failed load.
std::unique_ptr<CLoadedModel> MakeModelSource(ModelFormat format, const ModelSourceOptions& options,
                                              CStatusSink* status, std::string* text);
