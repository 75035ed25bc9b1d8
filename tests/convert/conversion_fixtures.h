#pragma once

// Shared by the conversion and command-line tests: a scratch folder, the
// one-object model whose complete output is known, and file helpers.

#include "fixtures/chunk_writer.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>

namespace testing_support
{

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TemporaryFolder
{
public:
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaline-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        m_path = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

    // Names of the entries, hidden ones included.
    std::set<std::string> List() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.insert(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path m_path;
};

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
}

// Three vertices (x, y, z, u, v) = (0,0,0,0,0), (25,0,0,1,0), (0,25,0,0,1)
// and one face (0, 1, 2). The file stores 1 - v.
inline fixtures::MeshSpec HullMesh(const std::string& name = "Hull_T")
{
    fixtures::MeshSpec mesh;
    mesh.name = name;
    mesh.vertices = {{0, 0, 0}, {25, 0, 0}, {0, 25, 0}};
    mesh.mapping = {{0, 1}, {1, 1}, {0, 0}};
    mesh.faces = {{0, 1, 2}};
    return mesh;
}

// HullMesh converted without flipping to a path whose file name is ship.dtq.
inline constexpr char kHullModelText[] = "C3DModel\n"
                                         "4\n"
                                         "1\n"
                                         "0,50.000000\n"
                                         "Hull\n"
                                         "1\n"
                                         "1\n"
                                         "3,1,1,0\n"
                                         "1.0,1.0,64.0,1,0,ship.RAW\n"
                                         "0,0,0,0,1,0,0,0\n"
                                         "1,0,0,0,1,0,1,0\n"
                                         "0,0,1,0,1,0,0,1\n"
                                         "2,1,0\n";

inline void WriteModelFile(const std::string& path, const std::vector<fixtures::MeshSpec>& meshes)
{
    if (!fixtures::WriteFile(path, fixtures::BuildModelFile(meshes)))
        throw std::runtime_error("cannot write " + path);
}

} // namespace testing_support
