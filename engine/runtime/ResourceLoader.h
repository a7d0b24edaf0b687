#pragma once
// Start-up and shutdown work on everything a production declares: the pools,
// the screen, every declared resource behind the progress bar, the effect
// instances and their tracks, the music clock; and the shader preprocessing
// ("#define" lines from the declaration, "#include" lines expanded). Every step
// returns whether it succeeded and leaves a message when it did not.

#include <string>
#include <vector>

class ScreenSettings;
class Shader;
struct ShaderDefinition;

class ResourceLoader {
public:
    ResourceLoader();
    ~ResourceLoader();
    ResourceLoader(const ResourceLoader&) = delete;
    ResourceLoader& operator=(const ResourceLoader&) = delete;

    bool createDataPools();
    bool openScreen(ScreenSettings* settings, const char* title);
    // Needs the GL context; stops at the first resource that fails.
    bool loadResources();
    bool defineEffectInstances();
    // Reads the track data, initialises every instance, validates the start/stop tracks.
    bool createTracks();
    bool setupSound();
    bool startDemo();

    bool isOk() const { return ok; }
    std::string getMessage() const { return message; }

    // Deletes the progress bar, the pools, the track manager and the clock and
    // nulls their globals; frees left-over GL textures when a context is current.
    // Safe without a loader and after a failed start.
    static void deletePools();

    // Development: rebuilds every declared shader from its files.
    bool reloadShaders();
    // Development: a shell script that adds every resource file to "resources.7z".
    // False when the script could not be written.
    bool writePackScript(const std::string& archiver, const std::string& scriptPath);
    // The text of that script.
    std::string packScript(const std::string& archiver) const;

    bool prepareShader(Shader* shader, const ShaderDefinition& def);
    // "#define name" lines after the "#version" line, the last define first.
    static void insertDefines(std::vector<std::string>& lines, const std::vector<std::string>& defines);
    // Appends the lines to out, each "#include file" replaced by that file of
    // folder, recursively; a missing or cyclic include, nesting deeper than 16 or an
    // expansion past 1 MiB fails with a message.
    bool shaderInclude(std::string& out, const std::vector<std::string>& lines, const std::string& folder,
                       const std::string& fileName, int depth);

    void setVerbose(bool v) { verbose = v; }

private:
    // The progress total of the declarations made so far.
    static int progressTotal();
    void fail(const std::string& text);

    std::string message;
    bool ok;
    bool verbose;
    // Files being expanded by shaderInclude, outermost first.
    std::vector<std::string> includeStack;
};
