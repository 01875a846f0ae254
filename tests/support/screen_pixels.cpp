#include "tests/support/screen_pixels.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace test_support {

Rgb pixelAt(int x, int y) {
    const std::string command = "import -window root -crop 1x1+" + std::to_string(x) + "+" +
                                std::to_string(y) + " -depth 8 txt:- 2>/dev/null";
    Rgb rgb{-1, -1, -1};
    if (FILE* out = popen(command.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, out))
            std::sscanf(line, "%*d,%*d: (%d,%d,%d", &rgb.r, &rgb.g, &rgb.b);
        pclose(out);
    }
    return rgb;
}

bool isRed(Rgb c) { return c.r > 180 && c.g < 80 && c.b < 80; }
bool isGreen(Rgb c) { return c.g > 150 && c.r < 80 && c.b < 80; }
bool isBlue(Rgb c) { return c.b > 180 && c.r < 80 && c.g < 100; }

bool keepScreenshot(const std::string& directory, const std::string& name) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    const std::string command = "import -window root " + directory + "/" + name + ".png";
    return std::system(command.c_str()) == 0;
}

}  // namespace test_support
