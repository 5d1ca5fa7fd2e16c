// The two conversion settings: the electrode surface area and the flag that
// makes the converters apply it. Process-wide; the area box and the command
// line set them, the converters read them for every row.
#pragma once

// Electrode surface area, rounded to single precision as the area box sets it.
extern float g_surfaceArea;
// The converters apply the area only while this equals 1.
extern int g_areaEnabled;
