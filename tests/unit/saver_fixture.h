// A saver window on the simulated platform, with helpers to set up its
// settings file and videos.
#pragma once

#include <memory>
#include <string>

#include "platform/sim/sim_platform.h"
#include "usave1/form1.h"

namespace testing_support {

inline constexpr char kIniPath[] = "C:\\WINDOWS\\vidsaver.ini";

class SaverFixture {
public:
    sim::SimPlatform sim;
    std::unique_ptr<usave1::TForm1> saver;

    void Ini(const std::string& text) { sim.Files[kIniPath] = text; }

    // A playable file on disk.
    void Video(const std::string& path, int durationMs = 1000, int width = 320, int height = 240) {
        sim.Files[path] = "video";
        sim::MediaScript script;
        script.DurationMs = durationMs;
        script.Width = width;
        script.Height = height;
        sim.Media[path] = script;
    }

    // An [Options] section and a video list naming `paths` in slots 1, 2, ...
    void IniWithVideos(const std::string& options, std::initializer_list<std::string> paths) {
        std::string text = "[Options]\r\n" + options + "[VidConfig]\r\n";
        int n = 1;
        for (const auto& p : paths) text += "Name" + std::to_string(n++) + "=" + p + "\r\n";
        Ini(text);
    }

    usave1::TForm1& Start() {
        saver = std::make_unique<usave1::TForm1>(sim);
        saver->Create();
        return *saver;
    }

    sim::SimForm& Window() { return *sim.MainForm(); }
    sim::SimControl& Control(const std::string& name) { return Window().Get(name); }
    sim::SimPlayer& Video2() { return Window().GetPlayer("MediaPlayer2"); }
    sim::SimTimer& Timer() { return Window().GetTimer("Timer1"); }
    plat::Color Colour() { return Window().Colour(); }

    // Runs the timer for n ticks of 200 ms.
    void Ticks(int n) { sim.Advance(200 * n); }
};

}  // namespace testing_support
