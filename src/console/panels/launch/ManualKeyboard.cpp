#include "console/panels/launch/ManualKeyboard.h"

#include "console/widgets/Colors.h"
#include "console/widgets/Palette.h"
#include "console/widgets/Widgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr char kLetters[] = "1234567890QWERTYUIOPASDFGHJKL;ZXCVBNM<>/";
const QColor kEmptyCell{166, 166, 166};
const QColor kEmptyLetter{128, 128, 128};
const QColor kFiredLetter{63, 63, 63};
const QColor kBlue{0, 0, 255};
const QColor kWhite{255, 255, 255};
constexpr int kKeysPerRow = 10;

}  // namespace

TManualKeyboard::TManualKeyboard(QWidget* parent) : QFrame(parent)
{
    setObjectName("ManualPanel");
    setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < kKeys; ++i) {
        const QString n = QString::number(i);
        auto* key = new QWidget(this);
        auto* column = new QVBoxLayout(key);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(1);
        letters[i] = MakeLabel(key, "BKey" + n, QString(QChar(kLetters[i])));
        letters[i]->setAlignment(Qt::AlignCenter);
        SetTextColor(*letters[i], kEmptyLetter);
        cells[i] = new QFrame(key);
        cells[i]->setObjectName("Key" + n);
        cells[i]->setFrameShape(QFrame::Box);
        cells[i]->setMinimumSize(40, 30);
        cells[i]->setAutoFillBackground(true);
        PaintBackground(*cells[i], kEmptyCell);
        auto* inside = new QVBoxLayout(cells[i]);
        inside->setContentsMargins(0, 0, 0, 0);
        channels[i] = MakeLabel(cells[i], "LKey" + n, "");
        channels[i]->setAlignment(Qt::AlignCenter);
        inside->addWidget(channels[i]);
        column->addWidget(letters[i]);
        column->addWidget(cells[i]);
        grid->addWidget(key, i / kKeysPerRow, i % kKeysPerRow);
    }
    moduleCaption = MakeLabel(this, "ManualModuleCaption", "Пульт:");
    module = MakeLabel(this, "ManualModuleLabel", "");
    pageCaption = MakeLabel(this, "ManualPageCaption", "Страница:");
    page = MakeLabel(this, "ManualPageLabel", "");
    grid->addWidget(moduleCaption, 0, kKeysPerRow);
    grid->addWidget(module, 1, kKeysPerRow);
    grid->addWidget(pageCaption, 2, kKeysPerRow);
    grid->addWidget(page, 3, kKeysPerRow);
    moduleCaption->hide();
    pageCaption->hide();
    hide();
}

void TManualKeyboard::ShowChannel(int key, int channel, uint8_t state, bool fired)
{
    static const std::array<QColor, 4> kCells{NeutralColor(), kGreen, kBlue, kRed};
    PaintBackground(*cells[key], state < kCells.size() ? kCells[state] : kCells[0]);
    channels[key]->setText(QString::number(channel + 1));
    SetTextColor(*channels[key], state >= 2 ? kWhite : kBlack);
    SetTextColor(*letters[key], fired ? kFiredLetter : kBlack);
}

void TManualKeyboard::ShowBlank(int key, bool dimmed)
{
    PaintBackground(*cells[key], dimmed ? kEmptyLetter : kEmptyCell);
    channels[key]->clear();
    SetTextColor(*letters[key], kEmptyLetter);
}

void TManualKeyboard::ShowModule(int address, int pageNumber)
{
    moduleCaption->show();
    pageCaption->show();
    module->setText(QString::number(address));
    page->setText(QString::number(pageNumber));
}

void TManualKeyboard::HideModule()
{
    moduleCaption->hide();
    pageCaption->hide();
    module->clear();
    page->clear();
}

}  // namespace kv
