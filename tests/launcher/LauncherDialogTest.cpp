// The launcher dialog built on the X server with injected display modes: the
// labels and tags of the resolution list, the values its widgets hand over,
// and the mode list's limits (more than 100 modes, repeated sizes, none).

#include "launcher/VLMGui.h"
#include "platform/Glfw27.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>

#include <gtest/gtest.h>

// After gtest: the X headers define None and Bool.
#include <FL/x.H>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<glfw27::VidMode> injected;

std::vector<glfw27::VidMode> injectedModes()
{
    return injected;
}

glfw27::VidMode mode(int w, int h, int bits = 8)
{
    glfw27::VidMode m;
    m.Width = w;
    m.Height = h;
    m.RedBits = m.GreenBits = m.BlueBits = bits;
    return m;
}

const char* const kTitle = "Velmora Pulsvek v.3.0";

// Whether the X server still shows the window after waiting a generous while
// for it to leave, asked over a connection of our own (the toolkit's pending
// requests are not sent by asking).
bool mappedOnServer(Window window)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool mapped = true;
    while (mapped) {
        XWindowAttributes attributes;
        mapped = XGetWindowAttributes(display, window, &attributes) && attributes.map_state != IsUnmapped;
        if (!mapped || std::chrono::steady_clock::now() > deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    XCloseDisplay(display);
    return mapped;
}

class LauncherDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "no X display (run under xvfb-run)";
        VLMGui::resetValues();
        glfw27::setVideoModeSource(injectedModes);
    }

    void TearDown() override
    {
        delete gui;
        glfw27::setVideoModeSource(nullptr);
        VLMGui::resetValues();
        injected.clear();
    }

    VLMGui& open(const std::vector<glfw27::VidMode>& modes)
    {
        injected = modes;
        gui = new VLMGui(450, 300, kTitle);
        Fl::check();
        return *gui;
    }

    template <class T>
    T* widget(const char* label)
    {
        for (int i = 0; i < gui->children(); ++i) {
            Fl_Widget* w = gui->child(i);
            if (w->label() && std::strcmp(w->label(), label) == 0)
                return dynamic_cast<T*>(w);
        }
        return nullptr;
    }

    Fl_Choice* resolutions() { return widget<Fl_Choice>("Available resolutions:"); }

    std::vector<std::string> entries()
    {
        std::vector<std::string> out;
        Fl_Choice* c = resolutions();
        for (int i = 0; c && i < c->size() - 1; ++i)
            out.push_back(c->text(i) ? c->text(i) : "");
        return out;
    }

    // Selects the entry as the viewer would and runs its callback.
    void choose(Fl_Choice* choice, int entry)
    {
        ASSERT_TRUE(choice);
        choice->value(entry);
        ASSERT_EQ(choice->value(), entry);
        choice->do_callback();
    }

    VLMGui* gui = nullptr;
};

struct TagCase {
    int width, height;
    const char* tag;
};

TEST_F(LauncherDialog, LabelsEveryModeWithItsAspectTag)
{
    const TagCase cases[] = {
        {1920, 1080, "(16:9)"}, {1280, 720, "(16:9)"},   {1366, 768, "(16:9)"},  {2560, 1080, "(16:9)"},
        {1360, 768, "(16:10)"}, {1680, 1050, "(16:10)"}, {1440, 900, "(16:10)"}, {1280, 800, "(16:10)"},
        {1024, 768, "(4:3)"},   {800, 600, "(4:3)"},     {1600, 1200, "(4:3)"},  {1152, 864, "(4:3)"},
        {1280, 960, "(4:3)"},   {1280, 1024, "(5:4)"},   {720, 576, "(5:4)"},    {1024, 1280, ""},
        {640, 640, ""},         {800, 0, ""},
    };
    std::vector<glfw27::VidMode> modes;
    for (const TagCase& c : cases) {
        EXPECT_EQ(VLMGui::aspectTag(c.width, c.height), c.tag) << c.width << " x " << c.height;
        modes.push_back(mode(c.width, c.height));
    }
    open(modes);
    const std::vector<std::string> labels = entries();
    ASSERT_EQ(labels.size(), std::size(cases));
    for (size_t i = 0; i < labels.size(); ++i)
        EXPECT_EQ(labels[i], std::to_string(cases[i].width) + " X " + std::to_string(cases[i].height) + " " +
                                 cases[i].tag);
    // Without a tag the label ends in the space.
    EXPECT_EQ(labels[15], "1024 X 1280 ");
}

