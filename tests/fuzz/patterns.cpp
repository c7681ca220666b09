// The three pattern encoders and the renderer on any text: every
// pattern is made of the digits 1..4, starts and ends with a bar where it
// is complete, and the renderer draws it on an off-screen box.
#include "graphics/PictureBox.h"
#include "symbols/BarPattern.h"
#include "symbols/Codabar.h"
#include "symbols/Code128B.h"
#include "symbols/Interleaved25.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void CheckPattern(const QString& p, bool complete)
{
    for (QChar c : p)
        if (c < QLatin1Char('1') || c > QLatin1Char('4'))
            __builtin_trap();
    if (complete && p.size() % 2 == 0)
        __builtin_trap(); // a complete symbol ends with a bar: odd length
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Reader in(data, size);
    const std::uint8_t which = in.Byte();
    const short module = static_cast<short>(static_cast<std::int8_t>(in.Byte()));
    const float barHeight = static_cast<float>(static_cast<std::int8_t>(in.Byte()));
    const bool withText = in.Byte() & 1;
    QString text = in.Text(60);

    CheckPattern(symbols::Code128BPattern(text), true);
    CheckPattern(symbols::CodabarPattern(text.toUpper()), true);
    const auto i25 = symbols::Interleaved25Pattern(text);
    CheckPattern(i25.pattern, false);

    static constexpr symbols::PatternEncoder encoders[] = {symbols::Code128BPatternOf, symbols::Interleaved25PatternOf,
                                                           symbols::CodabarPatternOf};
    const symbols::EncodedPattern e = encoders[which % 3](text);
    graphics::PictureBox box(240, 120, 6615, 1095);
    box.SetScaleMode(graphics::ScaleMode::Pixels);
    symbols::DrawPattern(box, {{module, module}, barHeight, withText, e.bearers}, 1.0f, 20.0f, text, e.pattern);
    return 0;
}
