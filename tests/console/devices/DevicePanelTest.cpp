// The device column through the window: rows and their colours, the radio lamps, the poll,
// the bus search, the converter's loss and return, and the boost of all modules.

#include "rigs/console/FieldConsole.h"
#include "console/panels/devices/DeviceRowText.h"
#include "console/widgets/Colors.h"
#include "console/widgets/Shape.h"
#include "devices/kinds/CommonControl.h"
#include "devices/registry/Controls.h"
#include "field/devices/SimDevice.h"
#include "show/player/ExtPlayer.h"
#include "support/text/Conversions.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <set>

namespace kv {
namespace {

// The examples write a blank as "·".
QString Dots(QString text)
{
    return text.replace(QChar(0x00B7), ' ');
}

QColor Background(QWidget& widget)
{
    return widget.palette().color(QPalette::Window);
}

QLabel& Row(TMainForm& form, int row)
{
    return Child<QLabel>(form, ("DeviceRow" + std::to_string(row)).c_str());
}

// The colours a lamp shows over a while, so that a blink is seen in both phases.
std::set<QRgb> ColoursOver(TShape& lamp, int ms)
{
    std::set<QRgb> seen;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        seen.insert(lamp.Color().rgb());
        QTest::qWait(5);
    }
    return seen;
}

// The colours a blinking lamp shows until it has shown those wanted, or for the time given: a
// loaded machine holds the blink timer back behind the bus transactions of a search.
std::set<QRgb> ColoursUntil(TShape& lamp, const std::set<QRgb>& wanted, int limitMs)
{
    std::set<QRgb> seen;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < limitMs &&
           !std::includes(seen.begin(), seen.end(), wanted.begin(), wanted.end())) {
        seen.insert(lamp.Color().rgb());
        QTest::qWait(5);
    }
    return seen;
}

void Silence(TField& field, int address, bool silent)
{
    field.WithDevice(address, [silent](TSimDevice& device) {
        device.Faults().silentFromNs = silent ? 0 : kNeverNs;
    });
}

const char kMixedField[] = R"(
[device1]
Kind=module
Address=150
Channels=120
Supply=11.72
Temperature=-5
[device2]
Kind=module
Address=12
Channels=40
Supply=12.5
Temperature=25
[device3]
Kind=hv
Address=7
Channels=64
Supply=9.8
Output=300
[device4]
Kind=module
Address=9
Channels=16
Mode=test
[device5]
Kind=module
Address=5
Version=150
Channels=16
[device6]
Kind=radio
Address=245
[device7]
Kind=remote
)";

class DevicePanelTest : public FieldConsoleTest {};

TEST_F(DevicePanelTest, RowsFollowTheRegistryInAddressOrderWithTheirReadingsAndColours)
{
    TMainForm& form = Start(kMixedField);
    EXPECT_EQ(form.findChildren<QLabel*>(QRegularExpression("^DeviceRow")).size(), 0);
    for (TShape* lamp : form.findChildren<TShape*>(QRegularExpression("^R2\\d\\d$")))
        EXPECT_EQ(lamp->Color(), NeutralColor()) << lamp->objectName().toStdString();

    for (const int address : {150, 12, 7, 9, 5, 245, 0})
        Register(address);
    // Firing modules only, sorted by address.
    ASSERT_EQ(form.findChildren<QLabel*>(QRegularExpression("^DeviceRow\\d+$")).size(), 5);
    for (const auto& [row, start] : std::vector<std::pair<int, QString>>{
             {0, "  5."}, {1, "  7."}, {2, "  9."}, {3, " 12."}, {4, "150."}})
        EXPECT_EQ(RowText(row).left(4), start) << row;
    EXPECT_EQ(Child<TShape>(form, "R245").Color(), kGreen);
    EXPECT_EQ(Child<TShape>(form, "R240").Color(), NeutralColor());

    // Mode unknown (firmware without the mode bit) yellow, test white, fire green.
    EXPECT_EQ(Background(Row(form, 0)), QColor(255, 255, 0));
    EXPECT_EQ(Background(Row(form, 2)), QColor(Qt::white));
    EXPECT_EQ(Background(Row(form, 3)), kGreen);
    EXPECT_EQ(TextColor(Row(form, 3)), NormalTextColor());

    // Boost on for every module: the poll brings the mark into each row.
    SpeedUpTimers();
    QTest::keyClick(&form, Qt::Key_Insert, Qt::ControlModifier);
    WaitFor([&] { return RowText(3)[16] == '+' && RowText(4)[16] == '+' && RowText(0)[16] == '+'; });
    EXPECT_EQ(RowText(3), Dots("·12.·40··12.50v·+·100%·+25°C"));
    EXPECT_EQ(RowText(4), Dots("150.·120·11.72v·+·100%··-5°C"));
    EXPECT_EQ(RowText(0), Dots("··5.·16··12.50v·+·100%······")) << "no temperature before 36B";

    auto& highVoltage = dynamic_cast<TCommonControl&>(*form.Controls().FindByAddress(7));
    highVoltage.pollCount = 20;
    highVoltage.pollOkCount = 19;
    highVoltage.boostState = 1;
    EXPECT_EQ(DeviceRowText(highVoltage), Dots("··7.·64···9.80v····95%··300v"));

    // A module or radio that stops answering turns red at its next poll, and back.
    Silence(Field(), 12, true);
    Silence(Field(), 245, true);
    WaitFor([&] {
        return Background(Row(form, 3)) == kRed && Child<TShape>(form, "R245").Color() == kRed;
    });
    EXPECT_EQ(Background(Row(form, 3)), kRed);
    EXPECT_EQ(TextColor(Row(form, 3)), QColor(Qt::white));
    EXPECT_EQ(RowText(3).left(8), " 12. 40 ") << "address and count stay";
    EXPECT_EQ(RowText(3).mid(8, 7), "  0.00v");
    EXPECT_EQ(Child<TShape>(form, "R245").Color(), kRed);
    Silence(Field(), 12, false);
    Silence(Field(), 245, false);
    WaitFor([&] {
        return Background(Row(form, 3)) == kGreen && Child<TShape>(form, "R245").Color() == kGreen;
    });
    EXPECT_EQ(Background(Row(form, 3)), kGreen);
    EXPECT_EQ(Child<TShape>(form, "R245").Color(), kGreen);
    EXPECT_EQ(form.Controls().Count(), 7) << "the poll never removes a device";

    // Boost off for every module.
    QTest::keyClick(&form, Qt::Key_Delete, Qt::ControlModifier);
    WaitFor([&] { return RowText(3)[16] == ' '; });
    EXPECT_EQ(RowText(3)[16], ' ');
}

