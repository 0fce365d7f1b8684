// gildex-ide: a VB6 IDE for Linux with Gildex connected as an add-in.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <iostream>

#include "desktop/addin_windows.h"
#include "desktop/event_pump.h"
#include "desktop/face_icons.h"
#include "desktop/main_window.h"
#include "desktop/qt_dialogs.h"
#include "desktop/screenshots.h"
#include "workbench/workbench.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("gildex-ide");
  QApplication::setApplicationVersion(GILDEX_VERSION);
  QApplication::setWindowIcon(gildex::desktop::AppIcon());

  QCommandLineParser parser;
  parser.setApplicationDescription("A VB6 IDE for VB6 projects with the Gildex add-in connected.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument("PROJECT", "A .vbp, .vbg or component file to open.", "[PROJECT]");
  const QCommandLineOption screenshots(
      "screenshots", "Open PROJECT (the sample project by default), save a PNG of every window into DIR, and exit.",
      "DIR");
  const QCommandLineOption no_addin("no-addin", "Start without connecting Gildex.");
  // For the build: the program's icon as the desktop entry's PNG.
  QCommandLineOption save_icon("save-icon", "Save the program's 64x64 icon as PNG into FILE and exit.", "FILE");
  save_icon.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOption(screenshots);
  parser.addOption(no_addin);
  parser.addOption(save_icon);
  parser.process(app);
  if (parser.isSet(save_icon))
    return gildex::desktop::AppIcon().pixmap(64, 64).save(parser.value(save_icon), "PNG") ? 0 : 1;
  const QStringList arguments = parser.positionalArguments();
  if (arguments.size() > 1) {
    std::cerr << "gildex-ide: give at most one PROJECT\n";
    return 2;
  }
  QString project = arguments.isEmpty() ? QString() : arguments.front();
  const bool shooting = parser.isSet(screenshots);

  const std::unique_ptr<QTemporaryDir> scratch_home =
      shooting ? gildex::desktop::UseScratchProgramFolder() : nullptr;
  if (shooting && scratch_home == nullptr) {
    std::cerr << "gildex-ide: cannot make a scratch program folder for the screenshots\n";
    return 1;
  }
  if (shooting && project.isEmpty()) project = gildex::desktop::CopyOfSample(*scratch_home);
  if (shooting && project.isEmpty()) {
    std::cerr << "gildex-ide: no sample project was found to take the screenshots of; give a PROJECT\n";
    return 1;
  }
  gildex::desktop::QtDialogs dialogs;
  gildex::desktop::AddInWindows tool_windows(dialogs);
  // Screenshots change nothing of the user's: the add-in keeps no list and no folder then.
  gildex::workbench::Workbench bench(dialogs, !shooting, gildex::desktop::EventPump());
  tool_windows.Attach(bench);
  bench.SetAddInWindows(tool_windows.Windows());
  gildex::desktop::MainWindow window(bench, dialogs);
  if (!parser.isSet(no_addin)) window.ConnectAddIn();
  dialogs.SetUnattended(shooting);
  const bool opened = project.isEmpty() || window.OpenProject(QDir::current().absoluteFilePath(project).toStdString());
  dialogs.SetUnattended(false);
  if (!opened && shooting) {
    std::cerr << "gildex-ide: " << project.toStdString() << " could not be opened\n";
    return 1;
  }
  if (shooting) {
    bool failed = false;
    for (const auto& missing : gildex::desktop::TakeScreenshots(window, tool_windows, parser.value(screenshots))) {
      std::cerr << "gildex-ide: no " << missing.file.toStdString() << ": " << missing.why.toStdString() << "\n";
      failed = failed || !missing.lacking;
    }
    bench.Close();
    return failed ? 1 : 0;
  }
  window.show();
  return app.exec();
}
