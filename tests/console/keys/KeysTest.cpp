// The key reference: Ctrl+K through the window lists the keys as set, and opens on nothing
// while a show runs.
#include "rigs/console/LaunchWindow.h"
#include "console/dialogs/KeysForm.h"
#include "show/player/ExtPlayer.h"

#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(KeysTest, CtrlKListsTheKeysAsSetAndOpensOnNothingDuringAShow)
{
    TLaunchWindow window("[keys]\nStartBtn=32\n[show]\nDeadMan=66\n");
    auto& keys = window.Child<TKeysForm>("TKeysForm");
    window.Key(Qt::Key_K, Qt::ControlModifier);
    ASSERT_TRUE(keys.isVisible());
    EXPECT_EQ(Child<QLabel>(keys, "StartKey").text(), "Space");
    EXPECT_EQ(Child<QLabel>(keys, "DeadManKey").text(), "B");
    const auto& list = Child<QTreeWidget>(keys, "ActionList");
    const auto night = list.findItems("Ctrl+N", Qt::MatchExactly, 0);
    ASSERT_EQ(night.size(), 1);
    EXPECT_EQ(night[0]->text(1), "Ночная палитра");
    keys.hide();

    TLaunchWindow show;
    TMainForm& form = show.Form();
    show.Register({1});
    show.LoadScenario("0:05.00\t1\t3\n");
    show.Key(Qt::Key_F1);
    show.Key(Qt::Key_F5);
    ASSERT_TRUE(form.Player().IsRunning());
    // Opened, it would take the keys from the window that stops the show.
    show.Key(Qt::Key_K, Qt::ControlModifier);
    EXPECT_FALSE(show.Child<TKeysForm>("TKeysForm").isVisible());
    EXPECT_TRUE(form.Player().IsRunning());
    show.Key(Qt::Key_F6);
    EXPECT_FALSE(form.Player().IsRunning());
}

}  // namespace
}  // namespace kv
