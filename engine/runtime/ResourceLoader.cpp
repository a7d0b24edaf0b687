#include "engine/runtime/ResourceLoader.h"

#include "engine/render/Engine.h"
#include "engine/render/ObjectFile.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/Shader.h"
#include "engine/render/ShaderCache.h"
#include "engine/render/Texture.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/Binary.h"
#include "engine/runtime/DataBinaryPool.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
#include "engine/runtime/DataVideoPool.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/FMODTimer.h"
#include "engine/runtime/ProgressBar.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/Timer.h"
#include "engine/runtime/TrackFile.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/VLMIO.h"
#include "engine/runtime/Video.h"
#include "platform/Glfw27.h"
#include "util/File.h"
#include "util/Log.h"
#include "util/StringTokenizer.h"
#include "util/StringUtil.h"

#include <GL/glew.h>

#include <algorithm>
#include <memory>
#include <set>

namespace {

// Bounds of "#include": the nesting, and the source text once expanded.
const int maxIncludeDepth = 16;
const size_t maxExpandedBytes = 1 << 20;

template <typename T>
void deleteGlobal(T*& global)
{
    delete global;
    global = nullptr;
}

// One line when the music is not all there or the show starts past its end:
// the show then plays on silently in real time.
void reportShortMusic(FMODTimer& clock, const std::string& path)
{
    bool cutShort = false;
    const int statedMs = clock.getStatedLengthMs(cutShort);
    const long lengthMs = clock.getLengthMs();
    const long startMs = VLMPulsvek::startTime.getTotalMs();
    const long endMs = VLMPulsvek::endTime.getTotalMs();
    if (!cutShort && lengthMs >= startMs)
        return;
    const std::string show = "the show runs from " + std::to_string(startMs) + " ms to " + std::to_string(endMs) +
                             " ms, silent past the music";
    if (cutShort)
        vlm::logLine("Music '", path, "' is cut short: it lasts ", lengthMs, " ms of the ", statedMs,
                     " ms its header declares; ", show);
    else
        vlm::logLine("Music '", path, "' lasts ", lengthMs, " ms; ", show);
}

// A path as a shell word: quoted unless it holds only letters, digits and ._/*-
// ('*' stays open so that the shell or the archiver expands cube-map patterns).
std::string shellWord(const std::string& path)
{
    const bool plain = !path.empty() && std::all_of(path.begin(), path.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
               c == '_' || c == '/' || c == '*' || c == '-';
    });
    if (plain)
        return path;
    std::string quoted = "'";
    for (char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

}

ResourceLoader::ResourceLoader() : message("ResourceLoader : unknown"), ok(true), verbose(false) {}

ResourceLoader::~ResourceLoader() = default;

void ResourceLoader::fail(const std::string& text)
{
    message = text;
    ok = false;
}

int ResourceLoader::progressTotal()
{
    return static_cast<int>(VLMPulsvek::objectDefinitions.size() + VLMPulsvek::textureDefinitions.size() +
                            VLMPulsvek::animationDefinitions.size() + VLMPulsvek::binaryDefinitions.size() +
                            VLMPulsvek::videoDefinitions.size()) +
           3;
}

bool ResourceLoader::createDataPools()
{
    vlm::logLine("[Creating DataPools]");
    // A pool left from an earlier loader is kept.
    if (!VLMPulsvek::sceneDataPool)
        VLMPulsvek::sceneDataPool = new DataObjectPool();
    if (!VLMPulsvek::textureDataPool)
        VLMPulsvek::textureDataPool = new DataTexturePool();
    if (!VLMPulsvek::effectDataPool)
        VLMPulsvek::effectDataPool = new DataEffectPool();
    if (!VLMPulsvek::effectInstanceDataPool)
        VLMPulsvek::effectInstanceDataPool = new DataEffectPool();
    if (!VLMPulsvek::binaryDataPool)
        VLMPulsvek::binaryDataPool = new DataBinaryPool();
    if (!VLMPulsvek::shaderDataPool)
        VLMPulsvek::shaderDataPool = new DataShaderPool();
    if (!VLMPulsvek::fboDataPool)
        VLMPulsvek::fboDataPool = new DataFBOPool();
    if (!VLMPulsvek::videoDataPool)
        VLMPulsvek::videoDataPool = new DataVideoPool();
    return true;
}

bool ResourceLoader::openScreen(ScreenSettings* settings, const char* title)
{
    if (VLMPulsvek::resources)
        VLMPulsvek::resources->configure(settings);
    const bool opened = settings->isFullscreen() ? openFullscreen(settings) : openWindowed(settings, title);
    if (!opened) {
        fail("Failed to open screen : " + StringUtil::toString(settings->getWidth()) + "x" +
             StringUtil::toString(settings->getHeight()) + getLastError());
        return false;
    }
    settings->updateViewport();
    settings->applyViewport();
    if (settings->isFullscreen())
        glfw27::disable(glfw27::MOUSE_CURSOR);
    return true;
}

bool ResourceLoader::loadResources()
{
    vlm::logLine("[Defining Resources]");
    VLMPulsvek::resources->defineResources();
    vlm::logLine("[Define Effects]");
    VLMPulsvek::resources->defineEffects();

    if (!VLMPulsvek::progressBar)
        VLMPulsvek::progressBar = new ProgressBar(0.09f, 1.2f, 0.0f, progressTotal());
    ProgressBar* bar = VLMPulsvek::progressBar;
    bar->setTotal(progressTotal());
    bar->init();
    bar->draw();

    vlm::logLine("[Loading Shaders]");
    for (const ShaderDefinition& def : VLMPulsvek::shaderDefinitions) {
        vlm::logLine("-> Loading ", def.file);
        Shader* shader = new Shader(def.file + "::" + def.name);
        if (!prepareShader(shader, def)) {
            delete shader;
            return false;
        }
        VLMPulsvek::shaderDataPool->addShader(def.name, shader);
        if (verbose)
            vlm::logLine("Adding shader '", def.name, "' = ", shader->toString());
        shader->bind();
    }

    vlm::logLine("[Loading 3D Objects]");
    for (const FileDefinition& def : VLMPulsvek::objectDefinitions) {
        const std::string path = VLMIO::objectFolder + def.file;
        vlm::logLine("Loading : '", path);
        ObjectFile reader(path);
        VLMScene* scene = reader.load();
        if (!reader.isOk() || !scene) {
            fail(reader.getMessage());
            return false;
        }
        VLMPulsvek::sceneDataPool->addScene(def.name, scene);
        bar->step();
    }
    // The object files may have declared textures of their own.
    bar->setTotal(progressTotal());

    vlm::logLine("[Loading Textures]");
    DataTexturePool* textures = VLMPulsvek::textureDataPool;
    for (size_t i = 0; i < VLMPulsvek::textureDefinitions.size(); ++i) {
        const TextureDefinition def = VLMPulsvek::textureDefinitions[i];
        if (textures->containsTextureName(def.file)) {
            // The file is loaded already: the texture gets this alias as well.
            if (!textures->contains(def.name)) {
                const std::map<std::string, std::string> aliases = textures->getAliases();
                textures->addTexture(def.name, textures->getTexture(aliases.at(def.file)));
            }
        } else {
            const std::string path = VLMIO::graphicsFolder + def.file;
            vlm::logLine("Load : ", path);
            Texture* texture = VLMIO::loadTextureByTarget(def);
            if (!texture) {
                // A picture that did not load is named (for a cube map the
                // face) with the reason on a line of its own.
                const VLMIO::PictureProblem picture = VLMIO::pictureProblem();
                const std::string file = picture.path.empty() ? path : picture.path;
                fail("Failed to load texture!\n" + std::string("File : '") + file + "'" +
                     (picture.reason.empty() ? "" : "\n" + picture.reason));
                return false;
            }
            texture->setName(def.file);
            textures->addTexture(def.name, texture);
        }
        bar->step();
    }

    for (int i = 0; i < VLMPulsvek::sceneDataPool->size(); ++i)
        VLMPulsvek::sceneDataPool->getAt(i)->resolveTextures();

    if (!VLMPulsvek::shaderCache)
        VLMPulsvek::shaderCache = new ShaderCache();
    VLMPulsvek::shaderCache->init();

    vlm::logLine("[Loading Binary Data]");
    for (const FileDefinition& def : VLMPulsvek::binaryDefinitions) {
        const std::string path = VLMIO::miscFolder + def.file;
        vlm::logLine("Loading binary : '", path, "'");
        Binary* binary = VLMIO::loadBinaryFile(path);
        if (!binary) {
            fail("Failed to binary data!\n" + std::string("File : '") + path + "'");
            return false;
        }
        VLMPulsvek::binaryDataPool->addBinary(def.name, binary);
        vlm::logLine("Loaded '", path, "' using alias ", def.name);
        bar->step();
    }

    vlm::logLine("[Loading Animation Data]");

    vlm::logLine("[Loading Video Data]");
    for (const FileDefinition& def : VLMPulsvek::videoDefinitions) {
        const std::string path = VLMIO::videoFolder + def.file;
        vlm::logLine("Loading video: ", path);
        Video* video = VLMIO::loadVideoFile(path);
        vlm::logLine("Video object ", static_cast<const void*>(video));
        if (!video) {
            fail("Failed to load video!\n" + std::string("File : '") + path + "'");
            return false;
        }
        VLMPulsvek::videoDataPool->addVideo(def.name, video);
        vlm::logLine("Loaded '", path, "' using alias ", def.name);
        bar->step();
    }
    return true;
}

bool ResourceLoader::defineEffectInstances()
{
    VLMPulsvek::resources->defineEffectInstances();
    return true;
}

bool ResourceLoader::createTracks()
{
    vlm::logLine("[Create track data]");
    TrackFile reader(VLMIO::trackFolder);

    DataEffectPool* instances = VLMPulsvek::effectInstanceDataPool;
    std::vector<std::string> names;
    std::vector<Effect*> effects;
    for (int i = 0; i < instances->size(); ++i) {
        const std::string name = instances->nameAt(i);
        Effect* effect = instances->get(name);
        if (effect && effect->useTrackData) {
            names.push_back(name);
            effects.push_back(effect);
        }
    }

    vlm::logLine("Loading track data from index file");
    TrackManager* manager = reader.loadFromIndex(names, effects);
    if (!manager) {
        const std::string& problem = reader.getProblem();
        fail("Failed to load track data!\n" + std::string("File : '") + reader.getMissingFile() + "'" +
             (problem.empty() ? "" : "\n" + problem));
        return false;
    }
    delete VLMPulsvek::tracks;
    VLMPulsvek::tracks = manager;
    manager->setRowsPerSecond(VLMPulsvek::ROWS_PER_SECOND);

    vlm::logLine("[Initializing Effect Instances]");
    for (int i = 0; i < instances->size(); ++i) {
        const std::string name = instances->nameAt(i);
        // A failed look-up leaves a null entry behind; there is nothing to initialise.
        Effect* effect = instances->get(name);
        if (!effect)
            continue;
        vlm::logLine("-> Initializing ", name);
        effect->init();
        checkGLError(name + ":init()");
        const std::string failure = Effect::takeStartFailure();
        if (!failure.empty()) {
            fail(failure);
            return false;
        }
    }

    if (!manager->validate()) {
        fail("Invalid start/stop track data\nFile : '" + VLMIO::trackFolder + "track.data'");
        return false;
    }
    return true;
}

bool ResourceLoader::setupSound()
{
    vlm::logLine("[Setting up sound]");
    const unsigned int rowsPerSecond = static_cast<unsigned int>(VLMPulsvek::rowsPerSecond());
    deleteGlobal(VLMPulsvek::timer);
    if (!VLMPulsvek::musicFile.empty()) {
        vlm::logLine("Play : ", VLMPulsvek::musicFile);
        const std::string path = VLMIO::soundFolder + VLMPulsvek::musicFile;
        FMODTimer* clock = new FMODTimer(path, rowsPerSecond);
        VLMPulsvek::timer = clock;
        if (!clock->init()) {
            fail("Failed to load sound!\n" + std::string("File : '") + VLMPulsvek::musicFile + "'");
            return false;
        }
        reportShortMusic(*clock, path);
    } else {
        VLMPulsvek::timer = new Timer(rowsPerSecond);
        VLMPulsvek::timer->init();
    }
    if (VLMPulsvek::progressBar)
        VLMPulsvek::progressBar->step();
    return true;
}

bool ResourceLoader::startDemo()
{
    if (verbose) {
        vlm::logLine("[Getting Startpos]");
        vlm::logLine("startpos = ", VLMPulsvek::startTime.toString());
    }
    Timer* timer = VLMPulsvek::timer;
    if (timer)
        timer->setTimeMs(static_cast<int>(VLMPulsvek::startTime.getTotalMs()));
    if (VLMPulsvek::progressBar)
        VLMPulsvek::progressBar->step();
    vlm::logLine("[Demo Init]");
    // The clock runs from here on, with or without music.
    if (timer)
        timer->play();
    if (verbose)
        vlm::logLine("[Demo Init END]");
    return true;
}

void ResourceLoader::deletePools()
{
    deleteGlobal(VLMPulsvek::progressBar);

    vlm::logLine("[Deleting Pools]");
    deleteGlobal(VLMPulsvek::sceneDataPool);
    deleteGlobal(VLMPulsvek::textureDataPool);
    deleteGlobal(VLMPulsvek::effectDataPool);
    deleteGlobal(VLMPulsvek::effectInstanceDataPool);
    deleteGlobal(VLMPulsvek::binaryDataPool);
    deleteGlobal(VLMPulsvek::shaderDataPool);
    deleteGlobal(VLMPulsvek::fboDataPool);
    deleteGlobal(VLMPulsvek::videoDataPool);

    vlm::logLine("delete VLMPulsvek::tracks");
    deleteGlobal(VLMPulsvek::tracks);
    vlm::logLine("delete VLMPulsvek::timer");
    deleteGlobal(VLMPulsvek::timer);

    vlm::logLine("Query GL for remaining texture objects (1-250)");
    // Without a current context (the window never opened) there is nothing to free.
    if (!glfw27::hasCurrentContext())
        return;
    for (GLuint name = 1; name < 250; ++name) {
        if (glIsTexture(name)) {
            glDeleteTextures(1, &name);
            vlm::logLine("- ", name, " deleted");
        }
    }
}

bool ResourceLoader::prepareShader(Shader* shader, const ShaderDefinition& def)
{
    const std::string& folder = VLMIO::shaderFolder;

    const std::string vertexName = def.file + ".vert";
    std::unique_ptr<File> vertex(VLMIO::loadTextFile(folder + vertexName));
    if (!vertex || !vertex->isOpen()) {
        vlm::logLine("Failed to find vertex shader '", vertexName, "'");
        fail("Vertex shader '" + vertexName + "' not found");
        return false;
    }
    std::vector<std::string> lines = vertex->getLines();
    insertDefines(lines, def.defines);
    std::string text;
    if (!shaderInclude(text, lines, folder, vertexName, 0)) {
        vlm::logLine("shaderInclude(..) failed ");
        return false;
    }
    shader->setVertexSource(text);

    const std::string fragmentName = def.file + ".frag";
    std::unique_ptr<File> fragment(VLMIO::loadTextFile(folder + fragmentName));
    if (!fragment || !fragment->isOpen()) {
        vlm::logLine("Failed to find fragment shader '", fragmentName, "'");
        message = "Fragement shader '" + fragmentName + "' not found";
        return false;
    }
    lines = fragment->getLines();
    insertDefines(lines, def.defines);
    text.clear();
    if (!shaderInclude(text, lines, folder, fragmentName, 0)) {
        vlm::logLine("shaderInclude(..) failed ");
        return false;
    }
    shader->setFragmentSource(text);

    std::unique_ptr<File> geometry(VLMIO::loadTextFile(folder + def.file + ".geo"));
    if (geometry && geometry->isOpen())
        shader->setGeometrySource(geometry->getString());

    if (!shader->prepare()) {
        fail(shader->getLog());
        vlm::logLine("Shader::prepare().. failed : ", message);
        return false;
    }
    return true;
}

bool ResourceLoader::reloadShaders()
{
    vlm::logLine("[Reloading Shaders]");
    for (const ShaderDefinition& def : VLMPulsvek::shaderDefinitions) {
        Shader* shader = VLMPulsvek::shaderDataPool->getShader(def.name);
        const bool fresh = shader == nullptr;
        if (fresh)
            shader = new Shader(def.file + "::" + def.name);
        if (!prepareShader(shader, def)) {
            if (fresh)
                delete shader;
            vlm::logLine("Error while recompiling '", def.name, "' : ");
            vlm::logLine(message);
            return false;
        }
        VLMPulsvek::shaderDataPool->addShader(def.name, shader);
        vlm::logLine("Adding shader '", def.name, "' = ", shader->toString());
        shader->bind();
    }
    vlm::logLine("[Reloading Shaders] ... Done!");
    return true;
}

std::string ResourceLoader::packScript(const std::string& archiver) const
{
    const std::string archive = "resources.7z";
    const std::string A = " a -ms=off -mx=9 ";
    const std::string R = " " + archive + " ";
    const std::string L = " >> " + archive + ".log ";

    std::vector<std::string> paths;
    std::set<std::string> seen;
    auto add = [&](const std::string& path) {
        if (seen.insert(path).second)
            paths.push_back(path);
    };

    if (!VLMPulsvek::musicFile.empty())
        add(VLMIO::soundFolder + VLMPulsvek::musicFile);
    // Texture files in name order; framebuffer attachments are no files.
    std::set<std::string> textureFiles;
    for (const TextureDefinition& def : VLMPulsvek::textureDefinitions)
        textureFiles.insert(def.file);
    if (VLMPulsvek::textureDataPool) {
        for (const auto& alias : VLMPulsvek::textureDataPool->getAliases())
            if (textureFiles.count(alias.first))
                add(VLMIO::graphicsFolder + alias.first);
    }
    for (const FileDefinition& def : VLMPulsvek::objectDefinitions) {
        add(VLMIO::objectFolder + def.file);
        if (File::exists(VLMIO::objectFolder + def.file + ".kf"))
            add(VLMIO::objectFolder + def.file + ".kf");
    }
    for (const FileDefinition& def : VLMPulsvek::animationDefinitions)
        add(VLMIO::miscFolder + def.file);
    for (const FileDefinition& def : VLMPulsvek::binaryDefinitions)
        add(VLMIO::miscFolder + def.file);
    for (const FileDefinition& def : VLMPulsvek::videoDefinitions)
        add(VLMIO::videoFolder + def.file);
    for (const ShaderDefinition& def : VLMPulsvek::shaderDefinitions) {
        add(VLMIO::shaderFolder + def.file + ".vert");
        add(VLMIO::shaderFolder + def.file + ".frag");
        if (File::exists(VLMIO::shaderFolder + def.file + ".geo"))
            add(VLMIO::shaderFolder + def.file + ".geo");
    }
    add(VLMIO::trackFolder + "index.list");
    add(VLMIO::trackFolder + "track.data");
    for (const std::string& file : VLMPulsvek::includedFiles)
        add(file);
    if (ProgressBar* bar = VLMPulsvek::progressBar)
        for (int i = 0; i < bar->getFileCount(); ++i)
            add(bar->getFile(i));

    std::string text = "rm -f " + R + "\n";
    text += "rm -f " + archive + ".log\n";
    for (const std::string& path : paths)
        text += shellWord(archiver) + A + R + shellWord(path) + L + "\n";
    return text;
}

bool ResourceLoader::writePackScript(const std::string& archiver, const std::string& scriptPath)
{
    File script(scriptPath, 2);
    if (!script.isOpen())
        return false;
    script.appendString(packScript(archiver));
    return script.save();
}

void ResourceLoader::insertDefines(std::vector<std::string>& lines, const std::vector<std::string>& defines)
{
    // Right after the first line that is not blank (the "#version" line of a
    // valid shader); at the end when every line is blank or there is none.
    size_t at = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!StringUtil::trim(lines[i]).empty()) {
            at = i + 1;
            break;
        }
    }
    for (const std::string& name : defines)
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), "#define " + name + "\n");
}

