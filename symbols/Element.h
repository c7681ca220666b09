// One bar or space of a linear symbol, as an encoder returns it: the
// encoders say which elements a text takes, left to right, and draw
// nothing; a layout turns the elements into shapes at its own sizes.
#pragma once

#include <vector>

namespace symbols {

struct Element {
    bool bar = false;
    int modules = 0;
    friend bool operator==(const Element&, const Element&) = default;
};

using Elements = std::vector<Element>;

} // namespace symbols
