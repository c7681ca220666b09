// EncodeUpcA and DrawUpcA on an off-screen box with any text.
#include "graphics/PictureBox.h"
#include "symbols/UpcA.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Reader in(data, size);
    const bool withText = in.Byte() & 1;
    graphics::PictureBox box(240, 0, 5055, 1095);
    box.SetScaleMode(graphics::ScaleMode::Twips);
    const symbols::UpcASymbol symbol = symbols::EncodeUpcA(in.Text(40));
    symbols::DrawUpcA(box, symbol, withText);
    if (symbol.check < 0 || symbol.check > 9 || symbol.elements.empty() != symbol.status.failed())
        __builtin_trap();
    return 0;
}
