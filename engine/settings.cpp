#include "engine/settings.h"

// Until the area box is first edited the area is 1.0 and not applied.
float g_surfaceArea = 1.0f;
int g_areaEnabled = 0;
bool g_scientificFormat = false;
