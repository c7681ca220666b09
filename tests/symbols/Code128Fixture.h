// The record Generate passes to the layout engine, as the starting point of
// the engine's tests.
#pragma once

#include "symbols/Code128Params.h"

namespace testsupport {

inline symbols::Code128Params GenerateRecord(const QString& text, const QString& caption = QString())
{
    symbols::Code128Params p;
    p.Text = text;
    p.Caption = caption;
    p.FontName = QStringLiteral("MS Sans Serif");
    p.Symbology = 16;
    p.Alignment = 1;
    p.CaptionPosition = 1;
    p.FontSize = 8;
    p.FontStyle = 0;
    p.BarHeight = 40;
    p.Left = 2;
    p.Top = 1;
    p.ModuleWidth = 1;
    p.CaptionGap = 4;
    p.Reserved3 = 1;
    p.Reserved4 = 1;
    p.Rotation = 0;
    p.BarColor = 0;
    p.BackColor = 0xFFFFFF;
    p.TextColor = 0;
    p.AddCheckCharacter = 1;
    return p;
}

} // namespace testsupport