TEST_F(LauncherDialog, ChoosingAModeSetsTheSizeAndTheAspectPair)
{
    open({mode(1024, 1280), mode(1680, 1050), mode(1920, 1080), mode(1280, 1024), mode(1024, 768)});
    Fl_Choice* c = resolutions();
    ASSERT_TRUE(c);

    // Below 1.25 with no pair chosen yet: the pair stays unset.
    choose(c, 0);
    EXPECT_EQ(VLMGui::getWidth(), 1024);
    EXPECT_EQ(VLMGui::getHeight(), 1280);
    EXPECT_EQ(VLMGui::getAspectX(), 0);
    EXPECT_EQ(VLMGui::getAspectY(), 0);

    struct Step {
        int entry, width, height, x, y;
    };
    const Step steps[] = {
        {1, 1680, 1050, 16, 10}, {0, 1024, 1280, 16, 10}, {2, 1920, 1080, 16, 9},
        {3, 1280, 1024, 5, 4},   {4, 1024, 768, 4, 3},    {0, 1024, 1280, 4, 3},
    };
    for (const Step& s : steps) {
        choose(c, s.entry);
        EXPECT_EQ(VLMGui::getWidth(), s.width) << "entry " << s.entry;
        EXPECT_EQ(VLMGui::getHeight(), s.height) << "entry " << s.entry;
        EXPECT_EQ(VLMGui::getAspectX(), s.x) << "entry " << s.entry;
        EXPECT_EQ(VLMGui::getAspectY(), s.y) << "entry " << s.entry;
    }
}

TEST_F(LauncherDialog, ValuesWithoutInteraction)
{
    open({mode(1280, 720), mode(1920, 1080)});
    EXPECT_EQ(VLMGui::getWidth(), 1280);
    EXPECT_EQ(VLMGui::getHeight(), 720);
    EXPECT_TRUE(VLMGui::getFullscreen());
    EXPECT_TRUE(VLMGui::getVsync());
    EXPECT_EQ(VLMGui::getQuality(), 2);
    EXPECT_EQ(VLMGui::getOption(), 0);
    EXPECT_TRUE(VLMGui::getQuit());
    EXPECT_EQ(VLMGui::getAspectX(), 0);
    EXPECT_EQ(VLMGui::getAspectY(), 0);

    EXPECT_STREQ(gui->label(), kTitle);
    EXPECT_EQ(gui->w(), 450);
    EXPECT_EQ(gui->h(), 300);
    EXPECT_EQ(gui->x(), (Fl::w() - 450) / 2);
    EXPECT_EQ(gui->y(), (Fl::h() - 300) / 2);
    EXPECT_TRUE(gui->shown());
    EXPECT_EQ(resolutions()->value(), 0);
    Fl_Choice* quality = widget<Fl_Choice>("Quality: ");
    ASSERT_TRUE(quality);
    ASSERT_EQ(quality->size() - 1, 4);
    EXPECT_STREQ(quality->text(quality->value()), "High");
    for (const char* check : {"Fullscreen: ", "Vertical sync: "}) {
        ASSERT_TRUE(widget<Fl_Check_Button>(check)) << check;
        EXPECT_EQ(widget<Fl_Check_Button>(check)->value(), 1) << check;
    }
    EXPECT_TRUE(widget<Fl_Button>("Drive!"));
    EXPECT_TRUE(widget<Fl_Button>("Crash!"));
}

TEST_F(LauncherDialog, WidgetsWriteTheirValues)
{
    open({mode(1280, 720), mode(1920, 1080)});
    for (const char* label : {"Fullscreen: ", "Vertical sync: "}) {
        Fl_Check_Button* b = widget<Fl_Check_Button>(label);
        ASSERT_TRUE(b);
        b->value(0);
        b->do_callback();
    }
    EXPECT_FALSE(VLMGui::getFullscreen());
    EXPECT_FALSE(VLMGui::getVsync());

    Fl_Choice* quality = widget<Fl_Choice>("Quality: ");
    for (int q : {0, 3, 1}) {
        choose(quality, q);
        EXPECT_EQ(VLMGui::getQuality(), q);
    }
    choose(resolutions(), 1);
    EXPECT_EQ(VLMGui::getWidth(), 1920);

    // "Drive!" clears quit and hides the dialog, so that the toolkit loop ends;
    // the dialog leaves the screen although the loop runs no more.
    const Window xid = fl_xid(gui);
    ASSERT_NE(xid, 0u);
    widget<Fl_Button>("Drive!")->do_callback();
    EXPECT_FALSE(VLMGui::getQuit());
    EXPECT_FALSE(gui->shown());
    EXPECT_FALSE(mappedOnServer(xid));
    EXPECT_EQ(Fl::first_window(), nullptr);

    gui->show();
    widget<Fl_Button>("Crash!")->do_callback();
    EXPECT_TRUE(VLMGui::getQuit());
    EXPECT_FALSE(gui->shown());
}

