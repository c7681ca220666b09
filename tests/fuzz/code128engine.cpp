// EncodeCode128Record and DrawCode128 with every field of the parameter
// record taken from the input, drawing on a real picture box: any record
// gives no elements and a defined code with the engine's message, or
// elements to draw, and every GDI object a drawing creates is deleted again.
#include "graphics/Gdi.h"
#include "graphics/PictureBox.h"
#include "symbols/Code128Engine.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace symbols;
    fuzzsupport::Reader in(data, size);
    Code128Params p;
    // Small values are the interesting ones; one byte in four keeps all 32 bits.
    auto num = [&in] {
        const std::uint8_t mode = in.Byte();
        return (mode & 3) == 0 ? in.Int32() : static_cast<std::int32_t>(static_cast<std::int8_t>(in.Byte()));
    };
    p.Symbology = num();
    p.Alignment = num();
    p.CaptionPosition = num();
    p.FontSize = num();
    p.FontStyle = num();
    p.BarHeight = num();
    p.Left = num();
    p.Top = num();
    p.ModuleWidth = num();
    p.CaptionGap = num();
    p.Reserved3 = num();
    p.Reserved4 = num();
    p.Rotation = num();
    p.BarColor = num();
    p.BackColor = num();
    p.TextColor = num();
    p.AddCheckCharacter = num();
    p.Reserved1 = in.Text(8);
    p.Reserved2 = in.Text(8);
    p.FontName = in.Text(40);
    p.Caption = in.Text(80);
    p.Text = in.Text(120);

    graphics::PictureBox box(0, 0, 3000, 1500);
    box.SetScaleMode(graphics::ScaleMode::Pixels);
    const int live = graphics::LiveGdiObjects();
    std::int32_t code = 0;
    {
        const core::Result<symbols::Elements> encoded = EncodeCode128Record(p);
        code = encoded.failed() ? encoded.failure().code : kCode128Ok;
        if (encoded.failed() && !encoded.failure().text.startsWith(Code128ErrorMessage(code)))
            __builtin_trap();
        graphics::PictureBoxDC dc(box);
        DrawCode128(p, encoded.value_or({}), &dc);
    }
    const bool known = code == kCode128Ok || code == kBadModuleWidth || code == kBadBarHeight || code == kBadSymbology ||
                       code == kBadFont || code == kBadAlignment || code == kBadCaptionPosition || code == kBadCharacter;
    if (!known || graphics::LiveGdiObjects() != live)
        __builtin_trap();
    return 0;
}
