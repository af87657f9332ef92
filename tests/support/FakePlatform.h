// A window system for tests: fixed screen metrics, scripted message box answers, and a record
// of everything the viewer showed.
#pragma once

#include "Clipboard.h"
#include "Desktop.h"
#include "Window.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace testsupport {

struct ShownMessage {
    const platform::Window* owner = nullptr;
    std::string caption;
    std::string text;
    platform::MessageIcon icon = platform::MessageIcon::None;
    platform::MessageButtons buttons = platform::MessageButtons::Ok;
};

class FakeDesktop : public platform::Desktop {
public:
    // The screen of the examples the view rules were written against: 1024 x 768, 4-pixel
    // sizing frames, 19-pixel caption and menu bar.
    platform::ScreenMetrics metrics{1024, 768, 4, 4, 19, 19};
    std::vector<platform::CursorShape> cursors;
    std::vector<ShownMessage> messages;
    // Answers handed out in order; when they run out, Yes/No boxes answer defaultAnswer.
    std::deque<platform::MessageAnswer> answers;
    platform::MessageAnswer defaultAnswer = platform::MessageAnswer::Yes;

    platform::ScreenMetrics GetScreenMetrics() const override { return metrics; }
    int repaintsProcessed = 0;

    void SetCursor(platform::CursorShape shape) override { cursors.push_back(shape); }
    void ProcessPendingEvents() override { ++repaintsProcessed; }
    platform::MessageAnswer ShowMessage(const platform::Window* owner, const char* caption,
                                        const char* text, platform::MessageIcon icon,
                                        platform::MessageButtons buttons) override
    {
        messages.push_back({owner, caption ? caption : "", text ? text : "", icon, buttons});
        if (buttons == platform::MessageButtons::Ok) return platform::MessageAnswer::Ok;
        if (answers.empty()) return defaultAnswer;
        platform::MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    platform::CursorShape LastCursor() const
    {
        return cursors.empty() ? platform::CursorShape::Arrow : cursors.back();
    }
};

// Like a window of the desktop, it takes the fixed size whatever size it is asked for.
class FakeWindow : public platform::Window {
public:
    platform::WindowRect rect{100, 50, 400, 340};
    bool menuBar = true;
    int fixedWidth = 0;
    int fixedHeight = 0;
    std::vector<platform::WindowRect> requested;
    std::string title;
    std::vector<std::string> titles;
    int repaints = 0;
    int quits = 0;
    // Set to stand for a minimised or maximised window.
    bool restoredDiffers = false;
    platform::WindowRect restored;

    platform::WindowRect GetOuterRect() const override { return rect; }
    platform::WindowRect GetRestoredRect() const override { return restoredDiffers ? restored : rect; }
    void SetOuterRect(const platform::WindowRect& r) override
    {
        requested.push_back(r);
        rect = r;
        if (fixedWidth > 0) rect.width = fixedWidth;
        if (fixedHeight > 0) rect.height = fixedHeight;
    }
    void SetFixedSize(int width, int height) override
    {
        fixedWidth = width;
        fixedHeight = height;
    }
    void SetTitle(const char* text) override
    {
        title = text ? text : "";
        titles.push_back(title);
    }
    bool HasMenuBar() const override { return menuBar; }
    void RequestRepaint() override { ++repaints; }
    void Quit() override { ++quits; }
};

class FakeStatusBar : public platform::StatusBar {
public:
    int height = 20;
    platform::WindowRect placed;
    std::vector<int> parts;
    std::string texts[4];
    std::vector<std::pair<int, std::string>> history;

    int GetHeight() const override { return height; }
    void Place(const platform::WindowRect& r) override { placed = r; }
    void SetParts(const int* rightEdges, int count) override { parts.assign(rightEdges, rightEdges + count); }
    void SetText(int part, const char* text) override
    {
        history.emplace_back(part, text ? text : "");
        if (part >= 0 && part < 4) texts[part] = text ? text : "";
    }
};

class FakeClipboard : public platform::Clipboard {
public:
    bool accept = true;
    std::vector<std::uint8_t> image;

    bool SetImage(const std::vector<std::uint8_t>& packedDib) override
    {
        if (accept) image = packedDib;
        return accept;
    }
};

} // namespace testsupport
