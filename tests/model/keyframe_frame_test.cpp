// Keyframe tracks to key slots, frames built from a loaded model, and the
// face attributes coded in material names that travel with them.

#include "model/face_attributes.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

// Records are built naming only some of their fields; the others keep their defaults.

#include <cmath>
#include <sstream>

namespace {
// "skin kind WBFEN x c", read from the record's own fields.
template <typename Record>
std::string Attributes(const Record& a) {
    return (std::ostringstream() << a.skin << ' ' << int{a.kind} << ' ' << a.flagW << a.flagB << a.flagF << a.flagE << a.flagN
                                 << ' ' << int{a.valueX} << ' ' << int{a.valueC}).str();
}

// A triangle with mapping, then a quad about the pivot (1, 0, 0) whose groups
// overwrite, code nothing, hold no index or name a face past the list.
std::vector<std::uint8_t> TriangleAndQuad(const fixtures::Keyframes& keys) {
    const fixtures::Mesh triangle{"Box", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{0.25f, 0.75f}, {0.5f, 0.5f}, {1, 0}}, {{0, 1, 2}}, {{"skin3wx10", {0}}}};
    const fixtures::Mesh quad{"Quad", {{3, 0, 0}, {4, 0, 0}, {4, 1, 0}, {3, 1, 0}}, {}, {{0, 1, 2}, {0, 2, 3}},
                              {{"skin1t", {0}}, {"skin2w", {0}}, {"skinny", {0, 1}}, {"skin5x1F", {}}, {"skin7o", {1, 2}}}, true, {1, 0, 0}};
    return fixtures::BuildModelFile({triangle, quad}, &keys);
}

// "valid name vertices faces | first vertex x y z u v | faces"; the name is
// appended to "N".
std::string Describe(CModel3DS& model, int frame) {
    ModelObject out{.name = "N"};
    model.BuildFrame(frame, &out);
    std::ostringstream text;
    text << out.valid << ' ' << out.name << ' ' << out.vertexCount << ' ' << out.faceCount << " |";
    if (const ModelVertex* v = out.vertices.empty() ? nullptr : &out.vertices[0])
        text << ' ' << v->x << ' ' << v->y << ' ' << v->z << ' ' << v->u << ' ' << v->v << " |";
    for (const ModelFace& face : out.faces)
        text << ' ' << face.index[0] << face.index[1] << face.index[2] << '(' << Attributes(face) << ')';
    return text.str();
}

// "@frames" then every slot that is not neutral (offset 0, turn 0, scale 1)
// as object, track (p, r, s), frame = x,y,z; "size!" for a track whose slots
// are not one per frame.
std::string Slots(support::LoadedModel& loaded) {
    const std::size_t frames = static_cast<std::size_t>(loaded.model.GetFrameCount());
    std::ostringstream out(std::to_string(loaded.result) + " @" + std::to_string(frames), std::ios::ate);
    for (int i = 0; i < loaded.model.GetObjectCount(); ++i) {
        const ModelObject& o = *loaded.model.GetObject(i);
        for (const auto& [track, keys] : {std::pair{'p', &o.positionKeys}, {'r', &o.rotationKeys}, {'s', &o.scaleKeys}}) {
            out << (keys->size() != frames ? " size!" : "");
            const float n = track == 's' ? 1.0f : 0.0f;
            for (std::size_t f = 0; f < keys->size(); ++f)
                if (const ModelVertex& k = (*keys)[f]; k.x != n || k.y != n || k.z != n)
                    out << ' ' << i << track << f << '=' << k.x << ',' << k.y << ',' << k.z;
        }
    }
    return out.str();
}
} // namespace

