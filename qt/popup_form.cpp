#include "vekgrid/qt/popup_form.h"

#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {

Qt_Pop_Up_Form::Qt_Pop_Up_Form(QWidget* window) : window_(window) {
    if (!window_) return;
    // The form starts where its widget is, in screen twips.
    const QRect at = window_->geometry();
    Pop_Up_Form::Left(at.x() * kTwipsPerPixel);
    Pop_Up_Form::Top(at.y() * kTwipsPerPixel);
    Pop_Up_Form::Width(at.width() * kTwipsPerPixel);
    Pop_Up_Form::Height(at.height() * kTwipsPerPixel);
}

void Qt_Pop_Up_Form::Show() {
    Pop_Up_Form::Show();
    if (!window_) return;
    Place();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void Qt_Pop_Up_Form::Hide() {
    Pop_Up_Form::Hide();
    if (window_) window_->hide();
}

void Qt_Pop_Up_Form::Left(int twips) {
    Pop_Up_Form::Left(twips);
    Place();
}
void Qt_Pop_Up_Form::Top(int twips) {
    Pop_Up_Form::Top(twips);
    Place();
}
void Qt_Pop_Up_Form::Width(int twips) {
    Pop_Up_Form::Width(twips);
    Place();
}
void Qt_Pop_Up_Form::Height(int twips) {
    Pop_Up_Form::Height(twips);
    Place();
}

void Qt_Pop_Up_Form::Place() {
    if (!window_) return;
    window_->setGeometry(Px(Left()), Px(Top()), std::max(1, Px(Width())),
                         std::max(1, Px(Height())));
}

}  // namespace vekgrid::qt
