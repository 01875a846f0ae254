#include "shell/size_zone.h"

namespace size_zone {

using namespace platform;

namespace {

struct ZoneRow {
    int cursor;
    WPARAM edge;
};

// Indexed by zone 1..8.
constexpr ZoneRow kZones[] = {
    {IDC_SIZENWSE, WMSZ_TOPLEFT},  {IDC_SIZEWE, WMSZ_LEFT},   {IDC_SIZENESW, WMSZ_BOTTOMLEFT},
    {IDC_SIZENESW, WMSZ_TOPRIGHT}, {IDC_SIZEWE, WMSZ_RIGHT},  {IDC_SIZENWSE, WMSZ_BOTTOMRIGHT},
    {IDC_SIZENS, WMSZ_TOP},        {IDC_SIZENS, WMSZ_BOTTOM},
};

bool known(int zone) { return zone >= 1 && zone <= 8; }

}  // namespace

int classify(const RECT& client, int x, int y) {
    const bool top = y < client.top + kBand;
    const bool bottom = y > client.bottom - kBand;
    const int vertical = top ? 0 : (bottom ? 2 : 1);  // offset within a side's three zones
    if (x > client.right - kBand) return 4 + vertical;
    if (x < client.left + kBand) return 1 + vertical;
    if (top) return 7;
    if (bottom) return 8;
    return 0;
}

int cursorOf(int zone) { return known(zone) ? kZones[zone - 1].cursor : 0; }

WPARAM sizingCommandOf(int zone) { return known(zone) ? SC_SIZE + kZones[zone - 1].edge : 0; }

}  // namespace size_zone
