#include "window/layout.h"

#include <gtest/gtest.h>

#include <set>

namespace kalvex {
namespace {

TEST(Layout, TwipsToPixels) {
    const struct {
        int twips, dpi, pixels;
    } cases[] = {{6192, 120, 516}, {3816, 120, 318}, {15, 96, 1},      {12, 120, 1},
                 {6192, 96, 413},  {3816, 96, 254},  {1440, 144, 144}, {0, 96, 0}};
    for (const auto& c : cases) EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << "@" << c.dpi;
}

TEST(Layout, FontSizes) {
    const struct {
        int size, dpi, pixels;
    } cases[] = {{78000, 96, 10}, {78000, 120, 13}, {192000, 96, 26}, {192000, 120, 32}};
    for (const auto& c : cases) EXPECT_EQ(PointSizeToPixels(c.size, c.dpi), c.pixels) << c.size << "@" << c.dpi;
}

TEST(Layout, IdsFollowUniqueTabIndexes) {
    std::set<int> tabs;
    for (const ControlSpec& spec : kControls) {
        EXPECT_TRUE(tabs.insert(spec.tabIndex).second) << spec.name;
        EXPECT_EQ(ToInt(spec.id), 1000 + spec.tabIndex) << spec.name;
        EXPECT_EQ(FindControl(ToInt(spec.id)), &spec);
    }
    EXPECT_EQ(tabs.size(), kControls.size());
    EXPECT_EQ(FindControl(1), nullptr);
}

}  // namespace
}  // namespace kalvex
