#include "crc/Crc32Combine.h"

namespace sumbrook {

namespace {

// Polynomials over GF(2) modulo the CRC polynomial, held reflected as the
// register is: bit 31 is x^0, bit 0 is x^31.
constexpr std::uint32_t kReflectedPolynomial = 0xEDB88320U;
constexpr std::uint32_t kOne = 1U << 31;
constexpr std::uint32_t kX = 1U << 30;

std::uint32_t MultiplyModulo(std::uint32_t a, std::uint32_t b) {
    std::uint32_t product = 0;
    for (std::uint32_t bit = kOne; bit != 0; bit >>= 1) {
        if ((a & bit) != 0) product ^= b;
        // b times x, reduced.
        b = (b & 1U) != 0 ? (b >> 1) ^ kReflectedPolynomial : b >> 1;
    }
    return product;
}

// x to the power n, modulo the polynomial.
std::uint32_t XPowerModulo(std::uint64_t n) {
    std::uint32_t result = kOne;
    std::uint32_t square = kX;
    while (n != 0) {
        if ((n & 1U) != 0) result = MultiplyModulo(square, result);
        square = MultiplyModulo(square, square);
        n >>= 1;
    }
    return result;
}

}  // namespace

std::uint32_t Crc32Combine(std::uint32_t crcFirst, std::uint32_t crcSecond,
                           std::uint64_t secondLength) {
    // Appending m bytes multiplies the first piece's remainder by x^(8m); the
    // preset and the final complement of both pieces cancel out.
    return MultiplyModulo(XPowerModulo(secondLength * 8U), crcFirst) ^ crcSecond;
}

}  // namespace sumbrook
