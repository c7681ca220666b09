// DrawEan on an off-screen box with any text, bar length and font size,
// the way Generate calls it.
#include "core/Numeric.h"
#include "graphics/PictureBox.h"
#include "symbols/Ean.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Reader in(data, size);
    const QString barLength = in.Text(8);
    const QString fontSize = in.Text(8);
    graphics::PictureBox box(720, 840, 3600, 1095);
    const QString text = in.Text(40);
    symbols::FitEanScale(box, core::ParseNumber(barLength), core::ParseNumber(fontSize));
    symbols::DrawEan(box, text, core::ParseNumber(barLength), core::ParseNumber(fontSize));
    return 0;
}
