// The failure shape of the code that is not yet on core::Result.
#pragma once

#include "core/Result.h"

#include <optional>

namespace core {

using MaybeFailure = std::optional<Failure>;

} // namespace core
