#include "crypto/Random.h"

#include "platform/SysUtils.h"

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>
#endif

void CryptoRandomBytes(void* Buffer, size_t Count)
{
    auto* P = static_cast<unsigned char*>(Buffer);
#ifdef _WIN32
    while (Count) {
        ULONG N = Count > 0x10000000 ? 0x10000000 : static_cast<ULONG>(Count);
        NTSTATUS St = BCryptGenRandom(nullptr, P, N, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
        if (St < 0) throw Exception(Format("CryptoRandomBytes: BCryptGenRandom failed, status %x", {unsigned(St)}));
        P += N;
        Count -= N;
    }
#else
    while (Count) {
        ssize_t N = getrandom(P, Count, 0);
        if (N < 0) {
            if (errno == EINTR) continue;
            if (errno != ENOSYS) throw Exception("CryptoRandomBytes: " + SysErrorMessage(errno));
            // Kernels without the system call still have the device.
            int Fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
            if (Fd < 0) throw Exception("CryptoRandomBytes: /dev/urandom: " + SysErrorMessage(errno));
            while (Count) {
                ssize_t R = ::read(Fd, P, Count);
                if (R < 0 && errno == EINTR) continue;
                if (R <= 0) {
                    int Err = R < 0 ? errno : EIO;
                    ::close(Fd);
                    throw Exception("CryptoRandomBytes: /dev/urandom: " + SysErrorMessage(Err));
                }
                P += R;
                Count -= static_cast<size_t>(R);
            }
            ::close(Fd);
            return;
        }
        P += N;
        Count -= static_cast<size_t>(N);
    }
#endif
}
