// The launcher benchmark's watch on the splash (bench/run-launcher): on the X display named by
// DISPLAY, reads one pixel of the root window every millisecond until it shows the splash movie's
// background (clearly blue, as the installation's welcome.swf paints it; the window's own black
// and an unpainted white page do not count), then prints that moment (CLOCK_REALTIME,
// nanoseconds, the clock of the stand-in player) and ends. Prints "ready" first, once connected,
// so that the caller starts the launcher only then.
//   bench_splash_watch X Y [TIMEOUT_SECONDS]      exit code 1: no display, or nothing drawn
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

long long realtimeNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The channel of `mask` in `pixel`, scaled to 0..255.
int channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const unsigned long max = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / max);
}

bool isMovieBlue(Display* display, int x, int y) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    const int r = channel(pixel, image->red_mask);
    const int g = channel(pixel, image->green_mask);
    const int b = channel(pixel, image->blue_mask);
    XDestroyImage(image);
    return b >= 120 && b > r + 60 && b > g + 30;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_splash_watch X Y [TIMEOUT_SECONDS]\n");
        return 2;
    }
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const long long timeoutNs = (argc > 3 ? std::atoll(argv[3]) : 20) * 1000000000LL;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    const long long end = realtimeNs() + timeoutNs;
    const timespec pause{0, 1000000};
    while (!isMovieBlue(display, x, y)) {
        if (realtimeNs() > end) return 1;
        nanosleep(&pause, nullptr);
    }
    std::printf("%lld\n", realtimeNs());
    XCloseDisplay(display);
    return 0;
}