bool ResourceLoader::shaderInclude(std::string& out, const std::vector<std::string>& lines,
                                   const std::string& folder, const std::string& fileName, int depth)
{
    if (depth == 0)
        includeStack.assign(1, fileName);
    for (const std::string& line : lines) {
        if (line.size() < 10 || line[0] != '#') {
            out += line;
            out += '\n';
            continue;
        }
        StringTokenizer tokens(line, " ");
        if (tokens.countTokens() < 2) {
            out += line;
            out += '\n';
            continue;
        }
        const std::string directive = StringUtil::trim(tokens.nextToken());
        const std::string name = StringUtil::trim(tokens.nextToken());
        if (directive != "#include") {
            out += line;
            out += '\n';
            continue;
        }

        const std::string path = folder + name;
        const std::string failure =
            "Failed to include '" + line + "' in " + fileName + " depth " + StringUtil::toString(depth);
        if (depth + 1 > maxIncludeDepth) {
            message = failure + " : includes nested deeper than " + StringUtil::toString(maxIncludeDepth);
            return false;
        }
        std::unique_ptr<File> file(VLMIO::loadTextFile(path));
        addIncludedFile(path);
        // A file that is already being expanded would include itself forever.
        const bool cycle = std::find(includeStack.begin(), includeStack.end(), name) != includeStack.end();
        if (!file || !file->isOpen() || cycle) {
            message = failure;
            return false;
        }
        includeStack.push_back(name);
        const bool included = shaderInclude(out, file->getLines(), folder, name, depth + 1);
        includeStack.pop_back();
        if (!included)
            return false;
        // Files that include others more than once can grow without end.
        if (out.size() > maxExpandedBytes) {
            message = failure + " : source grows past " + StringUtil::toString(static_cast<int>(maxExpandedBytes)) +
                      " bytes";
            return false;
        }
    }
    return true;
}
