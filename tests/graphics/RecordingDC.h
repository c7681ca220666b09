// A device context for tests: keeps every call made on it and answers text
// measurements from fixed metrics, so layouts can be checked to the unit.
#pragma once

#include "graphics/Gdi.h"

#include <algorithm>
#include <vector>

namespace testsupport {

class RecordingDC : public graphics::DeviceContext {
public:
    RecordingDC() { traced = true; }
    // Fixed metrics of every font: each character is charWidth units wide.
    int dpi = 96;
    int charWidth = 6;
    graphics::TEXTMETRICA metrics = [] {
        graphics::TEXTMETRICA tm;
        tm.tmHeight = 13;
        tm.tmAscent = 11;
        tm.tmDescent = 2;
        tm.tmInternalLeading = 2;
        tm.tmAveCharWidth = 5;
        tm.tmMaxCharWidth = 12;
        return tm;
    }();

    struct Text {
        int x, y;
        QByteArray text;
        int charExtra;
    };
    std::vector<graphics::GdiCall> calls;
    std::vector<graphics::RECT> fills;
    std::vector<Text> texts;
    std::vector<graphics::LOGFONTA> fontsSelected;

    int Caps(int index) const override
    {
        return index == graphics::LOGPIXELSX || index == graphics::LOGPIXELSY ? dpi : 0;
    }
    graphics::TEXTMETRICA Metrics(const graphics::GdiFont&) override { return metrics; }
    int Advance(const graphics::GdiFont&, std::string_view text) override
    {
        return charWidth * static_cast<int>(text.size());
    }
    void Fill(const graphics::RECT& r, graphics::Rgb) override { fills.push_back(r); }
    void TextLine(int x, int y, const graphics::GdiFont&, std::string_view text) override
    {
        texts.push_back({x, y, QByteArray(text.data(), static_cast<qsizetype>(text.size())), charExtra});
    }
    void Trace(const graphics::GdiCall& call) override
    {
        calls.push_back(call);
        if (call.function == "SelectObject")
            if (const auto* f = graphics::FontOf(static_cast<graphics::HGDIOBJ>(call.args[0])))
                fontsSelected.push_back(f->logFont);
    }

    // The calls of one function, in order.
    std::vector<graphics::GdiCall> Calls(const std::string& function) const
    {
        std::vector<graphics::GdiCall> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [&](const graphics::GdiCall& c) { return c.function == function; });
        return out;
    }
};

} // namespace testsupport
