#include "shell/tray_logic.h"

#include <gtest/gtest.h>

namespace vq {
namespace {

TEST(IconGuard, OnlyDoubleClickAndContextAct) {
    IconGuard guard;
    for (IconEvent ignored : {IconEvent::Trigger, IconEvent::MiddleClick, IconEvent::Unknown}) {
        EXPECT_EQ(guard.begin(ignored), IconAction::None);
        // An ignored event leaves nothing running: the next double-click still acts.
        EXPECT_FALSE(guard.busy());
    }
    EXPECT_EQ(guard.begin(IconEvent::DoubleClick), IconAction::ShowMainWindow);
    guard.finish();
    EXPECT_EQ(guard.begin(IconEvent::Context), IconAction::PopUpMenu);
    guard.finish();
}

TEST(IconGuard, OnADBusNotificationAreaTheActivationBringsTheMainWindowBack) {
    EXPECT_EQ(notificationAreaKind(true, false), NotificationAreaKind::XEmbed);
    EXPECT_EQ(notificationAreaKind(false, true), NotificationAreaKind::XEmbed);
    IconGuard guard(notificationAreaKind(true, true));
    EXPECT_EQ(guard.begin(IconEvent::Trigger), IconAction::ShowMainWindow);
    EXPECT_EQ(guard.begin(IconEvent::Trigger), IconAction::None);  // the window is still being shown
    guard.finish();
    EXPECT_EQ(guard.begin(IconEvent::MiddleClick), IconAction::None);
    EXPECT_EQ(guard.begin(IconEvent::Context), IconAction::PopUpMenu);
}

TEST(IconGuard, IgnoresEventsWhileAnActionRuns) {
    IconGuard guard;
    ASSERT_EQ(guard.begin(IconEvent::Context), IconAction::PopUpMenu);
    // The menu is open (nested event loop): a second right click or a double-click is dropped.
    EXPECT_EQ(guard.begin(IconEvent::Context), IconAction::None);
    EXPECT_EQ(guard.begin(IconEvent::DoubleClick), IconAction::None);
    EXPECT_TRUE(guard.busy());
    guard.finish();
    EXPECT_EQ(guard.begin(IconEvent::DoubleClick), IconAction::ShowMainWindow);
}

TEST(TrayPolicy, WithoutNotificationAreaTheWindowStaysReachable) {
    EXPECT_EQ(reduceAction(true), ReduceAction::Hide);
    EXPECT_FALSE(listedInTaskList(true));
    EXPECT_EQ(reduceAction(false), ReduceAction::Minimize);
    EXPECT_TRUE(listedInTaskList(false));
}

TEST(TrayState, FollowsTheCountingAndTheAllowanceAndChangesTheIconOnlyWhenItChanges) {
    const AllowanceUse nearly{28800, 36000};  // 80 % of 10 h
    EXPECT_EQ(trayState(false, nearly, 80), TrayState::NotConnected);
    EXPECT_EQ(trayState(true, std::nullopt, 80), TrayState::Counting);  // no allowance
    EXPECT_EQ(trayState(true, AllowanceUse{28799, 36000}, 80), TrayState::Counting);
    EXPECT_EQ(trayState(true, nearly, 80), TrayState::NearlyUsed);
    EXPECT_EQ(trayState(true, nearly, 90), TrayState::Counting);
    EXPECT_EQ(trayState(true, AllowanceUse{36000, 36000}, 80), TrayState::Exceeded);

    TrayIconState icon;
    EXPECT_TRUE(icon.change(TrayState::NotConnected));  // the first state is always drawn
    EXPECT_FALSE(icon.change(TrayState::NotConnected));
    EXPECT_TRUE(icon.change(TrayState::Counting));
    EXPECT_FALSE(icon.change(TrayState::Counting));
    EXPECT_TRUE(icon.change(TrayState::Exceeded));
    EXPECT_TRUE(icon.change(TrayState::NotConnected));
}

}  // namespace
}  // namespace vq
