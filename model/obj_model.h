#pragma once

#include "model/loaded_model.h"
#include "model/model_format.h"

#include <string>

// A model read from a Wavefront OBJ file, whose bytes are already in memory.
//
// One object per "o" statement, or per "g" statement in a file without any;
// faces before the first of them make an object of their own, and an object
// without faces is left out. Each distinct (position, texture coordinate,
// normal) triple of an object's faces becomes one vertex, in the order the
// faces first use it, so that the edges the modeller kept hard stay hard.
// Polygons are cut into fans from their first corner; points, lines and
// faces of fewer than three corners are left out with a warning. Positions
// are taken as exported Y up and turned into the Z-up frame of a .3DS file,
// texture coordinates as a .3DS file stores them (v from the bottom), and a
// face's attributes come from its material's name as in a .3DS material
// group. The file's stored normals only split vertices: the normals written
// are computed from the faces, as for every model.
//
// Material names are those of the "usemtl" statements; no other file is
// opened, so a file read from standard input or inside a sandbox converts
// the same.
class CObjModel : public CLoadedModel
{
public:
    // statusSink may be null; it is shown progress only. A failed load's
    // message goes to *text, the caller's. up is the axis the file was
    // exported with as up.
    CObjModel(CStatusSink* statusSink, std::string* text, KeyTracks keys, UpAxis up);

    // 1 when the file has been read, 0 when not: GetError() then says why
    // and the status text holds the message. Runs once per model.
    int LoadFile(CInputFile* file, LoadMode mode) override;

private:
    KeyTracks m_keyTracks;
    UpAxis m_up;
    bool m_bLoadStarted = false;
};
