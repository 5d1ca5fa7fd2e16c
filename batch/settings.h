// The two conversion settings: the electrode surface area and the flag that
// makes the converters apply it. Process-wide, like the job table, but kept
// apart from it: the converters read these and nothing else of the batch.
#pragma once

// Electrode surface area, rounded to single precision as the area box sets it.
extern float g_surfaceArea;
// The converters apply the area only while this equals 1.
extern int g_areaEnabled;
