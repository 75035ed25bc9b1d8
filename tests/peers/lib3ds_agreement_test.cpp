// Our reader against lib3ds, a reader written independently of ours: every
// packaged .3DS file must give the same meshes, vertex by vertex and face by
// face, and the built converter must write what the loaded model holds.
// lib3ds is used here only, never by the converter itself.
#include "convert/model_text_writer.h"
#include "tests/support/test_support.h"

#include <lib3ds/file.h>
#include <lib3ds/mesh.h>

#include <gtest/gtest.h>

#include <memory>

namespace
{
TEST(Lib3dsAgreement, PackagedModelsReadAlikeAndConvert)
{
    support::TemporaryFolder folder;
    int objects = 0;
    for (const std::filesystem::path& path : support::PackagedModels())
    {
        SCOPED_TRACE(path.string());
        const std::string bytes = support::ReadFile(path);
        support::LoadedModel ours({bytes.begin(), bytes.end()});
        const support::Process run = support::Run({TESSALINE_CONVERT_PATH, "-o", folder / "model", path});
        const std::string refused = "Error reading input file, it does not appear to be a true .3DS file.";
        EXPECT_EQ(ours.errors, bytes.empty() ? std::vector{refused} : std::vector<std::string>{}); // assimp's empty file
        EXPECT_EQ(run.status, bytes.empty() ? 1 : 0) << run.err;
        std::string expected;
        ours.model.ComputeFaceNormals(), ours.model.ComputeVertexNormals();
        AppendModelText(ours.model, "model.RAW", false, expected);
        EXPECT_TRUE(bytes.empty() ? run.err.ends_with(refused + "\n") : support::ReadFile(folder / "model.dtq") == expected);

        // lib3ds keeps its meshes sorted by name, equal names in file order;
        // ours keeps file order, names cut to 12 characters, and leaves out
        // objects whose name begins with '!'.
        const std::unique_ptr<Lib3dsFile, void (*)(Lib3dsFile*)> peer(lib3ds_file_load(path.c_str()), lib3ds_file_free);
        std::vector<const Lib3dsMesh*> unpaired;
        for (const Lib3dsMesh* mesh = peer ? peer->meshes : nullptr; mesh; mesh = mesh->next)
            if (mesh->name[0] != '!')
                unpaired.push_back(mesh);
        for (int i = 0; i < ours.model.GetObjectCount(); ++i, ++objects)
        {
            const ModelObject& object = *ours.model.GetObject(i);
            const auto match = std::find_if(unpaired.begin(), unpaired.end(), [&](const Lib3dsMesh* mesh) {
                return std::string(mesh->name).substr(0, 12) == object.name;
            });
            ASSERT_NE(match, unpaired.end()) << "lib3ds has no mesh for " << object.name;
            const Lib3dsMesh& mesh = **match;
            unpaired.erase(match);
            ASSERT_EQ(object.vertices.size(), mesh.points) << object.name;
            ASSERT_EQ(object.faces.size(), mesh.faces) << object.name;
            for (std::size_t v = 0; v < mesh.points; ++v) // mapping v is stored turned over, 1 - v in double
                ASSERT_EQ((std::array{object.vertices[v].x, object.vertices[v].y, object.vertices[v].z, object.vertices[v].u,
                                      object.vertices[v].v}),
                          (std::array{mesh.pointL[v].pos[0], mesh.pointL[v].pos[1], mesh.pointL[v].pos[2],
                                      v < mesh.texels ? mesh.texelL[v][0] : object.vertices[v].u,
                                      v < mesh.texels ? float(1.0 - double(mesh.texelL[v][1])) : object.vertices[v].v})) << v;
            for (std::size_t f = 0; f < mesh.faces; ++f)
                for (int corner = 0; corner < 3; ++corner)
                    ASSERT_EQ(object.faces[f].index[corner], mesh.faceL[f].points[corner]) << "face " << f;
        }
        EXPECT_TRUE(unpaired.empty()) << "our reader has no object for " << unpaired.front()->name;
    }
    EXPECT_GT(objects, 0) << "install assimp-testmodels and glmark2-data";
}

} // namespace
