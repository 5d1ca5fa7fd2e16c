#include "ui/layout.h"

#include <algorithm>

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id)
{
    for (std::size_t i = 0; i < dialog.count; ++i) {
        if (dialog.controls[i].id == id) {
            return &dialog.controls[i];
        }
    }
    return nullptr;
}

PixelPoint IconOrigin(int clientW, int clientH, int iconW, int iconH)
{
    // C++ division truncates toward zero, as the minimised-icon rule asks.
    return {(clientW - iconW + 1) / 2, (clientH - iconH + 1) / 2};
}

namespace {

// Start of a span of `length` centred in [start, start + room), not before start.
int CentreIn(int start, int room, int length)
{
    return start + std::max(0, (room - length) / 2);
}

// `pos` moved back so that a span of `length` ends inside [start, start + room),
// but never before start.
int KeepInside(int pos, int length, int start, int room)
{
    return std::max(start, std::min(pos, start + room - length));
}

}  // namespace

PixelPoint DialogOriginForPair(const PixelRect& screen, int dialogW, int dialogH, int consoleW, int consoleH,
                               int gap)
{
    const int pairW = dialogW + gap + consoleW;
    const int pairH = std::max(dialogH, consoleH);
    return {CentreIn(screen.x, screen.w, pairW), CentreIn(screen.y, screen.h, pairH)};
}

PixelPoint ConsoleOriginBeside(const PixelRect& dialog, const PixelRect& screen, int consoleW, int consoleH,
                               int gap)
{
    const int x = KeepInside(dialog.x + dialog.w + gap, consoleW, screen.x, screen.w);
    const int y = KeepInside(dialog.y, consoleH, screen.y, screen.h);
    return {x, y};
}
