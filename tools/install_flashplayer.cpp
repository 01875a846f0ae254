// Plus/install_flashplayer.exe: the installation's movie control installer. The launcher starts
// it from the installation directory, without arguments, when no recent enough control is
// registered; it registers that directory's web movie control (libwebmovie.so) under the Flash
// control's class, as vexo-register-control does. Exit code 0 when registered, 1 when the
// library is missing or the registry file cannot be written, 2 when given arguments.
#include <cstdio>

#include "tools/control_registration.h"

int main(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: %s (run from the installation directory)\n", argv[0]);
        return 2;
    }
    return registerControl(argv[0], "libwebmovie.so", kFlashControlClsid) ? 0 : 1;
}
