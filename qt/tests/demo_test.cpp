// The demo window as a person uses it: typing lengths, saving, opening again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "demo_window.h"
#include "vekgrid/control/internals.h"
#include "vekgrid/qt/grid_view.h"
#include "vekgrid/qt/qt_platform.h"

namespace {

using vekgrid::Col_Attr::Alignment;
using vekgrid::Col_Attr::Editor;
using vekgrid::Col_Attr::Title;
using vekgrid::Col_Attr::Width;

class Demo_Test : public ::testing::Test {
  protected:
    Demo_Test() {
        window.Fit_To_Screen(1100, 620);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        Settle();
    }
    static void Settle() {
        for (int i = 0; i < 4; ++i) QApplication::processEvents();
    }
    vekgrid::vekGRID& grid() { return window.grid(); }
    int Column(const std::string& title) {
        for (int j = 1; j < grid().Cols(); ++j)
            if (Internals_Of(grid()).Column_Properties()(Title, j).To_Text() == title) return j;
        return -1;
    }
    void Click(int row, int col) {
        vekgrid::Host_Grid& g = Internals_Of(grid()).GridEditor();
        QWidget* viewport = window.grid_widget().view().viewport();
        const QPoint at((g.ColPos(col) + g.ColWidth(col) / 2) / vekgrid::qt::kTwipsPerPixel,
                        (g.RowPos(row) + g.RowHeight(row) / 2) / vekgrid::qt::kTwipsPerPixel);
        QTest::mouseMove(viewport, at);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        Settle();
    }
    static void Keys(const char* text) {
        QTest::keyClicks(QApplication::focusWidget(), text);
        Settle();
    }
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        Settle();
    }

    vekgrid_demo::Demo_Window window;
};

TEST_F(Demo_Test, TheWindowFitsItsScreen) {
    window.Fit_To_Screen(5000, 4000);
    Settle();
    const QRect room = window.screen()->availableGeometry();
    EXPECT_LE(window.width(), room.width());
    EXPECT_LE(window.height(), room.height());
    EXPECT_TRUE(room.contains(window.geometry().topLeft()));
}

TEST_F(Demo_Test, LengthsTakeFeetInchMarksAndBrackets) {
    const int length = Column("Length (in)");
    ASSERT_GT(length, 0);
    Click(1, length);
    Keys("=(1+2)*3");
    EXPECT_EQ(window.grid().TextEditor_Text(), "=(1+2)*3") << "every key reached the box";
    Key(Qt::Key_Down);
    EXPECT_EQ(grid().Cell_Text(1, length), "9");
    Keys("12'-6\"");
    EXPECT_EQ(window.grid().TextEditor_Text(), "12'-6\"");
    Key(Qt::Key_Down);
    EXPECT_EQ(grid().Cell_Text(2, length), "150");
}

TEST_F(Demo_Test, OpenAfterSaveGivesBackTheDesignAndCtrlSSavesAgain) {
    QTemporaryDir dir;
    const QString path = dir.filePath("takeoff.txt");
    struct Design {
        std::string title;
        std::int32_t editor, width, alignment;
        bool operator==(const Design&) const = default;
    };
    auto design = [&] {
        std::vector<Design> out;
        const auto& table = Internals_Of(grid()).Column_Properties();
        for (int j = 1; j < grid().Cols(); ++j)
            out.push_back({table(Title, j).To_Text(), table(Editor, j).To_Long(),
                           grid().ColWidth(j), table(Alignment, j).To_Long()});
        return out;
    };
    const std::vector<Design> before = design();
    const int ordered = Column("Ordered"), item = Column("Item");
    const std::string ticks = grid().Cell_Text(1, ordered) + grid().Cell_Text(12, ordered);
    ASSERT_EQ(ticks, "10");
    ASSERT_TRUE(window.Save_Path(path, false));
    ASSERT_TRUE(window.Open_Path(path));
    Settle();
    const std::vector<Design> after = design();
    ASSERT_EQ(after.size(), before.size());
    for (size_t j = 0; j < after.size(); ++j)
        EXPECT_TRUE(after[j] == before[j]) << "column " << j + 1 << " " << after[j].title;
    EXPECT_EQ(grid().Cell_Text(1, ordered) + grid().Cell_Text(12, ordered), ticks);
    EXPECT_EQ(grid().Cell_Text(1, item), "Sill plate");

    // Ctrl+S writes the open file again, without asking where.
    Click(1, item);
    Keys("Sill plates");
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    Settle();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Sill plates"));
    EXPECT_EQ(window.Current_File(), path);
}

}  // namespace
