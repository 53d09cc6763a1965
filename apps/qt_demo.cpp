// The demo window: a lumber takeoff for a small framed shed, on a vekGRID in a main window,
// with the control's file, ordering, filtering and row commands on menus and a toolbar.
//
//     vekgrid_demo                      opens the window
//     vekgrid_demo --screenshot FILE    draws the window once into FILE (PNG) and exits
//
// Without a display (no DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM) the demo draws itself
// off screen into vekgrid-demo.png, so it runs on a build machine too.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <iostream>
#include <optional>
#include <string>

#include "demo_window.h"

namespace {

bool Has_Display() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<QString> screenshot;
    bool no_display = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--screenshot" && i + 1 < argc) {
            screenshot = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == "--screenshot" || arg == "--help" || arg == "-h") {
            std::cerr << "usage: " << argv[0] << " [--screenshot FILE.png]\n";
            return arg == "--screenshot" ? 2 : 0;
        }
    }
    if (!screenshot && !Has_Display()) {
        // Nothing to show a window on: draw it off screen instead.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        screenshot = "vekgrid-demo.png";
        no_display = true;
    }

    QApplication app(argc, argv);
    vekgrid_demo::Demo_Window window;
    if (!screenshot) {
        window.Fit_To_Screen(1100, 620);
        window.show();
        return app.exec();
    }

    window.resize(1100, 560);
    window.show();
    // Deferred view syncs and paints need the event loop to run for a moment, before and after
    // the editor is put on a formula cell.
    QTimer::singleShot(200, &window, [&window] { window.Show_Formula_Editor(); });
    QTimer::singleShot(400, &window, [&] {
        const QString path = QFileInfo(*screenshot).absoluteFilePath();
        const bool saved = window.grab().save(path, "PNG");
        if (!saved) {
            std::cerr << "vekgrid_demo: could not write " << path.toStdString() << '\n';
        } else if (no_display) {
            std::cout << "No display found: the demo window was drawn off screen into "
                      << path.toStdString() << '\n';
        } else {
            std::cout << "Saved " << path.toStdString() << '\n';
        }
        app.exit(saved ? 0 : 1);
    });
    return app.exec();
}
