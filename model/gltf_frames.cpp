// The keyframe model of a glTF file: every object placed by its node's world
// matrix at the frame's time, merged into one object as .3DS frames are.
#include "model/face_attributes.h"
#include "model/gltf_model.h"

#include <cassert>

void CGltfModel::BuildFrame(int frame, ModelObject* out)
{
    if (m_nMode != LoadMode::KeyframeModel)
        return CLoadedModel::BuildFrame(frame, out);
    if (!out)
        return;
    if (frame < 0 || frame >= GetFrameCount() || !m_bKeysRead)
    {
        out->valid = 0;
        return;
    }
    out->valid = 1;
    BuildPlacedFrame(frame, out);
}

bool CGltfModel::IsObjectAnimated(int index) const
{
    return m_bKeysRead && m_motion.Moves(m_objectNodes[static_cast<std::size_t>(index)]);
}

void CGltfModel::BuildPlacedFrame(int frame, ModelObject* out)
{
    std::vector<GltfMatrix> world;
    m_motion.WorldMatrices(frame / kFramesPerSecond, world);
    std::size_t vertexTotal = 0, faceTotal = 0;
    for (const ModelObject& object : m_pObjects)
    {
        vertexTotal += object.vertices.size();
        faceTotal += object.faces.size();
    }
    ModelVertices vertices(out->vertices.get_allocator());
    ModelFaces faces(out->faces.get_allocator());
    vertices.reserve(vertexTotal);
    faces.reserve(faceTotal);
    for (std::size_t i = 0; i < m_pObjects.size(); ++i)
    {
        const ModelObject& object = m_pObjects[i];
        const GltfMatrix& matrix = world[static_cast<std::size_t>(m_objectNodes[i])];
        const auto& points = m_meshPoints[static_cast<std::size_t>(m_objectMeshPoints[i])];
        assert(IsWellFormed(object) && points.size() == object.vertices.size());
        const auto vertexBase = static_cast<std::int32_t>(vertices.size());
        for (std::size_t v = 0; v < points.size(); ++v)
        {
            ModelVertex& vertex = vertices.emplace_back(PlacePoint(matrix, points[v]));
            vertex.u = object.vertices[v].u;
            vertex.v = object.vertices[v].v;
        }
        for (const ModelFace& stored : object.faces)
        {
            ModelFace& face = faces.emplace_back();
            for (int corner = 0; corner < 3; ++corner)
                face.index[corner] = stored.index[corner] + vertexBase;
            CopyFaceAttributes(stored, face);
        }
    }
    // Without objects there is no name to carry: the name stays as it was.
    if (!m_pObjects.empty())
        out->name += m_pObjects.front().name;
    out->vertexCount = static_cast<std::uint32_t>(vertices.size());
    out->faceCount = static_cast<std::uint32_t>(faces.size());
    out->vertices = std::move(vertices);
    out->faces = std::move(faces);
}
