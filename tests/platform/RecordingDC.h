// A device context for tests: keeps every call made on it and answers text
// measurements from fixed metrics, so layouts can be checked to the unit.
#pragma once

#include "platform/Gdi.h"

#include <algorithm>
#include <vector>

namespace testsupport {

class RecordingDC : public platform::DeviceContext {
public:
    RecordingDC() { traced = true; }
    // Fixed metrics of every font: each character is charWidth units wide.
    int dpi = 96;
    int charWidth = 6;
    platform::TEXTMETRICA metrics = [] {
        platform::TEXTMETRICA tm;
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
    std::vector<platform::GdiCall> calls;
    std::vector<platform::RECT> fills;
    std::vector<Text> texts;
    std::vector<platform::LOGFONTA> fontsSelected;

    int Caps(int index) const override
    {
        return index == platform::LOGPIXELSX || index == platform::LOGPIXELSY ? dpi : 0;
    }
    platform::TEXTMETRICA Metrics(const platform::GdiFont&) override { return metrics; }
    int Advance(const platform::GdiFont&, std::string_view text) override
    {
        return charWidth * static_cast<int>(text.size());
    }
    void Fill(const platform::RECT& r, platform::Rgb) override { fills.push_back(r); }
    void TextLine(int x, int y, const platform::GdiFont&, std::string_view text) override
    {
        texts.push_back({x, y, QByteArray(text.data(), static_cast<qsizetype>(text.size())), charExtra});
    }
    void Trace(const platform::GdiCall& call) override
    {
        calls.push_back(call);
        if (call.function == "SelectObject")
            if (const auto* f = platform::FontOf(static_cast<platform::HGDIOBJ>(call.args[0])))
                fontsSelected.push_back(f->logFont);
    }

    // The calls of one function, in order.
    std::vector<platform::GdiCall> Calls(const std::string& function) const
    {
        std::vector<platform::GdiCall> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [&](const platform::GdiCall& c) { return c.function == function; });
        return out;
    }
};

} // namespace testsupport
