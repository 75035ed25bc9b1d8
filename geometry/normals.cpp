#include "geometry/normals.h"

#include "geometry/vector_ops.h"
#include "platform/memory_advice.h"

#include <cassert>

namespace
{
template <typename Normals>
void FillFaceNormals(const ModelObject& object, Normals& normals)
{
    assert(IsWellFormed(object));
    ReserveFresh(normals, object.faceCount);
    for (std::uint32_t k = 0; k < object.faceCount; ++k)
    {
        const ModelFace& face = object.faces[k];
        const ModelVertex& p0 = object.vertices[static_cast<std::size_t>(face.index[0])];
        const ModelVertex& p1 = object.vertices[static_cast<std::size_t>(face.index[1])];
        const ModelVertex& p2 = object.vertices[static_cast<std::size_t>(face.index[2])];
        ModelVertex edge1;
        ModelVertex edge2;
        VectorSubtract(p0, p1, &edge1);
        VectorSubtract(p0, p2, &edge2);
        VectorUnitCross(edge1, edge2, &normals.emplace_back());
    }
}

// Walking the faces in ascending order hands every vertex its faces' normals
// in ascending face order: the same sums as a scan of all faces per vertex,
// in time linear in the counts.
void SumVertexNormals(ModelObject& object, const ModelVertex* faceNormals)
{
    assert(IsWellFormed(object));
    ReserveFresh(object.vertexNormals, object.vertexCount);
    object.vertexNormals.resize(object.vertexCount);
    for (std::uint32_t l = 0; l < object.faceCount; ++l)
    {
        const std::int32_t* index = object.faces[l].index;
        const ModelVertex& normal = faceNormals[l];
        VectorAdd(object.vertexNormals[static_cast<std::size_t>(index[0])], normal,
                  &object.vertexNormals[static_cast<std::size_t>(index[0])]);
        if (index[1] != index[0])
            VectorAdd(object.vertexNormals[static_cast<std::size_t>(index[1])], normal,
                      &object.vertexNormals[static_cast<std::size_t>(index[1])]);
        if (index[2] != index[0] && index[2] != index[1])
            VectorAdd(object.vertexNormals[static_cast<std::size_t>(index[2])], normal,
                      &object.vertexNormals[static_cast<std::size_t>(index[2])]);
    }
    for (ModelVertex& normal : object.vertexNormals)
        VectorNormalize(normal, &normal);
}
} // namespace

void ComputeObjectFaceNormals(ModelObject& object)
{
    FillFaceNormals(object, object.faceNormals);
}

void ComputeObjectVertexNormals(ModelObject& object)
{
    assert(object.faceNormals.size() == object.faceCount);
    SumVertexNormals(object, object.faceNormals.data());
}

void ComputeObjectVertexNormals(ModelObject& object, std::vector<ModelVertex>& faceNormals)
{
    FillFaceNormals(object, faceNormals);
    SumVertexNormals(object, faceNormals.data());
}
