#pragma once

#include "model/gltf_motion.h"
#include "model/loaded_model.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A model read from a glTF 2.0 file, as JSON (.gltf, its buffers embedded as
// data: URIs or in files beside it) or binary (.glb). The model is what a
// .3DS file of the same scene gives: one object per node of the scene that
// has a mesh, in depth-first order, its primitives' triangles appended in
// order; positions in world space, turned from Y up to Z up; texture
// coordinates as stored, glTF's v already starting at the top. With its key
// tracks read, the nodes' animation places the objects at each frame.
//
// The reading is the work of a CGltfReader that LoadFile makes and drops;
// the model keeps only what was read.
class CGltfModel : public CLoadedModel
{
public:
    // The largest file read; a .gltf's buffer files count towards it too.
    static constexpr std::uint64_t kMaxFileBytes = std::uint64_t{256} << 20;
    // The vertices and faces all objects together may have, after nodes
    // that share a mesh each made their copy: a small file cannot claim
    // more memory than a large one.
    static constexpr std::uint64_t ElementBudget(std::uint64_t fileBytes) { return (1u << 21) + 2 * fileBytes; }
    // The most vertices, and faces, one object may have: a .3DS object's.
    static constexpr std::uint32_t kMaxObjectCount = 65535;

    // binary: the file is a .glb. path: the file's path, whose folder holds
    // its buffer files; empty for standard input, which has no folder. A
    // failed load's message goes to *text, the caller's; statusSink (may be
    // null) is shown progress only.
    CGltfModel(CStatusSink* statusSink, std::string* text, KeyTracks keys, bool binary, std::string path);

    // 1 when the file has been read, 0 when not: GetError() then says why
    // and the status text holds the message. Runs once per model.
    int LoadFile(CInputFile* file, LoadMode mode) override;

    // As CLoadedModel's, but in the keyframe model every object is placed
    // by its node's world matrix at time frame / 30 s.
    void BuildFrame(int frame, ModelObject* out) override;
    // Whether a track that changes moves the object's node or one above it.
    bool IsObjectAnimated(int index) const override;

private:
    friend class CGltfReader;

    void BuildPlacedFrame(int frame, ModelObject* out);

    KeyTracks m_keyTracks;
    bool m_bBinary;
    std::string m_path;
    bool m_bLoadStarted = false;
    // Kept when the key tracks are read, for the frames: the scene's nodes
    // and tracks, each object's node, and each object's points as its mesh
    // stores them (objects of one mesh share them).
    GltfMotion m_motion;
    std::vector<int> m_objectNodes;
    std::vector<int> m_objectMeshPoints;
    std::vector<std::vector<std::array<float, 3>>> m_meshPoints;
};
