#pragma once
// Framebuffers by name, also kept in the order they were added.

#include "engine/runtime/DataPool.h"

#include <vector>

class FBO;

class DataFBOPool : public NamedDataPool<FBO> {
public:
    DataFBOPool() = default;
    ~DataFBOPool() override;

    // Prints a line when the name is absent.
    FBO* getFBO(const std::string& name) const;
    void addFBO(const std::string& name, FBO* fbo);
    // Entry i in add order; null and "" outside the adds made.
    FBO* getFBOAt(int i) const;
    std::string getNameAt(int i) const;
    // After a frame: clears every framebuffer drawn into, in name order, then
    // binds the screen.
    void clearDirty();

    std::string toString() const override;

private:
    std::vector<FBO*> fboList;
    std::vector<std::string> nameList;
};

namespace VLMPulsvek {
extern DataFBOPool* fboDataPool;
}
