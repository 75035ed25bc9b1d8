#pragma once

// The .3DS files that Debian's assimp-testmodels and glmark2-data install,
// found at test time; none when the packages are absent.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace peers
{

inline bool HasModelExtension(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".3ds";
}

inline std::vector<std::filesystem::path> FindPackagedModels()
{
    std::vector<std::filesystem::path> models;
    for (const char* folder : {"/usr/share/assimp/models", "/usr/share/glmark2"})
    {
        std::error_code error;
        std::filesystem::recursive_directory_iterator it(folder, error);
        for (const std::filesystem::recursive_directory_iterator end; !error && it != end; it.increment(error))
        {
            if (it->is_regular_file(error) && HasModelExtension(it->path()))
                models.push_back(it->path());
        }
    }
    std::sort(models.begin(), models.end());
    return models;
}

// The one packaged file that is no model at all: assimp's deliberately empty
// test input, which must be refused as not being a .3DS file.
inline bool IsDeliberatelyEmpty(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::file_size(path, error) == 0 && !error;
}

inline const char* const kNotA3dsFileMessage = "Error reading input file, it does not appear to be a true .3DS file.";

} // namespace peers
