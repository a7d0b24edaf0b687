#pragma once
// Reader of version-2 object files: meshes, texture references, materials,
// lights and a node tree become one VLMScene. The file is checked as it is
// read; a truncated or inconsistent file fails the load with a message.

#include <cstdint>
#include <map>
#include <string>

class File;
class Light;
class Material;
class Object;
class VAO;
class VLMScene;

class ObjectFile {
public:
    explicit ObjectFile(const std::string& path);
    // Frees the reader's lights, and the scene unless a load handed it out.
    ~ObjectFile();
    ObjectFile(const ObjectFile&) = delete;
    ObjectFile& operator=(const ObjectFile&) = delete;

    // The filled scene, which the caller then owns, or null on failure.
    // One reader serves one file: load is called once.
    VLMScene* load();
    bool isOk() const { return ok; }
    std::string getMessage() const { return message; }
    void setVerbose(bool value) { verbose = value; }

    // Table lookups by file id; null when absent.
    VAO* getMesh(int id) const;
    Object* getNode(int id) const;
    Light* getLight(int id) const;

private:
    class Cursor;

    using RecordReader = bool (ObjectFile::*)(Cursor& in, const std::string& what);

    bool readFile(Cursor& in);
    // A count, then that many records, each read by read.
    bool readRecords(Cursor& in, const std::string& kind, std::int64_t minBytes, const char* countLog,
                     RecordReader read);
    bool readMesh(Cursor& in, const std::string& what);
    bool readTexture(Cursor& in, const std::string& what);
    bool readMaterial(Cursor& in, const std::string& what);
    bool readLight(Cursor& in, const std::string& what);
    bool readNode(Cursor& in, const std::string& what);
    bool linkNodes(Cursor& in);
    void discardScene();

    std::string path;
    VLMScene* scene;
    bool ok = false;
    std::string message;
    bool verbose = false;
    bool loadCalled = false;
    std::map<int, VAO*> meshes;
    std::map<int, Object*> nodes;
    std::map<int, std::string> textureAliases;
    std::map<int, Material*> materials;
    std::map<int, Light*> lights;
};
