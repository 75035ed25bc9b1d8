#include "geometry/rotation.h"
#include "model/face_attributes.h"
#include "model/loaded_model.h"

#include <cassert>
#include <cstdint>
#include <limits>

namespace
{
// A loaded object has a key slot for every frame of the segment.
const ModelVertex& KeyAt(const std::vector<ModelVertex>& keys, int frame)
{
    assert(frame >= 0 && static_cast<std::size_t>(frame) < keys.size());
    return keys[static_cast<std::size_t>(frame)];
}

// The face's indices raised by vertexBase and its attributes; the reserved
// words stay zero.
ModelFace CopyFace(const ModelFace& source, std::int32_t vertexBase)
{
    ModelFace face;
    for (int corner = 0; corner < 3; ++corner)
        face.index[corner] = source.index[corner] + vertexBase;
    CopyFaceAttributes(source, face);
    return face;
}

// The turn of one object at one frame: by the negated rotation vector,
// about X, then Y, then Z. Built once per object, it gives each vertex
// exactly what RotatePoint would.
struct ObjectTurn
{
    bool turned;
    Matrix4 matrix;
};

ObjectTurn TurnFor(const ModelVertex& rotation)
{
    ObjectTurn turn;
    turn.turned = RotationMatrix(-rotation.x, -rotation.y, -rotation.z, &turn.matrix);
    return turn;
}

// One object's vertex at a frame: scaled about the pivot, turned about it,
// then moved by the offset.
ModelVertex PlaceVertex(const ModelVertex& stored, const ModelVertex& pivot, const ModelVertex& offset,
                        const ModelVertex& scale, const ObjectTurn& turn)
{
    ModelVertex point;
    point.x = static_cast<float>(double{scale.x} * (double{stored.x} - double{pivot.x}));
    point.y = static_cast<float>(double{scale.y} * (double{stored.y} - double{pivot.y}));
    point.z = static_cast<float>(double{scale.z} * (double{stored.z} - double{pivot.z}));
    if (turn.turned)
        TransformPoint(point, turn.matrix, &point);
    return ModelVertex{static_cast<float>((double{pivot.x} + double{point.x}) + double{offset.x}),
                       static_cast<float>((double{pivot.y} + double{point.y}) + double{offset.y}),
                       static_cast<float>((double{pivot.z} + double{point.z}) + double{offset.z}), stored.u,
                       stored.v};
}

void AppendPlacedObject(const ModelObject& object, int frame, ModelVertices& vertices, ModelFaces& faces)
{
    const ModelVertex& offset = KeyAt(object.positionKeys, frame);
    const ModelVertex& scale = KeyAt(object.scaleKeys, frame);
    const ObjectTurn turn = TurnFor(KeyAt(object.rotationKeys, frame));
    const auto vertexBase = static_cast<std::int32_t>(vertices.size());
    assert(IsWellFormed(object));
    for (const ModelVertex& stored : object.vertices)
        vertices.push_back(PlaceVertex(stored, object.pivot, offset, scale, turn));
    for (const ModelFace& face : object.faces)
        faces.push_back(CopyFace(face, vertexBase));
}
} // namespace

void CLoadedModel::BuildFrame(int frame, ModelObject* out)
{
    if (!out)
        return;
    if (!CanBuildFrame(frame))
    {
        out->valid = 0;
        return;
    }
    out->valid = 1;
    if (m_nMode != LoadMode::KeyframeModel)
        BuildMorphFrame(frame, out);
    else
        BuildKeyframedFrame(frame, out);
}

bool CLoadedModel::CanBuildFrame(int frame)
{
    if (frame < 0 || frame >= GetFrameCount())
        return false;
    const bool keyframed = m_nMode == LoadMode::KeyframeModel;
    if (keyframed && !m_bKeysRead)
        return false; // nothing to place the objects by
    // A loaded morph sequence sorts every object; merged indices and counts
    // cannot wrap, as every vertex took 12 and every face 8 bytes of a file
    // below 4 GiB.
    assert(keyframed || static_cast<std::size_t>(frame) < m_ppSorted.size());
    assert(!keyframed || [this] {
        std::uint64_t vertexTotal = 0;
        std::uint64_t faceTotal = 0;
        for (const ModelObject& object : m_pObjects)
        {
            vertexTotal += object.vertices.size();
            faceTotal += object.faces.size();
        }
        return vertexTotal <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) &&
               faceTotal <= std::numeric_limits<std::uint32_t>::max();
    }());
    return true;
}

void CLoadedModel::BuildMorphFrame(int frame, ModelObject* out)
{
    const ModelObject& source = *m_ppSorted[static_cast<std::size_t>(frame)];
    assert(IsWellFormed(source));
    out->name += source.name;
    out->vertices = source.vertices;
    ModelFaces faces(out->faces.get_allocator());
    faces.reserve(source.faces.size());
    for (const ModelFace& face : source.faces)
        faces.push_back(CopyFace(face, 0));
    out->faces = std::move(faces);
    out->vertexCount = static_cast<std::uint32_t>(out->vertices.size());
    out->faceCount = static_cast<std::uint32_t>(out->faces.size());
}

void CLoadedModel::BuildKeyframedFrame(int frame, ModelObject* out)
{
    std::size_t vertexTotal = 0;
    std::size_t faceTotal = 0;
    for (const ModelObject& object : m_pObjects)
    {
        vertexTotal += object.vertices.size();
        faceTotal += object.faces.size();
    }
    ModelVertices vertices(out->vertices.get_allocator());
    ModelFaces faces(out->faces.get_allocator());
    vertices.reserve(vertexTotal);
    faces.reserve(faceTotal);
    for (const ModelObject& object : m_pObjects)
        AppendPlacedObject(object, frame, vertices, faces);

    // Without objects there is no name to carry: the name stays as it was.
    if (!m_pObjects.empty())
        out->name += m_pObjects.front().name;
    out->vertexCount = static_cast<std::uint32_t>(vertices.size());
    out->faceCount = static_cast<std::uint32_t>(faces.size());
    out->vertices = std::move(vertices);
    out->faces = std::move(faces);
}