TEST_F(LauncherDialog, ListsTheFirstHundredModes)
{
    std::vector<glfw27::VidMode> modes;
    for (int i = 0; i < 150; ++i)
        modes.push_back(mode(640 + 8 * i, 480));
    open(modes);
    const std::vector<std::string> labels = entries();
    ASSERT_EQ(labels.size(), 100u);
    EXPECT_EQ(labels.front(), "640 X 480 (4:3)");
    EXPECT_EQ(labels.back(), std::to_string(640 + 8 * 99) + " X 480 (16:9)");
    choose(resolutions(), 99);
    EXPECT_EQ(VLMGui::getWidth(), 640 + 8 * 99);
}

TEST_F(LauncherDialog, ListsEachSizeOnceAndSelectsItsMode)
{
    // The monitor repeats a size per refresh rate (identical records) and per
    // colour depth.
    open({mode(640, 480, 5), mode(640, 480), mode(640, 480), mode(800, 600), mode(800, 600, 5), mode(640, 480),
          mode(1024, 768), mode(1024, 768)});
    EXPECT_EQ(entries(), (std::vector<std::string>{"640 X 480 (4:3)", "800 X 600 (4:3)", "1024 X 768 (4:3)"}));
    const int sizes[][2] = {{1024, 768}, {640, 480}, {800, 600}};
    const int order[] = {2, 0, 1};
    for (int k = 0; k < 3; ++k) {
        choose(resolutions(), order[k]);
        EXPECT_EQ(VLMGui::getWidth(), sizes[k][0]);
        EXPECT_EQ(VLMGui::getHeight(), sizes[k][1]);
    }
}

TEST_F(LauncherDialog, RefreshRepeatsDoNotCrowdOutTheLargeModes)
{
    // 60 sizes at three refresh rates each: 180 records, 60 modes.
    std::vector<glfw27::VidMode> modes;
    for (int i = 0; i < 60; ++i)
        for (int r = 0; r < 3; ++r)
            modes.push_back(mode(800 + 16 * i, 600));
    open(modes);
    const std::vector<std::string> labels = entries();
    ASSERT_EQ(labels.size(), 60u);
    EXPECT_EQ(labels.back(), std::to_string(800 + 16 * 59) + " X 600 (16:9)");
}

TEST_F(LauncherDialog, WithoutModesOffersOneWidescreenMode)
{
    open({});
    EXPECT_EQ(entries(), std::vector<std::string>{"1280 X 720 (16:9)"});
    EXPECT_EQ(VLMGui::getWidth(), 1280);
    EXPECT_EQ(VLMGui::getHeight(), 720);
    choose(resolutions(), 0);
    EXPECT_EQ(VLMGui::getWidth(), 1280);
    EXPECT_EQ(VLMGui::getHeight(), 720);
    EXPECT_EQ(VLMGui::getAspectX(), 16);
    EXPECT_EQ(VLMGui::getAspectY(), 9);
}

TEST_F(LauncherDialog, ListsTheDisplaysOwnModes)
{
    glfw27::setVideoModeSource(nullptr);
    open({});
    glfw27::VidMode desktop;
    glfw27::getDesktopMode(&desktop);
    ASSERT_GT(desktop.Width, 0);
    const std::vector<std::string> labels = entries();
    ASSERT_FALSE(labels.empty());
    const std::string size = std::to_string(desktop.Width) + " X " + std::to_string(desktop.Height) + " ";
    bool listed = false;
    for (const std::string& l : labels)
        listed = listed || l.compare(0, size.size(), size) == 0;
    EXPECT_TRUE(listed) << size;
}

TEST_F(LauncherDialog, ASecondDialogStartsFromAFreshTable)
{
    // A long list, then none: nothing of the first list is left to read.
    std::vector<glfw27::VidMode> modes(40, mode(1920, 1080));
    for (int i = 0; i < 40; ++i)
        modes[i].Width = 1000 + i;
    open(modes);
    delete gui;
    gui = nullptr;
    open({});
    EXPECT_EQ(entries(), std::vector<std::string>{"1280 X 720 (16:9)"});
    EXPECT_EQ(VLMGui::getWidth(), 1280);
}

}
