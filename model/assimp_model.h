#pragma once

#include "model/loaded_model.h"

#include <string>

// A model read by the general importer, assimp: FBX, COLLADA, PLY, STL and
// the other formats it reads that have no source of their own here.
//
// The importer cuts polygons into triangles and joins identical vertices,
// and changes nothing else. Positions are taken in the units the importer
// gives and as Y up, as it gives them for most formats; each node that has
// meshes becomes one object, in depth-first node order, named after the
// node (else its first mesh), its meshes' vertices and faces appended in
// order and placed by the node's world transform, then turned into the
// Z-up frame of a .3DS file as glTF positions are. Texture coordinates are
// the first set, v from the bottom as a .3DS file stores it; a face's
// attributes come from its material's name. Points and lines are left out
// with a warning.
class CAssimpModel : public CLoadedModel
{
public:
    // statusSink may be null; it is shown progress only. A failed load's
    // message goes to *text, the caller's. path names the file: its
    // extension tells the importer the format, and the files it refers to
    // are looked for in its folder and nowhere else. Empty for standard
    // input, which refers to no file.
    CAssimpModel(CStatusSink* statusSink, std::string* text, KeyTracks keys, std::string path);

    // 1 when the file has been read, 0 when not: GetError() then says why
    // and the status text holds the message. Runs once per model.
    int LoadFile(CInputFile* file, LoadMode mode) override;

private:
    KeyTracks m_keyTracks;
    std::string m_strPath;
    bool m_bLoadStarted = false;
};
