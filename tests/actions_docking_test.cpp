// Docking: the glue test, snapping to windows and to the work area, lifting a stack back onto
// the screen, which windows follow the main window, and title-bar drags with synthetic mouse
// events whose places reach setup.ini.
#include <QFile>

#include "player/core/settings_store.h"
#include "player/actions/docking.h"
#include "tests/actions_test_support.h"
#include "tests/skin_test_support.h"

namespace {

using namespace skin_test;
using namespace actions_test;

const TBounds kMain{150, 110, 275, 116};

TEST(Glue, EdgeToEdgeWithOverlapOnly) {
    const TBounds under{150, 226, 275, 116};
    EXPECT_TRUE(IsGlued(kMain, under));
    EXPECT_TRUE(IsGlued(under, kMain)) << "symmetric";
    EXPECT_TRUE(IsGlued(kMain, {425, 200, 100, 100})) << "side by side, overlapping rows";
    EXPECT_FALSE(IsGlued(kMain, {425, 226, 100, 100})) << "a shared corner only";
    EXPECT_FALSE(IsGlued(kMain, {150, 227, 275, 116})) << "one pixel apart";
    EXPECT_FALSE(IsGlued(kMain, {425, 0, 100, 110})) << "meeting at the top-right corner";
}

TEST(Snap, BelowAnotherWindowDocksAndLinesUp) {
    TBounds c{153, 300, 275, 116};
    bool yFree = true, xFree = true;
    SnapToWindow(153, 230, yFree, xFree, kMain, c);
    EXPECT_EQ(c.Top, 226) << "4 pixels below the main window's bottom";
    EXPECT_EQ(c.Left, 150) << "left edge within 5 lines up";
    EXPECT_FALSE(yFree);
    EXPECT_FALSE(xFree);

    TBounds far{0, 0, 275, 116};
    yFree = xFree = true;
    SnapToWindow(160, 232, yFree, xFree, kMain, far);
    EXPECT_TRUE(yFree && xFree) << "6 pixels off: no snap";
    EXPECT_EQ(far, (TBounds{0, 0, 275, 116}));
}

TEST(Snap, AlreadyOnTheEdgeOnlyLinesUp) {
    // Proposed exactly on the bottom: the below-test leaves it; glued, it lines up with the left.
    TBounds c{152, 226, 275, 116};
    bool yFree = true, xFree = true;
    SnapToWindow(152, 226, yFree, xFree, kMain, c);
    EXPECT_TRUE(yFree);
    EXPECT_FALSE(xFree);
    EXPECT_EQ(c.Left, 150);
}

TEST(Snap, FivePixelsFromAWindowEdgeIsOutsideTheSnapDistance) {
    // The window snap wants strictly less than 5 on every side; lining up takes 5 itself.
    struct Case {
        int x, y;
        const char* what;
    };
    // kMain spans x 150..425, y 110..226; the moving window is 100 x 50.
    const Case off[] = {{200, 231, "5 below the bottom"}, {200, 221, "5 above the bottom"},
                        {200, 55, "its bottom 5 under the top"}, {200, 65, "its bottom 5 over the top"},
                        {430, 140, "5 right of the right edge"}, {420, 140, "5 left of the right edge"},
                        {45, 140, "its right 5 left of the left edge"},
                        {55, 140, "its right 5 right of the left edge"}};
    for (const Case& k : off) {
        TBounds c{0, 0, 100, 50};
        bool yFree = true, xFree = true;
        SnapToWindow(k.x, k.y, yFree, xFree, kMain, c);
        EXPECT_TRUE(yFree && xFree) << k.what;
        EXPECT_EQ(c, (TBounds{0, 0, 100, 50})) << k.what;
    }
    TBounds near{0, 0, 100, 50};
    bool yFree = true, xFree = true;
    SnapToWindow(200, 230, yFree, xFree, kMain, near);
    EXPECT_EQ(near.Top, 226) << "4 below snaps";
    EXPECT_TRUE(xFree) << "the left edge is 50 away: nothing to line up";

    // Docked below, a left edge exactly 5 off still lines up (at most 5).
    TBounds c{155, 300, 100, 50};
    yFree = xFree = true;
    SnapToWindow(155, 228, yFree, xFree, kMain, c);
    EXPECT_EQ(c.Top, 226);
    EXPECT_EQ(c.Left, 150);
    EXPECT_FALSE(xFree);
    // And beside it, a top edge 5 off lines up with the top.
    TBounds d{427, 105, 100, 50};
    yFree = xFree = true;
    SnapToWindow(427, 105, yFree, xFree, kMain, d);
    EXPECT_EQ(d.Left, 425);
    EXPECT_EQ(d.Top, 110);
}

TEST(Snap, WorkAreaTakesExactlyFivePixels) {
    const TBounds work{0, 0, 800, 600};
    struct Case {
        int x, y;
        bool snapsX, snapsY;
        const char* what;
    };
    // The window is 100 x 50.
    const Case cases[] = {{5, 300, true, false, "5 from the left"}, {300, 5, false, true, "5 from the top"},
                          {695, 300, true, false, "5 from the right"}, {300, 545, false, true, "5 from the bottom"},
                          {-5, 300, true, false, "5 past the left"}};
    for (const Case& k : cases) {
        TBounds c{300, 300, 100, 50};
        int dx = 0, dy = 0;
        bool yFree = true, xFree = true;
        SnapToWorkArea(k.x, k.y, dy, dx, yFree, xFree, c, {}, work);
        EXPECT_EQ(!xFree, k.snapsX) << k.what;
        EXPECT_EQ(!yFree, k.snapsY) << k.what;
        if (k.snapsX) {
            EXPECT_TRUE(c.Left == 0 || c.Left == 700) << k.what;
        }
        if (k.snapsY) {
            EXPECT_TRUE(c.Top == 0 || c.Top == 550) << k.what;
        }
    }
}

TEST(Snap, WorkAreaEdgesWithinFivePixels) {
    const TBounds work{0, 0, 800, 600};
    TBounds c{100, 100, 275, 116};
    int dx = -97, dy = 0;
    bool yFree = true, xFree = true;
    SnapToWorkArea(3, 100, dy, dx, yFree, xFree, c, {}, work);
    EXPECT_EQ(c.Left, 0);
    EXPECT_EQ(dx, -100) << "glued windows make the same extra move";
    EXPECT_FALSE(xFree);
    EXPECT_TRUE(yFree);

    TBounds d{100, 100, 275, 116};
    dx = dy = 0;
    yFree = xFree = true;
    SnapToWorkArea(6, 100, dy, dx, yFree, xFree, d, {}, work);
    EXPECT_TRUE(xFree) << "6 pixels off the edge does not snap";
}

TEST(Snap, GlueGroupSnapsAsOneBoxAndTheBottomWins) {
    const TBounds work{0, 0, 800, 350};
    TBounds c{150, 110, 275, 116};
    // The equaliser hangs under: the box runs from the main top to the equaliser bottom.
    const std::vector<TBounds> glued{{150, 226, 275, 116}};
    int dx = 0, dy = -106;
    bool yFree = true, xFree = true;
    SnapToWorkArea(150, 4, dy, dx, yFree, xFree, c, glued, work);
    EXPECT_EQ(c.Top, 0) << "top of the box at the top edge";
    EXPECT_EQ(dy, -110);

    const TBounds tight{0, 0, 800, 236};
    TBounds e{150, 110, 275, 116};
    dx = 0;
    dy = -106;
    yFree = xFree = true;
    SnapToWorkArea(150, 4, dy, dx, yFree, xFree, e, glued, tight);
    EXPECT_EQ(e.Top, 4 + 236 - (4 + 232)) << "within 5 of both edges: the bottom snap comes last and wins";
}

TEST(KeepOnScreenTest, LiftsTheStackThatRanBelowTheWorkArea) {
    const TBounds work{0, 0, 800, 600};
    std::optional<TBounds> m = TBounds{150, 398, 275, 116};
    std::optional<TBounds> p = TBounds{150, 514, 275, 116};
    std::optional<TBounds> e = TBounds{150, 282, 275, 116};
    KeepOnScreen(m, p, e, work);
    EXPECT_EQ(p->Top, 484) << "the lowest is lifted by 30";
    EXPECT_EQ(m->Top, 368) << "the one glued above it too";
    EXPECT_EQ(e->Top, 252) << "and the one glued above that";

    std::optional<TBounds> a = TBounds{0, 500, 100, 120}, b = TBounds{200, 500, 100, 120}, none;
    KeepOnScreen(a, b, none, work);
    EXPECT_EQ(a->Top, 500) << "two share the lowest bottom: nothing is lifted";
    EXPECT_EQ(b->Top, 500);
}

TEST(GlueDiscovery, ChainsThroughListWindowsButNotThroughVideo) {
    const TBounds eq{150, 226, 275, 116};
    const TBounds pl{150, 342, 275, 116};
    const TBounds video{425, 110, 300, 200};
    const TBounds besideVideo{725, 110, 275, 348};
    const TGlueFlags f = DiscoverGlue(kMain, pl, eq, video, besideVideo);
    EXPECT_TRUE(f.Equalizer);
    EXPECT_TRUE(f.Playlist) << "glued to the glued equaliser";
    EXPECT_TRUE(f.Video);
    EXPECT_FALSE(f.Browser) << "touching only the video window";
    EXPECT_EQ(DiscoverGlue(kMain, std::nullopt, std::nullopt, std::nullopt, std::nullopt), TGlueFlags{});
}

class DragTest : public SkinFixture {};

TEST_F(DragTest, MainTitleDragTakesTheDockedWindowsAndTheirPlacesAreSaved) {
    Open();
    Form5->move(600, 400);  // away from the main window: it must stay
    const QPoint eq = EqualizerWindow->pos(), pl = PlaylistWindow->pos();
    // The cursor's screen points: the window moves under it as it goes.
    const QPoint grab = form_->mapToGlobal(QPoint(100, 5));
    SendAt(form_, QEvent::MouseButtonPress, grab);
    SendAt(form_, QEvent::MouseMove, grab + QPoint(50, 25));
    SendAt(form_, QEvent::MouseMove, grab + QPoint(100, 50));
    SendAt(form_, QEvent::MouseButtonRelease, grab + QPoint(100, 50));
    EXPECT_EQ(form_->pos(), QPoint(250, 160));
    EXPECT_EQ(EqualizerWindow->pos(), eq + QPoint(100, 50));
    EXPECT_EQ(PlaylistWindow->pos(), pl + QPoint(100, 50));
    EXPECT_EQ(Form5->pos(), QPoint(600, 400));
    form_->QuietClose = true;
    form_->close();
    TSettingsStore saved;
    saved.Load(dir_.path() + "/setup.ini");
    EXPECT_EQ(saved.ReadInteger("MA_L", 0), 250);
    EXPECT_EQ(saved.ReadInteger("MA_T", 0), 160);
    EXPECT_EQ(saved.ReadInteger("EQ_T", 0), eq.y() + 50);
    EXPECT_EQ(saved.ReadInteger("PL_T", 0), pl.y() + 50);
}

TEST_F(DragTest, ListWindowAloneSnapsToTheMainWindow) {
    Open();
    EqualizerWindow->hide();
    Form5->hide();
    PlaylistWindow->move(400, 400);
    // Dragged so that its top lands 3 pixels under the main window's bottom, 4 right of its left.
    const QPoint grab = PlaylistWindow->mapToGlobal(QPoint(50, 5));
    SendAt(PlaylistWindow, QEvent::MouseButtonPress, grab);
    SendAt(PlaylistWindow, QEvent::MouseMove, grab + QPoint(154 - 400, 229 - 400));
    SendAt(PlaylistWindow, QEvent::MouseButtonRelease, grab + QPoint(154 - 400, 229 - 400));
    EXPECT_EQ(PlaylistWindow->pos(), QPoint(150, 226));
    EXPECT_EQ(form_->pos(), QPoint(150, 110)) << "the main window does not follow a list window";
}

}  // namespace