TEST_F(DevicePanelTest, SearchRunsWhileTheButtonIsDownAndLogsWhatItFound)
{
    TMainForm& form = Start(R"(
[field]
Converters=2
[device1]
Kind=module
Address=1
[device2]
Kind=module
Address=2
Converter=1
[device3]
Kind=radio
Address=240
[device4]
Kind=remote
)");
    SpeedUpTimers();
    auto& idle = Child<QTimer>(form, "IdleTimer");
    ASSERT_TRUE(Click("SearchBtn"));
    EXPECT_FALSE(idle.isActive());
    EXPECT_TRUE(Child<QWidget>(form, "SearchPanel").isVisible());
    EXPECT_FALSE(Child<QWidget>(form, "TimePanel").isVisible());
    EXPECT_EQ(Child<QLabel>(form, "WaitLabel").text(), "Поиск...");
    const std::set<QRgb> blink{kGreen.rgb(), NeutralColor().rgb()};
    EXPECT_EQ(ColoursUntil(Child<TShape>(form, "WaitLed"), blink, 3000), blink);

    // A stop from another station must not restart the poll under the search.
    form.Player().HandleMessage({0x90, 0, 0, 0, 0, 0});
    EXPECT_FALSE(idle.isActive());

    // The round runs 240-254, the stations, then 0, 1, 2, 3 …
    ASSERT_TRUE(WaitFor(
        [&] {
            const int address = Child<QLabel>(form, "SearchIdLabel").text().toInt();
            return address >= 3 && address < 200;
        },
        20000));
    const int address = Child<QLabel>(form, "SearchIdLabel").text().toInt();
    EXPECT_EQ(Child<QLabel>(form, "SearchCycleLabel").text(),
              QString::number(RoundHalfAway(address * 100.0 / 255)) + "%");
    EXPECT_EQ(Child<QLabel>(form, "SearchConvertersLabel").text(), "2");
    EXPECT_EQ(Child<QLabel>(form, "SearchModulesLabel").text(), "2");
    EXPECT_EQ(Child<QLabel>(form, "SearchRadiosLabel").text(), "1");
    EXPECT_EQ(Child<QLabel>(form, "SearchRemoteLabel").text(), "1");
    EXPECT_EQ(RowText(1).left(4), "  2.");

    QTest::keyClick(form.windowHandle(), Qt::Key_F10);  // the search key ends it too
    EXPECT_FALSE(Child<QPushButton>(form, "SearchBtn").isChecked());
    EXPECT_TRUE(idle.isActive());
    EXPECT_FALSE(Child<QWidget>(form, "SearchPanel").isVisible());
    EXPECT_TRUE(Child<QWidget>(form, "TimePanel").isVisible());
    EXPECT_EQ(Child<QLabel>(form, "WaitLabel").text(), "Ожидание");
    const auto messages = TConsoleFolder::LogMessages(form.RunLogFile());
    ASSERT_GE(messages.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(messages.end() - 5, messages.end()),
              (std::vector<std::string>{"Всего подключенных устройств: 4", "Преобразователей: 2",
                                        "Пультов: 2", "Блоков радиосвязи: 1", "ПДУ(Р): 1"}));
}

TEST_F(DevicePanelTest, ALostConverterBlinksRedUntilItIsBackAndIsLoggedOnceEachWay)
{
    TMainForm& form = Start("[device1]\nKind=module\nAddress=1\n");
    SpeedUpTimers();
    auto& lamp = Child<TShape>(form, "RS485");
    auto& label = Child<QLabel>(form, "RS485Label");
    ASSERT_EQ(label.text(), "RS485: 1");
    const auto count = [&](const std::string& message) {
        const auto messages = TConsoleFolder::LogMessages(form.RunLogFile());
        return std::count(messages.begin(), messages.end(), message);
    };

    Field().Unplug(0, Field().ElapsedMs());
    ASSERT_TRUE(WaitFor([&] { return count("Ошибка преобразователя") > 0; }));
    EXPECT_EQ(label.text(), "RS485: 0");
    QTest::qWait(50);  // the lamp keeps its green until the first blink
    const std::set<QRgb> blink{kRed.rgb(), NeutralColor().rgb()};
    EXPECT_EQ(ColoursUntil(lamp, blink, 3000), blink);

    Field().Plug(0, Field().ElapsedMs());
    ASSERT_TRUE(WaitFor([&] { return count("Преобразователь подключен") > 0; }));
    EXPECT_EQ(label.text(), "RS485: 1");
    EXPECT_EQ(TextColor(label), kBlack);
    EXPECT_EQ(ColoursOver(lamp, 150), std::set<QRgb>{kGreen.rgb()});
    EXPECT_EQ(count("Ошибка преобразователя"), 1);
    EXPECT_EQ(count("Преобразователь подключен"), 1);
}

}  // namespace
}  // namespace kv
