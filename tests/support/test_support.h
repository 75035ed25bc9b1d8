#pragma once

// What the test suites share: a scratch folder, whole files, a status sink
// that records what it is shown, a model loaded from bytes, one way to run a
// program, the packaged .3DS files and model files built with our chunk writer.

#include "fixtures/chunk_writer.h"
#include "model/model_3ds.h"
#include "model/model_format.h"
#include "model/status_sink.h"
#include "platform/input_file.h"

// The Windows build's suites, run under Wine, use what needs no POSIX
// system: the folder, files and models, not the running of programs.
#if !defined(_WIN32)
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace support
{

namespace fs = std::filesystem;

// A fresh folder, removed with its contents when the object goes.
class TemporaryFolder
{
public:
    TemporaryFolder()
    {
#if defined(_WIN32)
        // No mkdtemp: a random name, taken only if no folder has it yet.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt)
            if (fs::path path = fs::temp_directory_path() / ("tessaline-test-" + std::to_string(random()));
                fs::create_directory(path))
                m_path = path;
        if (m_path.empty())
            throw std::runtime_error("cannot create a temporary folder");
#else
        std::string pattern = (fs::temp_directory_path() / "tessaline-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        m_path = pattern;
#endif
    }
    ~TemporaryFolder() { fs::remove_all(m_path); }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const fs::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    // Names of the entries, hidden ones included.
    std::set<std::string> List() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_path))
            names.insert(entry.path().filename().string());
        return names;
    }

private:
    fs::path m_path;
};

inline std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline void WriteModel(const std::string& path, const std::vector<fixtures::Mesh>& meshes,
                       const fixtures::Keyframes* keyframes = nullptr)
{
    if (!fixtures::WriteFile(path, fixtures::BuildModelFile(meshes, keyframes)))
        throw std::runtime_error("cannot write " + path);
}

// One triangle, (0,0,0) (25,0,0) (0,25,0), with mapping coordinates.
inline fixtures::Mesh Triangle(const std::string& name = "Hull_T")
{
    fixtures::Mesh mesh;
    mesh.name = name;
    mesh.vertices = {{0, 0, 0}, {25, 0, 0}, {0, 25, 0}};
    mesh.mapping = {{0, 1}, {1, 1}, {0, 0}};
    mesh.faces = {{0, 1, 2}};
    return mesh;
}

// Three objects of 60,000 vertices: some 11 MB of model text, so that a
// conversion takes a while and its output is synced while it is written.
inline std::vector<fixtures::Mesh> LargeModel()
{
    fixtures::Mesh mesh;
    mesh.name = "Big";
    for (int i = 0, count = 60000; i < count; ++i)
        mesh.vertices.push_back({float(i), float(i % 7), float(i % 13)}),
            mesh.faces.push_back({std::uint16_t(i), std::uint16_t((i + 1) % count), std::uint16_t((i + 2) % count)});
    return {mesh, mesh, mesh};
}

// A model loaded from bytes in memory, with what it told on the way: the
// errors its status sink was shown, which should carry progress only, then
// its status text; and the other texts its sink was shown.
struct LoadedModel : CStatusSink
{
    explicit LoadedModel(std::vector<std::uint8_t> bytes, LoadMode mode = LoadMode::KeyframeModel,
                         KeyTracks keys = KeyTracks::Read)
        : model(this, &text, keys)
    {
        CInputFile file;
        file.OpenMemory(std::move(bytes));
        result = model.LoadFile(&file, mode);
        if (!text.empty())
            errors.push_back(text);
    }
    void ShowProgress(const std::string& shown) override
    {
        (shown.rfind("Error", 0) == 0 ? errors : progress).push_back(shown);
    }

    std::vector<std::string> errors;
    std::vector<std::string> progress;
    std::string text;
    CModel3DS model;
    int result = 0;
};

