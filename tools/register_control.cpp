// vexo-register-control <library> [<clsid>]: registers a movie control library under the Flash
// control's class (or the one given) in the user's registry file ($VEXO_REGISTRY or the
// default), keeping everything else in the file.
#include <cstdio>

#include "tools/control_registration.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <library> [<clsid>]\n", argv[0]);
        return 2;
    }
    return registerControl(argv[0], argv[1], argc == 3 ? argv[2] : kFlashControlClsid) ? 0 : 1;
}
