#pragma once
// The program's four windows, created in their fixed order: main window, options dialog,
// file viewer, method jumper. Destroyed in reverse, so the main window (which owns the
// settings file) goes last. Each window is handed the settings and the services it uses;
// none reaches into another.

#include "app/TForm1.h"
#include "options/TForm2.h"
#include "viewer/TForm3.h"
#include "viewer/TForm4.h"

#include <memory>

struct ProgramWindows {
    std::unique_ptr<ViewerHost> viewerHost; // outlives the viewer
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
};

ProgramWindows createProgramWindows();
