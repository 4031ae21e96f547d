// The run log's disk fills up or turns read-only while the console runs: the operator sees a
// red notice with the reason at once, and no line written before is lost.
#include "rigs/console/ConsoleFolder.h"
#include "rigs/console/ConsoleTestPlatform.h"
#include "rigs/console/WindowProbe.h"
#include "console/mainwindow/ConsoleWindows.h"
#include "console/mainwindow/MainForm.h"
#include "support/text/Conversions.h"
#include "support/log/LogNaming.h"
#include "support/SmallDisk.h"

#include <QImage>
#include <QLabel>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace kv {
namespace {

class RecordTroubleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!disk_.Problem().empty())
            GTEST_SKIP() << disk_.Problem();
        folder_.WriteSettings();
    }
    void Open(const std::string& secondFolder)
    {
        TFilePlaces places = PlacesIn(folder_.Path());
        places.secondFolder = secondFolder;
        windows_ = std::make_unique<TConsoleWindows>(places);
        TMainForm& form = windows_->Main();
        form.resize(1280, 760);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    // Tempo up and down, each a log line, until the notice shows (at most `most` keys).
    int PressUntilNotice(int most)
    {
        QLabel& notice = Child<QLabel>(windows_->Main(), "LogTroubleNotice");
        for (int key = 0; key < most; ++key) {
            QTest::keyClick(windows_->Main().windowHandle(),
                            key % 2 ? Qt::Key_Slash : Qt::Key_Asterisk, Qt::KeypadModifier);
            if (notice.isVisible())
                return key + 1;
        }
        return most;
    }
    QString Notice() { return Child<QLabel>(windows_->Main(), "LogTroubleNotice").text(); }

    TConsoleFolder folder_;
    kvtest::TSmallDisk disk_{folder_.Path() + "logs", 64 * 1024};
    std::unique_ptr<TConsoleWindows> windows_;
};

TEST_F(RecordTroubleTest, AFullDiskIsShownInRedAtOnceAndTheLogGoesOnInTheSecondFolder)
{
    Open(folder_.Path() + "second/");
    const std::string first = windows_->Main().RunLogFile();
    EXPECT_FALSE(Child<QLabel>(windows_->Main(), "LogTroubleNotice").isVisible());
    disk_.Fill();
    const int keys = PressUntilNotice(400);
    ASSERT_LT(keys, 400) << "the disk never filled up";

    const std::string second =
        folder_.Path() + "second/logs/" + LogDateText(LocalTimeNow()) + "_0.log";
    EXPECT_TRUE(Notice().contains("No space left on device")) << Notice().toStdString();
    EXPECT_TRUE(Notice().contains(QString::fromStdString(second))) << Notice().toStdString();
    QLabel& notice = Child<QLabel>(windows_->Main(), "LogTroubleNotice");
    EXPECT_EQ(notice.grab().toImage().pixelColor(2, 2), QColor(255, 0, 0));
    // The banner and every tempo line the disk took are there, whole; the rest go on.
    const std::vector<std::string> kept = TConsoleFolder::LogMessages(first);
    const std::vector<std::string> goneOn = TConsoleFolder::LogMessages(second);
    ASSERT_GE(kept.size(), 3u);
    EXPECT_EQ(kept[1], " " + AppVersionText());
    ASSERT_FALSE(goneOn.empty());
    EXPECT_TRUE(goneOn[0].starts_with("Журнал продолжен после ошибки записи")) << goneOn[0];
    EXPECT_EQ(kept.size() - 3 + goneOn.size() - 1, static_cast<size_t>(keys));
}

TEST_F(RecordTroubleTest, AReadOnlyFolderWithoutASecondKeepsTheLinesAndSaysHowMany)
{
    Open({});
    const std::string first = windows_->Main().RunLogFile();
    const std::vector<std::string> before = TConsoleFolder::LogLines(first);
    disk_.MakeReadOnly();
    ASSERT_EQ(PressUntilNotice(2), 1);
    EXPECT_TRUE(Notice().contains("Read-only file system")) << Notice().toStdString();
    EXPECT_TRUE(Notice().endsWith("строк: 1")) << Notice().toStdString();
    EXPECT_EQ(TConsoleFolder::LogLines(first), before);

    disk_.MakeWritable();
    QTest::keyClick(windows_->Main().windowHandle(), Qt::Key_Asterisk, Qt::KeypadModifier);
    const std::vector<std::string> after = TConsoleFolder::LogMessages(first);
    // The line kept in memory first, then the new one.
    ASSERT_EQ(after.size(), before.size() + 2);
    EXPECT_EQ(after[after.size() - 2], "Изменение темпа: 100.1%");
    EXPECT_EQ(after.back(), "Изменение темпа: 100.2%");
}

}  // namespace
}  // namespace kv
