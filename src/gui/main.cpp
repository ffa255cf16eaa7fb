#include <string>
#include <vector>

#include "gui/app/gui_app.h"

int main(int argc, char** argv) { return kzgui::RunGuiApplication(argc, argv); }
