// Drawing on the screen reaches the X server's root window: only the drawn pixels change, and
// they show over the windows there.
#include "XServerSupport.h"
#include "toolkit/platform/X11Backend.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace qel;
using namespace qel::test;

TEST(X11Screen, DrawnPixelsGoOntoTheRootWindowAndNothingElse) {
    TXServer Server;
    QEL_NEED_X_SERVER(Server);
    auto X = TX11Backend::Open(Server.Display().c_str());
    ASSERT_TRUE(X);
    TSurface Before;
    X->ReadScreen(Before);
    ASSERT_GT(Before.Width, 40);
    TSurface Picture = Before;
    std::vector<std::uint8_t> Drawn(Picture.Pixels.size(), 0);
    for (int Y = 10; Y < 20; ++Y)
        for (int Xp = 10; Xp < 20; ++Xp) {
            Picture.Set(Xp, Y, 0xFF0000);
            Drawn[static_cast<std::size_t>(Y) * Picture.Width + Xp] = 1;
        }
    // An undrawn pixel inside the area keeps what the screen shows, not the old picture.
    Picture.Set(25, 15, 0x00FF00);
    EXPECT_TRUE(X->PresentScreen(Picture, Drawn, {10, 10, 30, 20}));
    X->Sync();
    TSurface After;
    X->ReadScreen(After);
    EXPECT_EQ(After.Get(15, 15), 0xFF0000u);
    EXPECT_EQ(After.Get(25, 15), Before.Get(25, 15));
    EXPECT_EQ(After.Get(5, 5), Before.Get(5, 5));
}
