#pragma once
// A kind of scenery sprite: the mesh it is drawn with and its texture (null:
// drawn untextured). Neither is owned.

class Texture;
class VAO;

class SceneryKind {
public:
    SceneryKind(VAO* mesh, Texture* texture, int flags) : mesh(mesh), texture(texture), flags(flags) {}

    VAO* mesh;
    Texture* texture;
    int flags;
};
