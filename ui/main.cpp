// The program's entry: the toolkit's start-up creates the application object.
#include "ui/converter_app.h"

wxIMPLEMENT_APP(CConverterApp);
