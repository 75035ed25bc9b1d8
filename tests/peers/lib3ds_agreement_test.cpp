// Our reader against lib3ds, a reader written independently of ours: every
// packaged .3DS file must give the same meshes, vertex by vertex and face by
// face. lib3ds is used here only, never by the converter itself.

#include "model/model_3ds.h"
#include "platform/input_file.h"
#include "tests/peers/packaged_models.h"
#include "tests/support/recording_status_window.h"

#include <lib3ds/file.h>
#include <lib3ds/mesh.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace
{

using peers::FindPackagedModels;
using peers::IsDeliberatelyEmpty;

// Names are stored cut to 12 characters on our side.
constexpr std::size_t kStoredNameLength = 12;

struct Lib3dsFileDeleter
{
    void operator()(Lib3dsFile* file) const { lib3ds_file_free(file); }
};
using PeerFile = std::unique_ptr<Lib3dsFile, Lib3dsFileDeleter>;

struct Agreed
{
    int files = 0;
    int objects = 0;
    long vertices = 0;
    long faces = 0;
    long mappings = 0;
};

// The lib3ds meshes to compare, in the order our reader keeps its objects.
// lib3ds keeps its mesh list sorted by name (equal names in file order), so
// each of our objects, taken in file order, is paired with the first unpaired
// mesh of the same name. Objects whose name begins with '!' are left out on
// purpose by our reader and so are left out here too.
std::vector<const Lib3dsMesh*> PairMeshes(const Lib3dsFile& peer, CModel3DS& ours)
{
    std::vector<const Lib3dsMesh*> unpaired;
    for (const Lib3dsMesh* mesh = peer.meshes; mesh; mesh = mesh->next)
    {
        if (mesh->name[0] != '!')
            unpaired.push_back(mesh);
    }
    std::vector<const Lib3dsMesh*> paired;
    for (int i = 0; i < ours.GetObjectCount(); ++i)
    {
        const std::string& name = ours.GetObject(i)->name;
        auto match = std::find_if(unpaired.begin(), unpaired.end(), [&name](const Lib3dsMesh* mesh) {
            return std::string(mesh->name).substr(0, kStoredNameLength) == name;
        });
        if (match == unpaired.end())
        {
            ADD_FAILURE() << "lib3ds has no mesh for our object " << i << " \"" << name << '"';
            return {};
        }
        paired.push_back(*match);
        unpaired.erase(match);
    }
    for (const Lib3dsMesh* mesh : unpaired)
        ADD_FAILURE() << "our reader has no object for lib3ds mesh \"" << mesh->name << '"';
    return paired;
}

void CompareVertices(const ModelObject& ours, const Lib3dsMesh& peer, Agreed& agreed)
{
    ASSERT_EQ(ours.vertexCount, peer.points);
    ASSERT_EQ(ours.vertices.size(), peer.points);
    for (std::size_t i = 0; i < ours.vertices.size(); ++i)
    {
        const ModelVertex& vertex = ours.vertices[i];
        const float* position = peer.pointL[i].pos;
        ASSERT_EQ(vertex.x, position[0]) << "vertex " << i;
        ASSERT_EQ(vertex.y, position[1]) << "vertex " << i;
        ASSERT_EQ(vertex.z, position[2]) << "vertex " << i;
    }
    agreed.vertices += static_cast<long>(peer.points);
}

void CompareFaces(const ModelObject& ours, const Lib3dsMesh& peer, Agreed& agreed)
{
    ASSERT_EQ(ours.faceCount, peer.faces);
    ASSERT_EQ(ours.faces.size(), peer.faces);
    for (std::size_t i = 0; i < ours.faces.size(); ++i)
    {
        for (int corner = 0; corner < 3; ++corner)
            ASSERT_EQ(ours.faces[i].index[corner], peer.faceL[i].points[corner])
                << "face " << i << " corner " << corner;
    }
    agreed.faces += static_cast<long>(peer.faces);
}

// We store v turned over (1 - v, worked out in double) for a top-left origin.
// Vertices beyond lib3ds's coordinate list keep no coordinates of the file's,
// so only the listed ones are compared.
void CompareMapping(const ModelObject& ours, const Lib3dsMesh& peer, Agreed& agreed)
{
    const std::size_t mapped = std::min<std::size_t>(peer.texels, ours.vertices.size());
    for (std::size_t i = 0; i < mapped; ++i)
    {
        const float fileV = peer.texelL[i][1];
        ASSERT_EQ(ours.vertices[i].u, peer.texelL[i][0]) << "vertex " << i;
        ASSERT_EQ(ours.vertices[i].v, static_cast<float>(1.0 - static_cast<double>(fileV))) << "vertex " << i;
    }
    agreed.mappings += static_cast<long>(mapped);
}

void CompareFile(const std::filesystem::path& path, Agreed& agreed)
{
    CInputFile input;
    ASSERT_TRUE(input.Open(path.string()));
    RecordingStatusWindow window;
    std::string text;
    CModel3DS ours(&window, 1004, &text);
    const int loaded = ours.LoadFile(&input, 0);
    if (IsDeliberatelyEmpty(path))
    {
        EXPECT_EQ(loaded, 0);
        ASSERT_FALSE(window.Texts().empty());
        EXPECT_EQ(window.Texts().back(), peers::kNotA3dsFileMessage);
        return;
    }
    ASSERT_EQ(loaded, 1) << (window.Texts().empty() ? "" : window.Texts().back());

    PeerFile peer(lib3ds_file_load(path.c_str()));
    ASSERT_NE(peer, nullptr) << "lib3ds cannot read the file";
    const std::vector<const Lib3dsMesh*> meshes = PairMeshes(*peer, ours);
    ASSERT_EQ(meshes.size(), static_cast<std::size_t>(ours.GetObjectCount()));
    for (int i = 0; i < ours.GetObjectCount(); ++i)
    {
        SCOPED_TRACE("object " + std::to_string(i) + " \"" + ours.GetObject(i)->name + '"');
        const ModelObject& object = *ours.GetObject(i);
        const Lib3dsMesh& mesh = *meshes[static_cast<std::size_t>(i)];
        CompareVertices(object, mesh, agreed);
        CompareFaces(object, mesh, agreed);
        CompareMapping(object, mesh, agreed);
        ++agreed.objects;
    }
    ++agreed.files;
}

TEST(Lib3dsAgreement, PackagedModelsReadAlikeByBothReaders)
{
    const std::vector<std::filesystem::path> models = FindPackagedModels();
    if (models.empty())
        GTEST_SKIP() << "neither assimp-testmodels nor glmark2-data is installed";
    Agreed agreed;
    for (const std::filesystem::path& path : models)
    {
        SCOPED_TRACE(path.string());
        CompareFile(path, agreed);
    }
    std::cout << agreed.files << " files, " << agreed.objects << " objects, " << agreed.vertices << " vertices, "
              << agreed.faces << " faces, " << agreed.mappings << " mapping coordinates agreed\n";
    EXPECT_GT(agreed.objects, 0);
}

} // namespace
