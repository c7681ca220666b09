// DrawEan on an off-screen box with any text, bar length and font size,
// the way Generate calls it.
#include "platform/Numeric.h"
#include "platform/PictureBox.h"
#include "symbologies/Ean.h"
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
    platform::PictureBox box(720, 840, 3600, 1095);
    const QString text = in.Text(40);
    symbologies::FitEanScale(box, platform::ParseNumber(barLength), platform::ParseNumber(fontSize));
    symbologies::DrawEan(box, text, platform::ParseNumber(barLength), platform::ParseNumber(fontSize));
    return 0;
}
