// The About box: program icon, build date, version and an OK button.
#pragma once

#include <wx/dialog.h>

class CAboutBox : public wxDialog {
public:
    // Builds the box from the IDD_ABOUTBOX template; it has no owner.
    CAboutBox();
};
