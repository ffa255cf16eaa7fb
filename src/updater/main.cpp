// kz_update: installs the update the window program extracted, then starts it again. It takes no
// arguments.
#include <QApplication>

#include "gui/app/language.h"
#include <unistd.h>

#include "app/handoff.h"
#include "base/paths.h"
#include "update/update_files.h"
#include "updater/ckz_update_dlg.h"

int main(int argc, char** argv) {
  // The folder of this executable is the program folder; where it is the user's own (an install
  // under a user-writable prefix) no raised rights are needed. Otherwise the raised copy does the
  // work and this one ends; a refused raise goes on without the rights.
  const std::string programDir = kz::paths::ProgramDir();
  if (!kz::app::IsUserAdmin() && ::access(programDir.c_str(), W_OK) != 0) kz::app::RelaunchElevated("");
  const std::string dataDir = kz::paths::DataDir();

  QApplication app(argc, argv);
  QApplication::setApplicationName("kz_update");
  kzgui::InstallLanguage(kzgui::ChosenLanguage(dataDir));
  kzgui::Ckz_updateDlg::Options options;
  options.sourceDir = dataDir.empty() ? std::string() : dataDir + kz::update::kUpdateFolderName;
  options.programDir = programDir;
  kzgui::Ckz_updateDlg window(options);
  window.exec();
  return 0;
}
