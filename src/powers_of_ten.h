// The powers of ten that fit a 64-bit unsigned integer, shared by the number reader (scaling
// gathered digits) and the number writer (counting digits).
#pragma once

#include <cstdint>

namespace quorvel {

// kExactPowersOfTen[k] = 10^k exactly, for k = 0 .. 19.
inline constexpr std::uint64_t kExactPowersOfTen[20] = {1ULL,
                                                        10ULL,
                                                        100ULL,
                                                        1000ULL,
                                                        10000ULL,
                                                        100000ULL,
                                                        1000000ULL,
                                                        10000000ULL,
                                                        100000000ULL,
                                                        1000000000ULL,
                                                        10000000000ULL,
                                                        100000000000ULL,
                                                        1000000000000ULL,
                                                        10000000000000ULL,
                                                        100000000000000ULL,
                                                        1000000000000000ULL,
                                                        10000000000000000ULL,
                                                        100000000000000000ULL,
                                                        1000000000000000000ULL,
                                                        10000000000000000000ULL};

}  // namespace quorvel