TEST(Frames, MergedAndCopiedRecords) {
    support::LoadedModel merged(TriangleAndQuad({0, 3, {}})), empty(fixtures::BuildModelFile({}));
    support::LoadedModel morph(fixtures::BuildModelFile({fixtures::Mesh{"Wave2", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {}, {{2, 1, 0}}, {{"skin4bc0f", {0}}}},
                                                         {"Wave1", {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {}, {{0, 1, 2}}},
                                                         {"Wave3", {{5, 5, 5}, {0, 0, 1}, {0, 1, 0}}, {}, {{0, 1, 2}}}}), LoadMode::MorphSequence);
    const std::string mergedFrame = "1 NBox 7 3 | 1 2 3 0.25 0.25 | 012(3 0 10000 16 0) 345(2 0 10000 0 0) 356(7 4 00000 0 0)";
    const std::tuple<support::LoadedModel&, int, std::string> cases[] = {
        {merged, 0, mergedFrame}, {merged, 3, mergedFrame}, {merged, 4, "0 N 0 0 |"}, {merged, -1, "0 N 0 0 |"},
        {empty, 0, "1 N 0 0 |"}, {empty, 1, "0 N 0 0 |"}, {morph, 3, "0 N 0 0 |"}, {morph, -1, "0 N 0 0 |"},
        {morph, 0, "1 NWave1 3 1 | 0 0 0 0 0 | 012(0 0 00000 0 0)"}, {morph, 1, "1 NWave2 3 1 | 1 2 3 0 0 | 210(4 0 01000 0 15)"},
        {morph, 2, "1 NWave3 3 1 | 5 5 5 0 0 | 012(0 0 00000 0 0)"},
    };
    for (const auto& [loaded, frame, expected] : cases)
        EXPECT_EQ(Describe(loaded.model, frame), expected) << "frame " << frame;
}

// The quad's vertices placed by keys (segment 0..3), worked out by hand:
// scaled about the pivot, turned the other way from the rotation slot, moved
// by the offset. Frame 1 lies halfway for turns only.
TEST(Frames, KeysPlaceVerticesAboutThePivot) {
    const float quarter = static_cast<float>(std::acos(0.0)), h = static_cast<float>(std::sqrt(0.5));
    const fixtures::Node scale{"Quad", {}, {}, {{0, {1, 1, 1}}, {2, {2, 1, 1}}}}, offset{"Quad", {{0, {}}, {2, {2, 0, 0}}}, {}, {}};
    const std::tuple<fixtures::Node, int, int, std::array<float, 3>> cases[] = { // node, frame, merged vertex, where
        {{"Quad", {{0, {5, 6, 7}}}, {{0, {2, 1, 0, 0}}}, {{0, {3, 3, 3}}}}, 0, 5, {4, 1, 0}},
        {scale, 2, 5, {7, 1, 0}}, {scale, 1, 5, {4, 1, 0}}, {offset, 2, 5, {6, 1, 0}}, {offset, 2, 0, {1, 2, 3}},
        {{"Quad", {}, {{2, {quarter, 0, 0, 1}}}, {}}, 2, 5, {2, -3, 0}},
        {{"Quad", {}, {{2, {quarter, 0, 0, 1}}}, {}}, 1, 5, {1 + 4 * h, -2 * h, 0}},
        {{"Quad", {}, {{2, {quarter, 1, 0, 0}}}, {}}, 2, 5, {4, 0, -1}},
        {{"Quad", {}, {{2, {quarter, 0, 1, 0}}}, {}}, 2, 5, {1, 1, 3}},
        {{"Quad", {{0, {7, 7, 7}}, {2, {7, 7, 17}}}, {{2, {quarter, 0, 0, 1}}}, {{0, {0.5f, 0.5f, 0.5f}}, {2, {1, 0.5f, 0.5f}}}}, 2, 3, {1, -4, 10}},
    };
    for (const auto& [node, frame, vertex, where] : cases) {
        support::LoadedModel loaded(TriangleAndQuad({0, 3, {node}}));
        ModelObject out;
        loaded.model.BuildFrame(frame, &out);
        const ModelVertex v = out.vertices.at(static_cast<std::size_t>(vertex));
        EXPECT_LT(std::hypot(v.x - where[0], v.y - where[1], v.z - where[2]), 1e-5) << node.name << " frame " << frame << " vertex " << vertex;
    }
}

TEST(FaceAttributes, NamesToAttributes) {
    const std::pair<const char*, const char*> cases[] = {
        {"skin", "-"}, {"skinny", "-"}, {"myskin1", "-"}, {"", "-"}, {"Skin2T", "2 2 00000 0 0"}, {"skin3", "3 0 00000 0 0"},
        {"skin1wbfen", "1 0 11111 0 0"}, {"skin0mo", "0 4 00000 0 0"}, {"skin42", "4 1 00000 0 0"}, {"skin6m", "6 3 00000 0 0"},
        {"skin7ww", "7 0 10000 0 0"}, {"skin9q", "9 0 00000 0 0"}, {"skin5x1f", "5 0 00000 31 0"}, {"skin5x10x05", "5 0 00000 21 0"},
        {"skin5xffxff", "5 0 00000 254 0"}, {"skin5c0a", "5 0 00000 0 10"}, {"skin5x1Fc2A", "5 0 00000 31 42"},
        {"skin9x2e", "9 0 00000 46 0"}, // a pair cut short or not hexadecimal adds nothing, its characters are no letters:
        {"skin5x1", "5 0 00000 0 0"}, {"skin5x", "5 0 00000 0 0"}, {"skin5c", "5 0 00000 0 0"}, {"skin5xg1", "5 0 00000 0 0"},
        {"skin5xwex01", "5 0 00000 1 0"}, {"skin5c1z", "5 0 00000 0 0"},
    };
    for (const auto& [name, expected] : cases) {
        ModelFace decoded{{}, {}, 9, 9, 9, 9, 9, 9, 9, 9, 9}; // left alone by a name that codes nothing
        const bool codes = DecodeFaceAttributes(name, decoded);
        EXPECT_EQ(Attributes(decoded), codes ? expected : "9 9 99999 9 9") << name;
        EXPECT_EQ(codes, std::string(expected) != "-") << name;
    }
}

// Objects Box, Other, WingSectionL and WingSectionLeft (stored as WingSectionL);
// segment 0..0 without nodes: no keyframe data at all.
TEST(Keyframes, TracksToSlots) {
    const std::tuple<const char*, std::uint32_t, std::uint32_t, std::vector<fixtures::Node>, const char*> cases[] = {
        {"no keyframe data", 0, 0, {}, "1 @1"},
        {"segment ending before it starts", 5, 4, {}, "1 @1"},
        {"positions are offsets from frame 0", 0, 10, {{"Box", {{0, {10, 20, 30}}, {5, {12, 20, 30}}}, {}, {}}}, "1 @11 0p5=2,0,0"},
        {"scales are ratios to frame 0", 0, 10, {{"Box", {}, {}, {{0, {2, 2, 2}}, {10, {4, 2, 1}}}}}, "1 @11 0s10=2,1,0.5"},
        {"the later key of a frame wins", 0, 3,
         {{"Box", {{2, {1, 1, 1}}, {2, {4, 5, 6}}}, {{2, {1, 1, 0, 0}}, {2, {2, 0, 1, 0}}}, {{2, {3, 3, 3}}, {2, {7, 8, 9}}}}},
         "1 @4 0p2=4,5,6 0r1=0,1,0 0r2=0,2,0 0s2=7,8,9"},
        {"turns summed, filled in, none after the last", 0, 4, {{"Box", {}, {{0, {9, 1, 1, 1}}, {2, {0.5f, 0, 0, 1}}, {3, {0.5f, 1, 0, 0}}}, {}}},
         "1 @5 0r1=0,0,0.25 0r2=0,0,0.5 0r3=0.5,0,0.5"},
        {"turns run towards the next key", 0, 6, {{"Box", {}, {{4, {1, 0, 0, 2}}, {6, {1, 0, 0, 1}}}, {}}},
         "1 @7 0r1=0,0,0.5 0r2=0,0,1 0r3=0,0,1.5 0r4=0,0,2 0r5=0,0,2.5 0r6=0,0,3"},
        {"unmatched nodes write into object 0", 0, 2,
         {{"Box", {{0, {}}, {1, {1, 0, 0}}, {2, {1, 0, 0}}}, {}, {}}, {"$$$DUMMY", {{0, {}}, {1, {0, 0, 3}}}, {}, {}},
          {"Bo", {}, {}, {{0, {1, 1, 1}}, {2, {2, 2, 2}}}}}, "1 @3 0p1=0,0,3 0p2=1,0,0 0s2=2,2,2"},
        {"a long node name finds its cut object", 0, 1,
         {{"WingSectionLeft", {{0, {}}, {1, {1, 0, 0}}}, {}, {}}, {"WingSectionL", {{0, {}}, {1, {0, 5, 0}}}, {}, {}}}, "1 @2 2p1=0,5,0 3p1=1,0,0"},
        {"a long node name of no object writes into object 0", 0, 1, {{"NoObjectOfMine", {{0, {}}, {1, {0, 7, 0}}}, {}, {}}}, "1 @2 0p1=0,7,0"},
        {"keys outside the segment are skipped", 0, 3,
         {{"Box", {{0, {}}, {4, {9, 9, 9}}, {2, {1, 0, 0}}, {65535, {9, 9, 9}}}, {{3, {1, 0, 0, 1}}, {4, {1, 0, 1, 0}}, {1000, {1, 1, 0, 0}}},
           {{0, {1, 1, 1}}, {3, {2, 2, 2}}, {3000, {5, 5, 5}}}}}, "1 @4 0p2=1,0,0 0r1=0,0,0.333333 0r2=0,0,0.666667 0r3=0,0,1 0s3=2,2,2"},
    };
    const std::vector meshes{support::Triangle("Box"), support::Triangle("Other"), support::Triangle("WingSectionL"), support::Triangle("WingSectionLeft")};
    for (const auto& [label, first, last, nodes, slots] : cases) {
        const fixtures::Keyframes keys{first, last, nodes};
        support::LoadedModel loaded(fixtures::BuildModelFile(meshes, last || !nodes.empty() ? &keys : nullptr));
        EXPECT_EQ(Slots(loaded), slots) << label;
    }
}
