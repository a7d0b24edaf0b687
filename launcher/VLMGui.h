#pragma once
// The launcher dialog shown before the show: the display's video modes, full
// screen, vertical sync and quality, "Drive!" to start and "Crash!" to leave.
// Its callbacks write process-wide launcher values that the program entry
// reads through the getters once the toolkit loop has ended.

#include <FL/Fl_Window.H>

#include <string>

class Fl_Pixmap;
class Fl_Widget;

class VLMGui : public Fl_Window {
public:
    // Builds the dialog centred on the work area, fills the mode list and shows it.
    VLMGui(int w, int h, const char* title);
    ~VLMGui() override;
    VLMGui(const VLMGui&) = delete;
    VLMGui& operator=(const VLMGui&) = delete;

    // At most 100 modes of the display, each size listed once; with none the
    // one mode 1280 x 720.
    void fillVideoModes();

    static int getWidth();
    static int getHeight();
    static int getAspectX();  // numerator
    static int getAspectY();  // denominator
    static int getOption();
    static int getQuality();
    static bool getFullscreen();
    static bool getVsync();
    static bool getQuit();

    // The tag of a mode: "(16:9)", "(16:10)", "(4:3)", "(5:4)" or empty below 1.25.
    static std::string aspectTag(int width, int height);
    // The values of a fresh process (quit, full screen and vertical sync on, the rest 0).
    static void resetValues();

    static void onResolution(Fl_Widget* widget, void* data);
    static void onFullscreen(Fl_Widget* widget, void* data);
    static void onVsync(Fl_Widget* widget, void* data);
    static void onQuality(Fl_Widget* widget, void* data);
    static void onDrive(Fl_Widget* widget, void* data);
    static void onCrash(Fl_Widget* widget, void* data);

private:
    Fl_Pixmap* banner;
    float ratio;             // width / height of the mode whose entry was built last
    std::string aspectText;  // the tag of the entry being built
    std::string entryLabel;  // the text of the entry being built
};
