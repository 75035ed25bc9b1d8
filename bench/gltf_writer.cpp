#include "bench/gltf_writer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

namespace bench
{
namespace
{
std::string Base64(const std::vector<std::uint8_t>& bytes)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3)
    {
        const std::uint32_t group = std::uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                                    (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        text += kDigits[group >> 18 & 63];
        text += kDigits[group >> 12 & 63];
        text += i + 1 < bytes.size() ? kDigits[group >> 6 & 63] : '=';
        text += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
    }
    return text;
}

// Names of the bench models need no escapes beyond these.
std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return quoted + "\"";
}

template <typename T>
void Append(std::vector<std::uint8_t>& buffer, const T& value)
{
    std::uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    buffer.insert(buffer.end(), bytes, bytes + sizeof(T));
}

std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}
} // namespace

std::string BuildGltfFile(const std::vector<fixtures::Mesh>& meshes)
{
    std::vector<std::uint8_t> buffer;
    std::string nodes, meshList, materials, accessors, views;
    const auto view = [&](std::size_t start, std::size_t length, int target) {
        views += (views.empty() ? "" : ",") + std::string("{\"buffer\":0,\"byteOffset\":") + std::to_string(start) +
                 ",\"byteLength\":" + std::to_string(length) + ",\"target\":" + std::to_string(target) + "}";
    };
    int accessor = 0, viewIndex = 0;
    for (std::size_t m = 0; m < meshes.size(); ++m)
    {
        const fixtures::Mesh& mesh = meshes[m];
        std::array<float, 3> low{}, high{};
        low.fill(std::numeric_limits<float>::max());
        high.fill(std::numeric_limits<float>::lowest());
        const std::size_t positions = buffer.size();
        for (const auto& [x, y, z] : mesh.vertices)
        {
            const std::array<float, 3> turned{x, z, -y};
            for (int axis = 0; axis < 3; ++axis)
            {
                Append(buffer, turned[axis]);
                low[axis] = std::min(low[axis], turned[axis]);
                high[axis] = std::max(high[axis], turned[axis]);
            }
        }
        view(positions, buffer.size() - positions, 34962);
        const std::size_t mapping = buffer.size();
        for (std::size_t v = 0; v < mesh.vertices.size(); ++v)
        {
            const std::array<float, 2> stored = v < mesh.mapping.size() ? mesh.mapping[v] : std::array<float, 2>{0, 1};
            Append(buffer, stored[0]);
            Append(buffer, static_cast<float>(1.0 - static_cast<double>(stored[1])));
        }
        view(mapping, buffer.size() - mapping, 34962);
        const std::size_t indices = buffer.size();
        for (const auto& face : mesh.faces)
            for (const std::uint16_t corner : face)
                Append(buffer, corner);
        view(indices, buffer.size() - indices, 34963);
        buffer.resize((buffer.size() + 3) / 4 * 4);

        const std::string count = std::to_string(mesh.vertices.size());
        accessors += std::string(accessors.empty() ? "" : ",") + "{\"bufferView\":" + std::to_string(viewIndex) +
                     ",\"componentType\":5126,\"count\":" + count + ",\"type\":\"VEC3\",\"min\":[" + Number(low[0]) +
                     "," + Number(low[1]) + "," + Number(low[2]) + "],\"max\":[" + Number(high[0]) + "," +
                     Number(high[1]) + "," + Number(high[2]) + "]},{\"bufferView\":" + std::to_string(viewIndex + 1) +
                     ",\"componentType\":5126,\"count\":" + count + ",\"type\":\"VEC2\"},{\"bufferView\":" +
                     std::to_string(viewIndex + 2) + ",\"componentType\":5123,\"count\":" +
                     std::to_string(3 * mesh.faces.size()) + ",\"type\":\"SCALAR\"}";
        const std::string material = mesh.materials.empty() ? "" : ",\"material\":" + std::to_string(m);
        materials += (materials.empty() ? "" : ",") + std::string("{\"name\":") +
                     Quoted(mesh.materials.empty() ? "none" : mesh.materials.front().name) + "}";
        meshList += std::string(meshList.empty() ? "" : ",") + "{\"name\":" + Quoted(mesh.name) +
                    ",\"primitives\":[{\"attributes\":{\"POSITION\":" + std::to_string(accessor) +
                    ",\"TEXCOORD_0\":" + std::to_string(accessor + 1) + "},\"indices\":" + std::to_string(accessor + 2) +
                    material + ",\"mode\":4}]}";
        nodes += std::string(nodes.empty() ? "" : ",") + "{\"name\":" + Quoted(mesh.name) + ",\"mesh\":" + std::to_string(m) + "}";
        accessor += 3;
        viewIndex += 3;
    }
    std::string sceneNodes;
    for (std::size_t m = 0; m < meshes.size(); ++m)
        sceneNodes += (m ? "," : "") + std::to_string(m);
    return "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Tessaline bench\"},\"scene\":0,\"scenes\":[{\"nodes\":[" +
           sceneNodes + "]}],\"nodes\":[" + nodes + "],\"meshes\":[" + meshList + "],\"materials\":[" + materials +
           "],\"accessors\":[" + accessors + "],\"bufferViews\":[" + views + "],\"buffers\":[{\"byteLength\":" +
           std::to_string(buffer.size()) + ",\"uri\":\"data:application/octet-stream;base64," + Base64(buffer) +
           "\"}]}\n";
}

} // namespace bench
