// Names made from paths: the output box's suggestion, the final output path
// and the texture name written into the file.
#include "convert/output_naming.h"

#include <gtest/gtest.h>

namespace
{
TEST(OutputNaming, EachPathGivesItsName)
{
    const struct
    {
        std::string (*make)(const std::string&);
        std::string given, expected;
    } names[] = {
        // The last three characters replaced; short paths get ".DTQ" appended.
        {DefaultOutputName, "/models/ship.3ds", "/models/ship.DTQ"}, {DefaultOutputName, "ship.obj", "ship.DTQ"},
        {DefaultOutputName, "abc", "DTQ"}, {DefaultOutputName, "ab", "ab.DTQ"}, {DefaultOutputName, "", ".DTQ"},
        {DefaultOutputName, "/m/bâteau.3ds", "/m/bâteau.DTQ"}, {DefaultOutputName, "éé", "éé.DTQ"}, {DefaultOutputName, "/m/aéé", "/m/DTQ"},
        {DefaultOutputName, "/models/ship", "/models/sDTQ"}, {DefaultOutputName, "/m.old/ship", "/m.old/sDTQ"},
        {DefaultOutputName, "/m/.profile", "/m/.profDTQ"}, {DefaultOutputName, "x.glb", "x.DTQ"}, {DefaultOutputName, "x.éèê", "x.DTQ"},
        // An extension of any other length replaced whole.
        {DefaultOutputName, "/models/ship.gltf", "/models/ship.DTQ"}, {DefaultOutputName, "a.tiff", "a.DTQ"},
        {DefaultOutputName, "ship.GLTF", "ship.DTQ"}, {DefaultOutputName, "ship.tar.gz", "ship.tar.DTQ"}, {DefaultOutputName, "ship.", "ship.DTQ"},
        {DefaultOutputName, "C:\\m\\ship.gltf", "C:\\m\\ship.DTQ"}, {DefaultOutputName, "a.b", "a.DTQ"}, {DefaultOutputName, "x.éé", "x.DTQ"},
        {DefaultOutputName, "a.fbx2", "a.DTQ"},
        // Kept when longer than five characters and ending in .dtq in any case.
        {MakeOutputPath, "/out/ship.DTQ", "/out/ship.DTQ"}, {MakeOutputPath, "ship.Dtq", "ship.Dtq"}, {MakeOutputPath, "/out/.dtq", "/out/.dtq"},
        {MakeOutputPath, "A.DTQ", "A.dtq"}, {MakeOutputPath, "a.dtq", "a.dtq"}, {MakeOutputPath, "ab.DTQ", "ab.DTQ"},
        {MakeOutputPath, ".dtq", ".dtq.dtq"},
        // Otherwise the extension replaced; a '.' in a folder or starting a name is none.
        {MakeOutputPath, "ship.DTQ ", "ship.dtq"}, {MakeOutputPath, "/out/my.ship.3ds", "/out/my.ship.dtq"}, {MakeOutputPath, "x", "x.dtq"},
        {MakeOutputPath, "/out/ship", "/out/ship.dtq"}, {MakeOutputPath, "/out.old/ship", "/out.old/ship.dtq"}, {MakeOutputPath, "ship.", "ship.dtq"},
        {MakeOutputPath, "relative/v1.2/model", "relative/v1.2/model.dtq"}, {MakeOutputPath, "/out/.hidden", "/out/.hidden.dtq"},
        {MakeOutputPath, ".hidden", ".hidden.dtq"}, {MakeOutputPath, "/out/shipdtq", "/out/shipdtq.dtq"},
        {MakeOutputPath, "C:\\out\\ship.DTQ", "C:\\out\\ship.DTQ"}, {MakeOutputPath, "C:\\out\\ship.3ds", "C:\\out\\ship.dtq"},
        {MakeOutputPath, "C:\\out.old\\ship", "C:\\out.old\\ship.dtq"}, {MakeOutputPath, "C:\\home\\.hidden", "C:\\home\\.hidden.dtq"},
        // The file name without its extension, whichever separator.
        {MakeTextureName, "/models/ship.dtq", "ship.RAW"}, {MakeTextureName, "/models/my.ship.DTQ", "my.ship.RAW"},
        {MakeTextureName, "ship.dtq", "ship.RAW"}, {MakeTextureName, "/models/.dtq", ".RAW"}, {MakeTextureName, "\\ship.dtq", "ship.RAW"},
        {MakeTextureName, "/out.old/ship.dtq", "ship.RAW"}, {MakeTextureName, "C:\\models\\my.ship.DTQ", "my.ship.RAW"},
        {MakeTextureName, "C:\\models\\.dtq", ".RAW"}};
    for (const auto& name : names)
        EXPECT_EQ(name.make(name.given), name.expected) << '"' << name.given << '"';
}

} // namespace
