#pragma once

#include <string>

class ResourceLoader;
class ScreenSettings;

// The application object: engine start-up, the frame loop and shutdown.
class Demo {
public:
    Demo(int argc, char** argv);
    ~Demo();
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    bool init(ScreenSettings* settings, int resourceMode);
    void setCallbacks();
    void run();
    bool shutdown();

    // Escape (pressed) sets the quit flag; nothing else reacts to input.
    static void keyPressed(int key, int action);

    bool isOk() const { return !failed; }
    void setTitle(const std::string& t) { title = t; }
    void setFlag2(bool f) { flag2 = f; }

private:
    // Stores the text, marks the start as failed and returns false.
    bool fail(const std::string& text);
    // fail with the loader's message, followed by the archive's problem when it has one.
    bool failLoading();

    ResourceLoader* loader;
    std::string message;
    std::string title;
    bool failed;
    bool flag2;
};

namespace VLMPulsvek {
extern Demo* currentDemo;  // read by the input trampoline
}
