// Whether the tests run under AddressSanitizer, which keeps freed memory
// aside for a while (the resident size says nothing of a program's own use
// there) and makes everything several times slower.
#pragma once

namespace testsupport {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kUnderAsan = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kUnderAsan = true;
#else
inline constexpr bool kUnderAsan = false;
#endif
#else
inline constexpr bool kUnderAsan = false;
#endif

} // namespace testsupport
