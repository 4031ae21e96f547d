#include "console/mainwindow/keys/VirtualKeys.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace kv {
namespace {

int Code(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, quint32 scanCode = 0)
{
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, 0);
    return VirtualKey(event);
}

TEST(VirtualKeysTest, KeysMapToTheCodesTheSettingsUse)
{
    EXPECT_EQ(Code(Qt::Key_F5), 116);
    EXPECT_EQ(Code(Qt::Key_F7), 118);
    EXPECT_EQ(Code(Qt::Key_Space), 32);
    EXPECT_EQ(Code(Qt::Key_Return), 13);
    EXPECT_EQ(Code(Qt::Key_Enter, Qt::KeypadModifier), 13);
    EXPECT_EQ(Code(Qt::Key_Q, Qt::ShiftModifier), 'Q');
    // The numeric pad's keys are keys of their own; the main block's minus is another.
    EXPECT_EQ(Code(Qt::Key_Minus, Qt::KeypadModifier), 109);
    EXPECT_EQ(Code(Qt::Key_Minus), 189);
    EXPECT_EQ(Code(Qt::Key_Plus, Qt::KeypadModifier), 107);
    EXPECT_EQ(Code(Qt::Key_Plus, Qt::ShiftModifier), 187);
    EXPECT_EQ(Code(Qt::Key_1, Qt::KeypadModifier), 97) << "no firing key";
    EXPECT_EQ(Code(Qt::Key_Slash), 191);
    EXPECT_EQ(Code(Qt::Key_Semicolon), 186);
    EXPECT_EQ(Code(Qt::Key_Shift), 0);
}

TEST(VirtualKeysTest, ARussianLayoutStillGivesTheLatinKeyOfThePosition)
{
    // Qt names a Cyrillic key by its capital letter; X11 key codes give the position: the
    // Й key is Q's, Ж the semicolon key's, Б the comma key's, С the C key's.
    EXPECT_EQ(Code(u'Й', Qt::NoModifier, 24), 'Q');
    EXPECT_EQ(Code(u'Ж', Qt::NoModifier, 47), 186);
    EXPECT_EQ(Code(u'Б', Qt::NoModifier, 59), 188);
    EXPECT_EQ(Code(u'С', Qt::NoModifier, 54), 'C');
    // The Russian full stop lies on the slash key.
    EXPECT_EQ(Code(Qt::Key_Period, Qt::NoModifier, 61), 191);
    // Shifted digits arrive as their symbols.
    EXPECT_EQ(Code(Qt::Key_Exclam, Qt::ShiftModifier, 10), '1');
}

}  // namespace
}  // namespace kv
