// Looking at the X screen of a GUI test: one pixel's colour, and a screenshot kept for people.
#pragma once

#include <string>

namespace test_support {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// One pixel of the root window, read with ImageMagick; -1s when it cannot be read.
Rgb pixelAt(int x, int y);

bool isRed(Rgb c);
bool isGreen(Rgb c);
bool isBlue(Rgb c);

// Saves the whole screen as `directory`/`name`.png (the directory is created); true on success.
bool keepScreenshot(const std::string& directory, const std::string& name);

}  // namespace test_support
