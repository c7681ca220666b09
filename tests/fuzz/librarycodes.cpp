// The symbologies libzint encodes, fed any bytes and any options, and laid
// out the way the program draws them. libzint is a library the program
// hands user text to: no input may take the program down, and whatever it
// encodes must be a whole matrix the layout can draw.
#include "app/Generate.h"
#include "app/SymbologyTable.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr symbologies::Symbology kSymbologies[] = {
    symbologies::Symbology::Code128,    symbologies::Symbology::Gs1_128,       symbologies::Symbology::RetailEan13,
    symbologies::Symbology::RetailEan8, symbologies::Symbology::RetailUpcA,    symbologies::Symbology::Qr,
    symbologies::Symbology::DataMatrix, symbologies::Symbology::Gs1DataMatrix, symbologies::Symbology::Pdf417,
    symbologies::Symbology::Aztec,
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
    app::SymbolRequest r;
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
    const app::Symbol symbol = app::GenerateSymbol(r);
    // A failure draws nothing; a symbol is drawn and knows its module.
    if (symbol.failure ? !symbol.drawing.IsEmpty() : (!r.text.isEmpty() && (symbol.drawing.IsEmpty() || !(symbol.drawing.module >= 1))))
        __builtin_trap();
    (void)app::ExpectedScan(r.symbology, r.text);
    return 0;
}
