// The conversion settings: the electrode surface area and the flag that
// makes the converters apply it, and the number form of the outputs.
// Process-wide; the dialog and the command line set them, the converters
// read them.
#pragma once

// Electrode surface area, rounded to single precision as the area box sets it.
extern float g_surfaceArea;
// The converters apply the area only while this equals 1.
extern int g_areaEnabled;
// The converters write "%.6e" numbers instead of "%f" while this is true,
// so values too small for six decimals keep their digits. Off by default:
// fitting programs and stored files rely on the six-decimal form.
extern bool g_scientificFormat;
