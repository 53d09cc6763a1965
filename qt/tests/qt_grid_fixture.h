#pragma once
// The grid widget on screen (offscreen under CTest), driven with real key and mouse events.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/control_fixture.h"
#include "vekgrid/qt/grid_view.h"
#include "vekgrid/qt/grid_widget.h"
#include "vekgrid/qt/qt_platform.h"

namespace vekgrid::qt {

using Lines = std::vector<std::string>;
using testing::Event_Log;

class Qt_Grid_Test : public ::testing::Test {
  protected:
    Qt_Grid_Test() : widget(std::make_unique<Grid_Widget>()) {
        widget->resize(640, 320);
        grid().Add_Listener(events);
    }
    ~Qt_Grid_Test() override {
        grid().Remove_Listener(events);
        widget.reset();
        QApplication::processEvents();
    }

    vekGRID& grid() { return widget->grid(); }
    Host_Grid& model() { return Internals_Of(grid()).GridEditor(); }

    vekColumn& Add(ColumnEditor kind, const std::string& title = "",
                   std::function<void(vekColumn&)> set = {}) {
        columns.push_back(std::make_unique<vekColumn>());
        vekColumn& c = *columns.back();
        c.Editor_Type(kind);
        c.Title(title);
        if (set) set(c);
        grid().Add_Column(c);
        return c;
    }
    void Show() {
        widget->show();
        widget->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget.get()));
        Settle();
    }
    // Lets queued syncs, paints and posted keys run.
    static void Settle() {
        for (int i = 0; i < 4; ++i) QApplication::processEvents();
    }
    QPoint Cell_Center(int row, int col) {
        return {(model().ColPos(col) + model().ColWidth(col) / 2) / kTwipsPerPixel,
                (model().RowPos(row) + model().RowHeight(row) / 2) / kTwipsPerPixel};
    }
    QPoint Cell_Corner(int row, int col) {
        return {model().ColPos(col) / kTwipsPerPixel + 1, model().RowPos(row) / kTwipsPerPixel + 1};
    }
    QWidget* Viewport() { return widget->view().viewport(); }
    void Click(int row, int col) {
        const QPoint at = Cell_Center(row, col);
        QTest::mouseMove(Viewport(), at);
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, at);
        Settle();
    }
    // Where a user's keys go: an open list first, else the focused widget.
    static QWidget* Key_Target() {
        if (QWidget* popup = QApplication::activePopupWidget())
            return popup->focusWidget() ? popup->focusWidget() : popup;
        return QApplication::focusWidget();
    }
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* target = Key_Target();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
        Settle();
    }
    static void Type(const char* text) {
        QWidget* target = Key_Target();
        ASSERT_NE(target, nullptr);
        QTest::keyClicks(target, text);
        Settle();
    }
    QImage Frame() { return widget->grab().toImage(); }
    std::string Cell() {
        return std::to_string(model().Row()) + "," + std::to_string(model().Col());
    }
    QComboBox* Combo(int col) {
        return qobject_cast<QComboBox*>(
            widget->platform().Qt_Widget_Of(Internals_Of(grid()).ComboEditor()(col)));
    }
    QLineEdit* Text_Editor() {
        return qobject_cast<QLineEdit*>(
            widget->platform().Qt_Widget_Of(Internals_Of(grid()).TextEditor()));
    }

    std::unique_ptr<Grid_Widget> widget;
    Event_Log events;
    std::vector<std::unique_ptr<vekColumn>> columns;
};

}  // namespace vekgrid::qt
