// Cryptographically secure random bytes from the operating system, for key generation.
#pragma once

#include <cstddef>

// Fills Buffer with Count bytes; raises Exception when the system source fails.
void CryptoRandomBytes(void* Buffer, size_t Count);
