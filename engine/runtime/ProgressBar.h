#pragma once
// The loading bar: a horizontal quad scaled by the fraction of loaded items,
// drawn and presented after every item. A production may derive its own bar.

#include <string>
#include <vector>

class Shader;
class VAO;

class ProgressBar {
public:
    ProgressBar();
    ProgressBar(float height, float width, float y, int total);
    virtual ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Clears and presents one frame with the bar; face culling is left as it was.
    virtual void draw();
    // Builds the shader "Progress" from the shaders folder and the bar's quad.
    virtual void init();

    // Keeps progress and the steps taken.
    void setTotal(int total);
    // Shows the fraction done before this step, then counts it; nothing once
    // every expected step was taken.
    void step();

    float getProgress() const { return progress; }
    int getTotal() const { return total; }
    int getDone() const { return done; }

    // Resource paths the bar reads, for the packing script.
    int getFileCount() const { return static_cast<int>(files.size()); }
    std::string getFile(int index) const { return files[index]; }

protected:
    VAO* mesh;
    Shader* shader;
    float height;  // half height in clip space
    float width;
    float y;
    float progress;
    int total;
    int done;
    std::vector<std::string> files;
};

namespace VLMPulsvek {
extern ProgressBar* progressBar;
}
