#pragma once
#include <QPointer>
#include <QWidget>

#include "vekgrid/platform/services.h"
#include "vekgrid/qt/export.h"

namespace vekgrid::qt {

// A pop-up column's form, backed by a host's top-level widget (a small dialog). The control
// places it in screen twips; the widget follows. The host keeps the widget alive; hand the
// form to the column as Variant(std::make_shared<Qt_Pop_Up_Form>(dialog)).
class VEKGRID_QT_EXPORT Qt_Pop_Up_Form : public Pop_Up_Form {
  public:
    explicit Qt_Pop_Up_Form(QWidget* window);
    void Show() override;
    void Hide() override;
    void Left(int twips) override;
    void Top(int twips) override;
    void Width(int twips) override;
    void Height(int twips) override;
    using Pop_Up_Form::Height;
    using Pop_Up_Form::Left;
    using Pop_Up_Form::Top;
    using Pop_Up_Form::Width;
    double ScaleX_Pixels_To_Twips(double pixels) const override { return pixels * 15; }
    QWidget* Window() const { return window_; }

  private:
    void Place();
    QPointer<QWidget> window_;
};

}  // namespace vekgrid::qt
