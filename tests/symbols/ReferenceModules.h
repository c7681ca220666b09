// Module rows from an independent writer (zxing-cpp), to compare drawn
// pixels and encoded elements with: "1" a dark module, "0" a light one, no
// quiet zone.
#pragma once

#include "symbols/Element.h"

#include <ZXing/BarcodeFormat.h>
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <string>

namespace testsupport {

inline std::string ReferenceModules(ZXing::BarcodeFormat format, const std::string& digits)
{
    const ZXing::BitMatrix m = ZXing::MultiFormatWriter(format).setMargin(0).encode(digits, 1, 1);
    std::string row;
    for (int x = 0; x < m.width(); ++x)
        row += m.get(x, 0) ? '1' : '0';
    return row;
}

// The same kind of row from an encoder's elements.
inline std::string ModuleRow(const symbols::Elements& elements)
{
    std::string row;
    for (const symbols::Element& e : elements)
        row.append(static_cast<std::size_t>(e.modules), e.bar ? '1' : '0');
    return row;
}

} // namespace testsupport
