#pragma once
// SHA-256 (FIPS 180-4) of bytes in memory: the fingerprint a certificate is
// pinned by and the one kolvexadm knows its service program by. Windows XP
// before its third service pack has no SHA-256 of its own, and these
// programs start there.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kolvex {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(std::span<const std::byte> bytes);

// The digest as 64 upper-case hexadecimal digits, as thumbprints are written.
std::string Sha256Hex(std::span<const std::byte> bytes);

}  // namespace kolvex
