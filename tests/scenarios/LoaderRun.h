// Starting loader.exe for real in a scratch section directory and reading the box the run ends in.
#pragma once

#include <windows.h>

#include <future>
#include <string>

#include "support/TestSupport.h"
#include "support/UiProbe.h"

// A section directory holding a fresh copy of loader.exe and nothing else.
struct TLoaderTree {
    TTempDir Root;
    std::string Dir;
    std::string Exe;
    explicit TLoaderTree(const std::string& Section = "orb5")
    {
        Dir = Root.MakeDir(Section);
        Exe = Dir + "loader.exe";
        EXPECT_TRUE(CopyFileA((TestBinDir() + "loader.exe").c_str(), Exe.c_str(), FALSE));
    }
    std::string Log() const { return ReadFileText(Dir + "loader.log"); }
};

struct TBox {
    bool Seen = false;
    std::string Caption;
    std::string Text;  // the box's message
    TRunResult Result;
};

// Runs the loader with Args until it shows a box captioned Caption, takes the box's text and presses
// OK. The caption also tells the box from windows of other test programs on the same display: the
// loader's own boxes carry its full path, the usage box "Loader.exe".
inline TBox RunToBox(const TLoaderTree& T, const std::string& Args, const std::string& Caption)
{
    TBox B;
    auto Run = std::async(std::launch::async, [&] { return RunAndWait(Quoted(T.Exe) + " " + Args, T.Dir, 30000); });
    if (HWND Box = WaitForTopWindow(Caption, "#32770", 20000)) {
        B.Seen = true;
        B.Caption = GetWindowTextOf(Box);
        for (const TControlText& C : GetControlTexts(Box))
            if (C.ClassName == "Static" && !C.Text.empty()) B.Text = C.Text;
        PressButton(Box, "OK");
    }
    B.Result = Run.get();
    return B;
}
