#pragma once
// Base of everything shown on the timeline. Prototypes are registered by class
// name and cloned into named instances; the effect pools own the effects, and
// an effect owns the parameter tracks it creates with addTrack.

#include <string>
#include <vector>

class Binary;
class FBO;
class Object;
class Shader;
class ShaderCacheEntry;
class Texture;
class TrackInterpolate;
class VLMScene;

class Effect {
public:
    Effect();
    virtual ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    virtual void update(int timeMs);
    // A null target is the screen.
    virtual void draw(int timeMs, int deltaMs, FBO* target);
    virtual void postDraw(int timeMs);
    virtual void init();
    virtual Effect* clone();
    virtual void createTracks();

    // Creates an empty parameter track, owned by this effect.
    void addTrack(const std::string& name, TrackInterpolate*& out);
    int getTrackCount() const { return static_cast<int>(tracks.size()); }
    TrackInterpolate* getTrack(int index) const { return tracks[index]; }

    // Look-ups by name that assert when the resource is missing.
    static Shader* getShader(const std::string& name);
    static Texture* getTexture(const std::string& name);
    static FBO* getFBO(const std::string& name);
    static VLMScene* getScene(const std::string& name);
    static Binary* getBinary(const std::string& name);
    // An instance from the effect-instance pool.
    static Effect* getEffect(const std::string& name);
    // An entry of the shader cache (which asserts on a missing name).
    static ShaderCacheEntry* getShaderCacheEntry(const std::string& name);
    // An object of a scene read from an object file. A name the file lacks is
    // the file's fault, not the code's: null, and a start failure that names
    // the file and the object.
    static Object* findSceneObject(VLMScene* scene, const std::string& name);

    // An init that cannot go on because of a resource reports it here; the
    // loader ends the start with the first message after that init.
    static void failStart(const std::string& message);
    // The first reported message (empty when none), cleared.
    static std::string takeStartFailure();

    // True: the effect gets a start/stop track and its tracks from the track data.
    bool useTrackData;

protected:
    std::vector<TrackInterpolate*> tracks;
};