// A model of any format loaded from bytes in memory, by the source a run
// makes for them, with what it told on the way as LoadedModel keeps it.
// Given a path, the format is recognised as a run recognises it, and the path
// names the file for the source (the folder of the files it refers to);
// empty, as for standard input.
struct LoadedFile : CStatusSink
{
    explicit LoadedFile(const std::vector<std::uint8_t>& bytes, const std::string& path = "",
                        LoadMode mode = LoadMode::KeyframeModel, KeyTracks keys = KeyTracks::Read)
        : LoadedFile(bytes, RecogniseFormat(bytes, path), mode, {.path = path, .keys = keys})
    {
    }
    LoadedFile(const std::string& bytes, ModelFormat format, LoadMode mode = LoadMode::KeyframeModel,
               const ModelSourceOptions& options = {})
        : LoadedFile(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), format, mode, options)
    {
    }
    LoadedFile(std::vector<std::uint8_t> bytes, ModelFormat format, LoadMode mode, const ModelSourceOptions& options)
        : model(MakeModelSource(format, options, this, &text))
    {
        CInputFile file;
        file.OpenMemory(std::move(bytes));
        result = model->LoadFile(&file, mode);
        if (!text.empty())
            errors.push_back(text);
    }
    void ShowProgress(const std::string& shown) override
    {
        (shown.rfind("Error", 0) == 0 ? errors : progress).push_back(shown);
    }

    std::vector<std::string> errors;
    std::vector<std::string> progress;
    std::string text;
    std::unique_ptr<CLoadedModel> model;
    int result = 0;
};

#if !defined(_WIN32)
struct RunOptions
{
    std::string folder = ".";          // the working folder
    std::string input = "/dev/null";   // standard input
    bool unprivileged = false;         // as the user nobody, whom permission bits bind
    rlim_t addressSpace = 0;           // bytes; 0 for no limit
    rlim_t fileSize = 0;               // bytes; 0 for no limit
    rlim_t stack = 0;                  // bytes, also each new thread's stack; 0 for the default
    std::string preload = "";          // a library loaded before all others (LD_PRELOAD)
};

struct Process
{
    int status = -1; // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
    long peakKiB = 0; // the largest resident size it reached
};

// Runs a program (argv[0] is its path) and collects both output streams.
inline Process Run(const std::vector<std::string>& argv, const RunOptions& options = {})
{
    TemporaryFolder streams;
    const std::string outPath = streams / "out", errPath = streams / "err";
    // nobody may be unable to reach the build folder (a clone under /root):
    // the program then runs from a copy in a folder everyone can enter.
    std::vector<std::string> arguments = argv;
    const bool dropping = options.unprivileged && geteuid() == 0;
    if (dropping)
    {
        arguments[0] = streams / fs::path(argv[0]).filename();
        fs::copy_file(argv[0], arguments[0]);
        fs::permissions(streams.Path(), fs::perms(0755));
        fs::permissions(arguments[0], fs::perms(0755));
    }
    const pid_t child = fork();
    if (child == 0)
    {
        std::vector<char*> args;
        for (const std::string& arg : arguments)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        const int in = open(options.input.c_str(), O_RDONLY | O_NONBLOCK);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
            chdir(options.folder.c_str()) != 0)
            _exit(126);
        fcntl(0, F_SETFL, fcntl(0, F_GETFL) & ~O_NONBLOCK);
        const std::pair<int, rlim_t> limits[] = {
            {RLIMIT_AS, options.addressSpace}, {RLIMIT_FSIZE, options.fileSize}, {RLIMIT_STACK, options.stack}};
        for (const auto& [resource, limit] : limits)
            if (const rlimit both{limit, limit}; limit)
                setrlimit(resource, &both);
        if (options.unprivileged && geteuid() == 0)
        {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                _exit(126);
        }
        if (!options.preload.empty())
            setenv("LD_PRELOAD", options.preload.c_str(), 1);
        alarm(120); // a run that hangs ends with SIGALRM
        execv(args[0], args.data());
        const std::string why = std::string("cannot run ") + args[0] + (dropping ? " as nobody: " : ": ") + strerror(errno) + "\n";
        (void)!write(2, why.data(), why.size());
        _exit(127);
    }
    Process result;
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child)
    {
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.peakKiB = usage.ru_maxrss;
    }
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}
#endif

// The files of Debian's assimp-testmodels and glmark2-data with one of the
// extensions (in any letter case); none when the packages are absent.
inline std::vector<fs::path> PackagedModels(const std::set<std::string>& extensions = {".3ds"})
{
    std::vector<fs::path> models;
    for (const char* folder : {"/usr/share/assimp/models", "/usr/share/glmark2"})
    {
        std::error_code error;
        for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        {
            std::string extension = it->path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
            if (extensions.count(extension) != 0 && it->is_regular_file(error))
                models.push_back(it->path());
        }
    }
    std::sort(models.begin(), models.end());
    return models;
}

} // namespace support
