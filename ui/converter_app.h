// The application object: runs the main dialog and ends with its end.
#pragma once

#include <wx/app.h>

class CConverterApp : public wxApp {
public:
    // Prepares the program's services, runs the main dialog to its end and
    // returns true; the program ends from OnRun without a main loop.
    bool OnInit() override;

    // The exit status: 0, however the dialog was closed.
    int OnRun() override;

private:
    // Runs the main dialog modally until Cancel, Escape or the close box.
    void InitInstance();
};

class wxDialog;

// Shows `dialog` and handles events until Cancel, Escape or the close box
// hides it; returns the id that ended it. Unlike a modal run it leaves the
// console usable meanwhile: its lines can be scrolled back and copied.
int RunDialog(wxDialog& dialog);

// Routes message boxes and the completion beep to the toolkit, and keeps
// number formatting independent of the user's language settings.
void InstallDesktopServices();
