// The symbologies libzint encodes, fed any bytes and any options, and laid
// out the way the program draws them. libzint is a library the program
// hands user text to: no input may take the program down, and whatever it
// encodes must be a whole matrix the layout can draw.
#include "symbols/Generate.h"
#include "symbols/SymbologyTable.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr symbols::Symbology kSymbologies[] = {
    symbols::Symbology::Code128,    symbols::Symbology::Gs1_128,       symbols::Symbology::RetailEan13,
    symbols::Symbology::RetailEan8, symbols::Symbology::RetailUpcA,    symbols::Symbology::Qr,
    symbols::Symbology::DataMatrix, symbols::Symbology::Gs1DataMatrix, symbols::Symbology::Pdf417,
    symbols::Symbology::Aztec,
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Reader in(data, size);
    symbols::SymbolRequest r;
    r.symbology = kSymbologies[in.Byte() % std::size(kSymbologies)];
    const std::uint8_t options = in.Byte();
    r.library.qrEcc = "LMQH"[options & 3];
    r.library.rectangular = options & 4;
    r.library.pdf417Columns = in.Byte() % 32;
    r.heightFactor = (in.Byte() % 40) / 10.0;
    r.width = in.Byte() * 10.0;
    r.withText = options & 8;
    // Text as UTF-8 (2D codes), or any bytes as Latin-1.
    const QByteArray bytes = in.RestBytes();
    r.text = options & 16 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    const symbols::Symbol symbol = symbols::GenerateSymbol(r);
    // A failure draws nothing; a symbol is drawn and knows its module.
    if (symbol.status.failed() ? !symbol.drawing.IsEmpty() : (!r.text.isEmpty() && (symbol.drawing.IsEmpty() || !(symbol.drawing.module >= 1))))
        __builtin_trap();
    (void)symbols::ExpectedScan(r.symbology, r.text);
    return 0;
}
