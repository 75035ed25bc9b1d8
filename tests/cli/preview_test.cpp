// Preview pictures: which faces show red, the fit to the faces' vertices, and
// the built converter run as a file manager runs it from our thumbnailer entry.
#include "convert/preview.h"
#include "platform/executor.h"
#include "fixtures/obj_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace
{
using namespace support;

// A closed cube whose faces all run counter-clockwise seen from outside, and a
// vertex far away that no face uses, which must not shrink the cube to a dot.
fixtures::Mesh Cube()
{
    fixtures::Mesh cube{"Cube", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}}};
    cube.vertices.insert(cube.vertices.end(), {{0, 1, 1}, {1e30f, -1e30f, 1e30f}});
    cube.faces = {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
                  {1, 2, 6}, {1, 6, 5}, {2, 3, 7}, {2, 7, 6}, {3, 0, 4}, {3, 4, 7}};
    return cube;
}

// The cube moved far from the origin, where the picture must still centre it.
fixtures::Mesh FarCube()
{
    fixtures::Mesh cube = Cube();
    for (auto& vertex : cube.vertices)
        if (std::abs(vertex[0]) < 1e29f)
            vertex = {vertex[0] + 50, vertex[1] - 30, vertex[2] + 20};
    return cube;
}

// view: which of the side-by-side views is counted; culled and drawn: whether
// it shows red and grey pixels.
struct PictureCase { bool flip; bool both; int view; bool culled; bool drawn; };

const PictureCase kPictures[] = {
    {false, false, 0, false, true},
    {true, false, 0, true, false},
    {false, true, 0, false, true},
    {false, true, 1, true, false},
};

TEST(Preview, FacesAndFit)
{
    constexpr int kSize = 64;
    for (const PictureCase& test : kPictures)
    {
        SCOPED_TRACE(testing::Message() << "flip " << test.flip << " both " << test.both << " view " << test.view);
        LoadedModel loaded(fixtures::BuildModelFile({FarCube()}));
        CExecutor executor(2);
        const CRasterImage picture = RenderPreview(loaded.model, kSize, test.flip, test.both, executor);
        int culled = 0, drawn = 0, background = 0;
        int left = kSize, right = -1, top = kSize, bottom = -1; // of the cube, in its view
        for (int y = 0; y < kSize; ++y)
            for (int x = test.view * kSize; x < (test.view + 1) * kSize; ++x)
            {
                const RgbColour pixel = picture.GetPixel(x, y);
                ++(pixel == kPreviewBackground ? background : pixel.red > pixel.green ? culled : drawn);
                if (!(pixel == kPreviewBackground))
                    left = std::min(left, x - test.view * kSize), right = std::max(right, x - test.view * kSize),
                    top = std::min(top, y), bottom = std::max(bottom, y);
            }
        EXPECT_EQ(culled > 0, test.culled);
        EXPECT_EQ(drawn > 0, test.drawn);
        EXPECT_LT(background, kSize * kSize / 2); // the cube fills most of the view
        // ... in its middle.
        EXPECT_LE(std::abs(left - (kSize - 1 - right)), 1) << left << " to " << right;
        EXPECT_LE(std::abs(top - (kSize - 1 - bottom)), 1) << top << " to " << bottom;
    }
}

// The width and height in a PNG's header (each below 65,536); 0 x 0 when
// there is no picture.
std::string PictureSize(std::string png)
{
    png.resize(std::max<std::size_t>(png.size(), 24));
    const auto number = [&](int at) { return std::to_string(std::uint8_t(png[at]) << 8 | std::uint8_t(png[at + 1])); };
    return number(18) + " x " + number(22);
}

// The thumbnailer entry is run as a file manager runs it, on a .3DS file and
// on an OBJ file of the same cube, which must give the same picture; the
// desktop entry names the same types of file.
TEST(Preview, Thumbnailer)
{
    TemporaryFolder folder;
    const std::string entry = ReadFile(TESSALINE_SOURCE_DIR "/cli/tessaline.thumbnailer");
    const std::string types = entry.substr(entry.find("\nMimeType=") + 1);
    for (const char* type : {"image/x-3ds;", "model/obj;", "model/gltf+json;", "model/gltf-binary;"})
        EXPECT_NE(types.find(type), std::string::npos) << type;
    EXPECT_NE(ReadFile(TESSALINE_SOURCE_DIR "/app/tessaline.desktop.in").find("\n" + types), std::string::npos);
    std::string pictures[2];
    for (const char* name : {"my ship.3ds", "my ship.obj"})
    {
        const std::string input = folder / name, output = folder / "thumb nail.png";
        if (input.ends_with(".obj"))
            WriteFile(input, fixtures::BuildObjFile({Cube()}));
        else
            WriteModel(input, {Cube()});
        // The words of the command line as a file manager fills them in.
        std::istringstream command(entry.substr(entry.find("\nExec=") + 6));
        std::vector<std::string> arguments;
        for (std::string word; command >> word && word.find('=') == std::string::npos;)
            arguments.push_back(word == "tessaline-convert" ? TESSALINE_CONVERT_PATH
                                : word == "%i" ? input : word == "%o" ? output : word == "%s" ? "128" : word);
        const Process thumbnail = support::Run(arguments);
        EXPECT_EQ(thumbnail.status, 0);
        EXPECT_EQ(thumbnail.err, input + " -> " + output + "\n");
        pictures[input.ends_with(".obj")] = ReadFile(output);
        EXPECT_EQ(PictureSize(pictures[input.ends_with(".obj")]), "128 x 128") << name;
    }
    EXPECT_TRUE(pictures[0] == pictures[1]);
    const std::string input = folder / "my ship.3ds", output = folder / "thumb nail.png";
    // Side by side; and a failure names the input and leaves no picture.
    support::Run({TESSALINE_CONVERT_PATH, "--preview", output, "--preview-both", "--size=40", input});
    EXPECT_EQ(PictureSize(ReadFile(output)), "80 x 40");
    WriteFile(input, "not a model");
    const Process failed = support::Run({TESSALINE_CONVERT_PATH, "--preview", folder / "x.png", input});
    EXPECT_EQ(failed.err, "tessaline-convert: " + input +
                              ": Error reading input file, it does not appear to be a true .3DS file.\n");
    EXPECT_EQ(folder.List(), std::set<std::string>({"my ship.3ds", "my ship.obj", "thumb nail.png"}));
}
} // namespace
