#include "convert/object_name.h"
#include "convert/output_naming.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct PathCase
{
    std::string given;
    std::string expected;
};

void PrintTo(const PathCase& pathCase, std::ostream* out)
{
    *out << '"' << pathCase.given << "\" -> \"" << pathCase.expected << '"';
}

class MakeOutputPathTable : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(MakeOutputPathTable, GivesFinalOutputPath)
{
    EXPECT_EQ(MakeOutputPath(GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MakeOutputPathTable,
    ::testing::Values(PathCase {"/out/ship.DTQ", "/out/ship.DTQ"}, PathCase {"/out/ship.3ds", "/out/ship.dtq"},
                      PathCase {"/out/ship", "/out/ship.dtq"},
                      // a '.' in a folder name is not the file's extension
                      PathCase {"/out.old/ship", "/out.old/ship.dtq"},
                      PathCase {"relative/v1.2/model", "relative/v1.2/model.dtq"},
                      PathCase {".dtq", ".dtq.dtq"}, PathCase {".hidden", ".hidden.dtq"},
                      PathCase {"/out/.hidden", "/out/.hidden.dtq"}, PathCase {"x", "x.dtq"},
                      PathCase {"a.dtq", "a.dtq"},
                      // five characters or fewer always take the rewrite
                      PathCase {"A.DTQ", "A.dtq"}, PathCase {"ship.Dtq", "ship.Dtq"},
                      PathCase {"/out/my.ship.3ds", "/out/my.ship.dtq"}, PathCase {"ship.", "ship.dtq"},
                      PathCase {"ship.DTQ ", "ship.dtq"}, PathCase {"/out/.dtq", "/out/.dtq"},
                      PathCase {"/out/shipdtq", "/out/shipdtq.dtq"},
                      // Paths typed with backslashes as folder separators.
                      PathCase {"C:\\out\\ship.DTQ", "C:\\out\\ship.DTQ"},
                      PathCase {"C:\\out\\ship.3ds", "C:\\out\\ship.dtq"},
                      PathCase {"C:\\out\\ship", "C:\\out\\ship.dtq"},
                      PathCase {"C:\\out.old\\ship", "C:\\out.old\\ship.dtq"},
                      PathCase {"C:\\home\\.hidden", "C:\\home\\.hidden.dtq"}));

class MakeTextureNameTable : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(MakeTextureNameTable, TakesFileNameWithoutExtension)
{
    EXPECT_EQ(MakeTextureName(GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MakeTextureNameTable,
    ::testing::Values(PathCase {"/models/ship.dtq", "ship.RAW"}, PathCase {"/models/my.ship.DTQ", "my.ship.RAW"},
                      PathCase {"/ship.dtq", "ship.RAW"}, PathCase {"/models/.dtq", ".RAW"},
                      // without a folder the whole name stays, first character included
                      PathCase {"ship.dtq", "ship.RAW"}, PathCase {"/out.old/ship.dtq", "ship.RAW"},
                      PathCase {"models/ship.Dtq", "ship.RAW"},
                      PathCase {"C:\\models\\ship.dtq", "ship.RAW"},
                      PathCase {"C:\\models\\my.ship.DTQ", "my.ship.RAW"},
                      PathCase {"\\ship.dtq", "ship.RAW"}, PathCase {"C:\\models\\.dtq", ".RAW"}));

class DefaultOutputNameTable : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(DefaultOutputNameTable, ReplacesLastThreeCharacters)
{
    EXPECT_EQ(DefaultOutputName(GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DefaultOutputNameTable,
    ::testing::Values(PathCase {"/models/ship.3ds", "/models/ship.DTQ"}, PathCase {"/a/b.3DS", "/a/b.DTQ"},
                      PathCase {"a.tiff", "a.tDTQ"}, PathCase {"model", "moDTQ"}, PathCase {"abc", "DTQ"},
                      PathCase {"ab", "ab.DTQ"}, PathCase {"a", "a.DTQ"}, PathCase {"", ".DTQ"},
                      PathCase {"/m/модель", "/m/модDTQ"}, PathCase {"/m/bâteau.3ds", "/m/bâteau.DTQ"},
                      PathCase {"éé", "éé.DTQ"}, PathCase {"/m/aéé", "/m/DTQ"}));

struct NameCase
{
    std::string name;
    std::string written;
    int textureFlag;
    int effectFlag;
};

void PrintTo(const NameCase& nameCase, std::ostream* out)
{
    *out << '"' << nameCase.name << '"';
}

class SplitObjectNameTable : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(SplitObjectNameTable, CutsAtFirstUnderscoreAndReadsFlags)
{
    const ObjectLabel label = SplitObjectName(GetParam().name);
    EXPECT_EQ(label.name, GetParam().written);
    EXPECT_EQ(label.textureFlag, GetParam().textureFlag);
    EXPECT_EQ(label.effectFlag, GetParam().effectFlag);
}

INSTANTIATE_TEST_SUITE_P(Names, SplitObjectNameTable,
                         ::testing::Values(NameCase {"Hull_T", "Hull", 1, 0}, NameCase {"Gun_E_T", "Gun", 1, 1},
                                           NameCase {"_T", "", 1, 0}, NameCase {"Mast_t", "Mast", 0, 0},
                                           NameCase {"Deck", "Deck", 0, 0}, NameCase {"", "", 0, 0},
                                           NameCase {"Sail_x_E", "Sail", 0, 1}, NameCase {"A__T", "A", 1, 0},
                                           NameCase {"Oar_", "Oar", 0, 0},
                                           NameCase {"Two\nLines_T", "Two Lines", 1, 0},
                                           NameCase {"\r\n_E", "  ", 0, 1}));

} // namespace
