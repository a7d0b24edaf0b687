#include "launcher/VLMGui.h"

#include "platform/Glfw27.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Pixmap.H>

#include <algorithm>
#include <vector>

#include "Banner.xpm.h"

namespace {

constexpr int kMaxModes = 100;

// Launcher values, one set per process.
struct Values {
    bool quit = true;
    bool vsync = true;
    bool fullscreen = true;
    int modeCount = 0;
    int quality = 0;
    int option = 0;
    int aspectY = 0;
    int aspectX = 0;
    int width = 0;
    int height = 0;
};
Values values;
glfw27::VidMode modeTable[kMaxModes];
// Entry i of the resolution choice stands for mode entryModes[i]: the library
// lists a size once per colour depth, and the menu keeps one entry per label.
std::vector<int> entryModes;

// Ratio and thresholds in one precision, so that 1024 x 768 is exactly 4:3.
float modeRatio(int w, int h)
{
    return h > 0 ? static_cast<float>(w) / static_cast<float>(h) : 0.0f;
}

struct Aspect {
    float threshold;
    int x, y;
    const char* tag;
};

const Aspect kAspects[] = {
    {16.0f / 9.0f, 16, 9, "(16:9)"},
    {1.6f, 16, 10, "(16:10)"},
    {4.0f / 3.0f, 4, 3, "(4:3)"},
    {1.25f, 5, 4, "(5:4)"},
};

// Null below 1.25.
const Aspect* aspectOf(float ratio)
{
    for (const Aspect& a : kAspects)
        if (ratio >= a.threshold)
            return &a;
    return nullptr;
}

void hideAll()
{
    while (Fl_Window* w = Fl::first_window())
        w->hide();
    // The toolkit loop ends now and would leave the unmap requests unsent,
    // the dialog on screen over the show.
    Fl::flush();
}

}

VLMGui::VLMGui(int w, int h, const char* title)
    : Fl_Window((Fl::w() - w) / 2, (Fl::h() - h) / 2, w, h, title), banner(nullptr), ratio(0.0f)
{
    fillVideoModes();

    begin();
    color(0);
    align(0);

    banner = new Fl_Pixmap(banner_xpm);
    Fl_Box* logo = new Fl_Box(0, 0, 450, 100);
    logo->image(banner);

    Fl_Choice* resolution = new Fl_Choice(125, 120, 200, 25, "Available resolutions:");
    resolution->tooltip("Our demos are fixed to widescreen 16:9. Choose your desired resolution, and make sure "
                        "the aspect ratio match your screen to avoid stretching or shrinkage.");
    resolution->labelcolor(255);
    resolution->align(FL_ALIGN_TOP);
    resolution->labelfont(1);
    resolution->color(0);
    resolution->textcolor(255);
    entryModes.clear();
    for (int i = 0; i < values.modeCount; ++i) {
        const glfw27::VidMode& m = modeTable[i];
        bool listed = false;
        for (int e : entryModes)
            listed = listed || (modeTable[e].Width == m.Width && modeTable[e].Height == m.Height);
        if (listed)
            continue;
        ratio = modeRatio(m.Width, m.Height);
        aspectText = aspectTag(m.Width, m.Height);
        entryLabel = std::to_string(m.Width) + " X " + std::to_string(m.Height) + " " + aspectText;
        // The five-argument add takes the label as it is ('|' would split it otherwise).
        resolution->add(entryLabel.c_str(), 0, nullptr, nullptr, 0);
        entryModes.push_back(i);
    }
    resolution->value(0);
    values.width = modeTable[0].Width;
    values.height = modeTable[0].Height;
    resolution->redraw();
    resolution->callback(onResolution, resolution);

    struct Check {
        int x;
        const char* label;
        const char* tip;
        Fl_Callback* callback;
    };
    const Check checks[] = {
        {175, "Fullscreen: ", "Enable to view in fullscreen.", onFullscreen},
        {325, "Vertical sync: ", "Enable to force Wait for Vertical Sync.", onVsync},
    };
    for (const Check& c : checks) {
        Fl_Check_Button* b = new Fl_Check_Button(c.x, 160, 30, 30, c.label);
        b->tooltip(c.tip);
        b->align(FL_ALIGN_LEFT);
        b->color(0);
        b->labelfont(1);
        b->labelcolor(255);
        b->down_box(FL_DOWN_BOX);
        b->value(1);
        b->type(FL_TOGGLE_BUTTON);
        b->when(FL_WHEN_CHANGED);
        b->callback(c.callback, b);
    }

    Fl_Choice* qualityChoice = new Fl_Choice(200, 200, 100, 25, "Quality: ");
    qualityChoice->align(FL_ALIGN_LEFT);
    qualityChoice->labelcolor(255);
    qualityChoice->labelfont(1);
    qualityChoice->color(0);
    qualityChoice->textcolor(255);
    for (const char* q : {"Low", "Medium", "High", "Ultra"})
        qualityChoice->add(q, 0, nullptr, nullptr, 0);
    qualityChoice->value(2);
    qualityChoice->redraw();
    qualityChoice->callback(onQuality, qualityChoice);
    qualityChoice->do_callback();

    struct Push {
        int x;
        const char* label;
        const char* tip;
        Fl_Color labelColor;
        Fl_Callback* callback;
    };
    const Push pushes[] = {
        {125, "Drive!", "Starts the Demo with the chosen resolution and settings.", fl_rgb_color(255, 0, 255),
         onDrive},
        {225, "Crash!", "Exit without watching the Demo.", fl_rgb_color(125, 249, 255), onCrash},
    };
    for (const Push& p : pushes) {
        Fl_Button* b = new Fl_Button(p.x, 240, 95, 40, p.label);
        b->tooltip(p.tip);
        b->down_box(FL_FLAT_BOX);
        b->color(0);
        b->labelfont(1);
        b->labelcolor(p.labelColor);
        b->callback(p.callback);
    }

    end();
    show();
}

