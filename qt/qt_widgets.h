#pragma once
#include <QWidget>
#include <memory>
#include <string>

#include "vekgrid/platform/widgets.h"
#include "vekgrid/qt/export.h"

namespace vekgrid::qt {

class Qt_Platform;

// The control's widgets on real Qt widgets, children of `surface`. Each keeps the core state
// (the base class) and mirrors every change onto its Qt widget; user input flows back into the
// base state and the On_* callbacks.
std::unique_ptr<Text_Box> Make_Text_Box(const std::string& name, QWidget* surface,
                                        Qt_Platform& platform);
std::unique_ptr<Combo_Box> Make_Combo_Box(const std::string& name, QWidget* surface,
                                          Qt_Platform& platform);
std::unique_ptr<Command_Button> Make_Command_Button(const std::string& name, QWidget* surface,
                                                    Qt_Platform& platform);
std::unique_ptr<Picture_Box> Make_Picture_Box(const std::string& name, QWidget* surface,
                                              Qt_Platform& platform);
VEKGRID_QT_EXPORT std::unique_ptr<Timer> Make_Timer();

}  // namespace vekgrid::qt
