// EncodeCode39 and DrawCode39 on an off-screen box with any text and box height.
#include "graphics/PictureBox.h"
#include "symbols/Code39.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Reader in(data, size);
    const double height = 15.0 * (in.Byte() + 1);
    const bool withText = in.Byte() & 1;
    graphics::PictureBox box(0, 0, 100, height);
    box.SetFontSize(1 + in.Byte() % 40);
    symbols::DrawCode39(symbols::EncodeCode39(in.Text(200)), box, withText);
    return 0;
}