VLMGui::~VLMGui()
{
    hide();
    // The box goes with the window's children; the picture is the dialog's own.
    for (int i = 0; i < children(); ++i)
        if (child(i)->image() == banner)
            child(i)->image(nullptr);
    delete banner;
}

void VLMGui::fillVideoModes()
{
    std::fill(std::begin(modeTable), std::end(modeTable), glfw27::VidMode());
    glfw27::init();
    values.modeCount = glfw27::getVideoModes(modeTable, kMaxModes);
    if (values.modeCount <= 0) {
        glfw27::VidMode fallback;
        fallback.Width = 1280;
        fallback.Height = 720;
        fallback.RedBits = fallback.GreenBits = fallback.BlueBits = 8;
        modeTable[0] = fallback;
        values.modeCount = 1;
    }
    ratio = 0.0f;
    aspectText.clear();
}

std::string VLMGui::aspectTag(int w, int h)
{
    const Aspect* a = aspectOf(modeRatio(w, h));
    return a ? a->tag : "";
}

int VLMGui::getWidth() { return values.width; }
int VLMGui::getHeight() { return values.height; }
int VLMGui::getAspectX() { return values.aspectX; }
int VLMGui::getAspectY() { return values.aspectY; }
int VLMGui::getOption() { return values.option; }
int VLMGui::getQuality() { return values.quality; }
bool VLMGui::getFullscreen() { return values.fullscreen; }
bool VLMGui::getVsync() { return values.vsync; }
bool VLMGui::getQuit() { return values.quit; }

void VLMGui::resetValues()
{
    values = Values();
    entryModes.clear();
}

void VLMGui::onResolution(Fl_Widget*, void* data)
{
    const int entry = static_cast<Fl_Choice*>(data)->value();
    if (entry < 0 || entry >= static_cast<int>(entryModes.size()))
        return;
    const glfw27::VidMode& m = modeTable[entryModes[entry]];
    values.width = m.Width;
    values.height = m.Height;
    if (const Aspect* a = aspectOf(modeRatio(m.Width, m.Height))) {
        values.aspectX = a->x;
        values.aspectY = a->y;
    }
}

void VLMGui::onFullscreen(Fl_Widget*, void* data)
{
    values.fullscreen = static_cast<Fl_Check_Button*>(data)->value() != 0;
}

void VLMGui::onVsync(Fl_Widget*, void* data)
{
    values.vsync = static_cast<Fl_Check_Button*>(data)->value() != 0;
}

void VLMGui::onQuality(Fl_Widget*, void* data)
{
    const int entry = static_cast<Fl_Choice*>(data)->value();
    if (entry >= 0 && entry <= 3)
        values.quality = entry;
}

void VLMGui::onDrive(Fl_Widget*, void*)
{
    values.quit = false;
    hideAll();
}

void VLMGui::onCrash(Fl_Widget*, void*)
{
    values.quit = true;
    hideAll();
}
