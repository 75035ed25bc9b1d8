#pragma once

#include "records/error_kind.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What is checked and read for a glTF file around tinygltf's parse: the
// library trusts a few things it should not, and reads buffer files only
// through the callbacks here.

// A failure found: its kind and its message; kind None when there is none.
struct GltfFailure
{
    ErrorKind kind = ErrorKind::None;
    std::string message;
};

// How a message about a document that breaks glTF's rules begins.
extern const char* const kGltfNotValid;

// The parts of a binary file, checked before the library sees them: it
// reads the binary chunk eight bytes further than its own check allows for.
// Empty when the layout holds; otherwise what is wrong, to follow
// kGltfNotValid. json receives the JSON chunk, length the bytes the file's
// header claims.
std::string CheckGltfBinaryLayout(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t>& json,
                                  std::uint32_t& length);

// Whether arrays and objects nest deeper than limit, counted outside strings.
bool JsonNestsDeeperThan(std::span<const std::uint8_t> json, int limit);

// Whether a file that needs the extension can be converted as if it did not
// know it: its content changes no vertex, face or mapping here, or it is
// read (mesh quantization).
bool IsGltfExtensionRead(const std::string& name);
std::string GltfExtensionNotRead(const std::string& name);

// The checks made before the library parses the document (see the .cpp).
GltfFailure PrescreenGltf(std::span<const std::uint8_t> json);

// The buffer files a .gltf names, read from its folder or below through the
// library's file callbacks (their user data is the object); a URL, an
// absolute path or one that climbs out of the folder is refused. The first
// refusal or failure is kept for the message, which the library would
// otherwise give as "file not found".
class CGltfBufferFiles
{
public:
    // filePath: the .gltf's path, empty for standard input, which has no
    // folder; bytesLeft: what the files may take together.
    CGltfBufferFiles(const std::string& filePath, std::uint64_t bytesLeft);

    const GltfFailure& Failure() const { return m_failure; }
    std::uint64_t BytesRead() const { return m_bytesRead; }

    // The library's file callbacks.
    static bool Exists(const std::string& name, void* files);
    static std::string Expand(const std::string& name, void* files);
    static bool Read(std::vector<unsigned char>* out, std::string* error, const std::string& name, void* files);
    static bool Write(std::string* error, const std::string& name, const std::vector<unsigned char>& bytes, void* files);

private:
    bool Refuse(ErrorKind why, const std::string& text);
    bool Acceptable(const std::string& given);

    std::string m_folder; // ends in a separator, or is empty for the working folder
    bool m_bHasFolder;
    std::uint64_t m_bytesLeft;
    std::uint64_t m_bytesRead = 0;
    GltfFailure m_failure;
};
