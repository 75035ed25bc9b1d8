#pragma once

#include "records/model_records.h"

// Which way an object's stored faces turn, told by the signed volume they
// enclose. Only a closed mesh encloses a volume, so only a closed mesh is
// judged: every edge, taken as a pair of positions, must be used exactly
// twice, once in each direction. Positions rather than vertex indices decide,
// since real meshes split vertices along texture seams. Faces with a repeated
// position bound nothing and are left out.
enum class StoredWinding
{
    Outward,   // counter-clockwise seen from outside: a positive volume, as ordinary .3DS files store faces
    Inward,    // clockwise seen from outside: a negative volume, as a mirrored object has
    Undecided, // an open mesh, a mesh with a position that is not finite, or one of no volume
};

// The object must be well formed (IsWellFormed). Takes time linear in its
// face count.
StoredWinding FindStoredWinding(const ModelObject& object);
