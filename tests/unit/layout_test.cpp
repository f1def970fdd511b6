#include "window/layout.h"

#include <gtest/gtest.h>

#include <set>

namespace kalvex {
namespace {

TEST(Layout, TwipsToPixels) {
    const struct {
        int twips, dpi, pixels;
    } cases[] = {{6192, 120, 516}, {3816, 120, 318}, {15, 96, 1},   {12, 120, 1},
                 {6192, 96, 413},  {3816, 96, 254},  {1440, 144, 144}, {0, 96, 0}};
    for (const auto& c : cases) EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << "@" << c.dpi;
}

TEST(Layout, FontSizes) {
    const struct {
        int size, dpi, pixels;
    } cases[] = {{78000, 96, 10}, {78000, 120, 13}, {192000, 96, 26}, {192000, 120, 32}};
    for (const auto& c : cases) EXPECT_EQ(PointSizeToPixels(c.size, c.dpi), c.pixels) << c.size << "@" << c.dpi;
}

TEST(Layout, SectionsLieInsideAndBelowTheClientArea) {
    const std::set<ControlId> quick = {ControlId::Label1_0, ControlId::Label1_1, ControlId::Command1_0,
                                       ControlId::Command1_1, ControlId::Command2};
    for (const ControlSpec& spec : kControls) {
        if (quick.count(spec.id)) {
            EXPECT_LE(spec.left + spec.width, kClientWidthTwips) << spec.name;
            EXPECT_LE(spec.top + spec.height, kClientHeightTwips) << spec.name;
        } else {
            EXPECT_GE(spec.top, 4200) << spec.name;
            EXPECT_GT(spec.top, kClientHeightTwips) << spec.name;
        }
    }
}

TEST(Layout, IdsFollowUniqueTabIndexes) {
    std::set<int> tabs;
    for (const ControlSpec& spec : kControls) {
        EXPECT_TRUE(tabs.insert(spec.tabIndex).second) << spec.name;
        EXPECT_EQ(ToInt(spec.id), 1000 + spec.tabIndex) << spec.name;
        EXPECT_EQ(&FindControl(spec.id), &spec);
    }
    EXPECT_EQ(tabs.size(), kControls.size());
}

TEST(Layout, KeyboardOrderOfTheNormalModeControls) {
    // Labels cannot take the focus and Proceed/Cancel are hidden in normal mode.
    std::vector<ControlId> order;
    for (const ControlSpec& spec : ControlsInTabOrder()) {
        if (spec.kind != ControlKind::Label && spec.kind != ControlKind::ColouredButton) order.push_back(spec.id);
    }
    const std::vector<ControlId> expected = {ControlId::text1,      ControlId::cmdRegister, ControlId::cmdUnregister,
                                             ControlId::cmdExit,    ControlId::File1,       ControlId::Command1_1,
                                             ControlId::Command1_0, ControlId::Command2};
    EXPECT_EQ(order, expected);
}

}  // namespace
}  // namespace kalvex
