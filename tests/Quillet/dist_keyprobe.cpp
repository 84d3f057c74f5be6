// Loads the loader's public key the way the reader does and prints it: "OK <key hex>", or the error's
// class and message. Built with a good, a malformed and no key resource; the tests copy it around
// under different names.
#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "Quillet/UDist.h"
#include "platform/Classes.h"

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);  // messages carry their own CR LF
    try {
        TDistPacker P;
        P.LoadPublicKey();
        TMemoryStream S;
        P.DigSign().PublicKey().SaveToStream(S);
        std::printf("OK ");
        for (uint8_t B : S.Bytes()) std::printf("%02x", B);
        std::printf("\n");
        return 0;
    } catch (const Exception& E) {
        std::printf("%s: %s\n", E.ClassName(), E.Message().c_str());
        return 1;
    }
}
