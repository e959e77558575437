#pragma once
// The application: prepares the program folders, reads the command line and
// the settings, keeps the program to one running instance per user and
// program folder, keeps the .flv association, builds the program's parts
// and the main window, runs the event loop and saves the settings at the
// end. With the single argument "uninstall" it undoes the association and
// the autostart entry, closes a running instance and opens the uninstall
// feedback page instead.
class COvrinApp {
public:
    // The process's exit code.
    int Run(int argc, char** argv);
};
