// The dialog templates as plain tables, and the placement arithmetic for
// the windows on the screen. Nothing here needs the toolkit.
#pragma once

#include <cstddef>

// What a template entry becomes.
enum class ControlKind { defaultButton, button, edit, multiLineEdit, label, checkBox, icon };

// Style bits of a template entry beyond what its kind implies.
inline constexpr unsigned STYLE_NONE = 0x0;
inline constexpr unsigned STYLE_DIGITS_ONLY = 0x1;  // typing accepts digits only

// One control of a dialog template; position and size in dialog units.
struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, w, h;
    unsigned style;
};

// A dialog template: caption, size in dialog units and its controls.
struct DialogTemplate {
    int id;
    const char* caption;
    int w, h;
    const ControlTemplate* controls;
    std::size_t count;
};

// The main dialog and the About box.
extern const DialogTemplate MAIN_DIALOG_TEMPLATE;
extern const DialogTemplate ABOUT_DIALOG_TEMPLATE;

// The template entry with control id `id`, or null.
const ControlTemplate* FindControl(const DialogTemplate& dialog, int id);

// A point or a size in pixels.
struct PixelPoint {
    int x, y;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// A rectangle in pixels.
struct PixelRect {
    int x, y, w, h;
};

// Top-left corner that centres an icon of iconW x iconH in a client area of
// clientW x clientH: (client - icon + 1) / 2 on each axis, truncated toward zero.
PixelPoint IconOrigin(int clientW, int clientH, int iconW, int iconH);

// Pixels between the dialog and the console beside it.
inline constexpr int CONSOLE_GAP = 12;

// Where the dialog goes so that it and the console beside it (with `gap`
// between) are centred together on `screen`; never left of or above it.
PixelPoint DialogOriginForPair(const PixelRect& screen, int dialogW, int dialogH, int consoleW, int consoleH,
                               int gap);

// Where the console goes: right of `dialog` with `gap` between, its top in
// line with the dialog's, moved left as far as needed to stay on `screen`.
PixelPoint ConsoleOriginBeside(const PixelRect& dialog, const PixelRect& screen, int consoleW, int consoleH,
                               int gap);
