#include "console/dialogs/SettingsForm.h"

#include "console/dialogs/DialogButtons.h"
#include "console/dialogs/KeysForm.h"
#include "console/mainwindow/keys/ConsoleKeys.h"
#include "console/mainwindow/keys/VirtualKeys.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"
#include "support/text/Conversions.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kv {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

QString Localized(const TMessage& message)
{
    return Text(Localize(message));
}

QString RealText(double value)
{
    return QString::number(value, 'g', 12);
}

// Two choices of one row, the first checked unless told otherwise.
std::pair<QRadioButton*, QRadioButton*> Choice(QWidget* parent, QGridLayout& grid, int row,
                                               const char* first, const QString& firstText,
                                               const char* second, const QString& secondText)
{
    auto* a = new QRadioButton(firstText, parent);
    a->setObjectName(first);
    auto* b = new QRadioButton(secondText, parent);
    b->setObjectName(second);
    auto* group = new QButtonGroup(parent);
    group->addButton(a);
    group->addButton(b);
    auto* line = new QHBoxLayout;
    line->addWidget(a);
    line->addWidget(b);
    line->addStretch(1);
    grid.addLayout(line, row, 1);
    return {a, b};
}

// The item holding value, added when the list lacks it (a value typed into the file).
void Select(QComboBox& box, const QString& value, const QString& text)
{
    int index = box.findData(value);
    if (index < 0) {
        box.addItem(text, value);
        index = box.count() - 1;
    }
    box.setCurrentIndex(index);
}

// The text typed, or the value behind the item it names.
std::string Value(const QComboBox& box)
{
    const QString typed = box.currentText().trimmed();
    const int index = box.findText(typed);
    return (index >= 0 ? box.itemData(index).toString() : typed).toStdString();
}

}  // namespace

TSettingsForm::TSettingsForm(QWidget* mainForm,
                             std::function<std::string(const TConsoleSettings&)> apply)
    : TAuxForm(mainForm, "TSettingsForm", "Настройки"), apply_(std::move(apply))
{
    auto* grid = new QGridLayout;
    int row = 0;
    const auto add = [&](const char* name, const QString& caption, QWidget* field) {
        grid->addWidget(MakeLabel(this, name, caption), row, 0);
        if (field)
            grid->addWidget(field, row, 1);
        return row++;
    };
    const auto edit = [&](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(name);
        return field;
    };
    const auto list = [&](const char* name, bool editable) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        box->setEditable(editable);
        box->setMinimumWidth(Scaled(320));
        return box;
    };
    port_ = list("PortBox", true);
    add("PortLabel", "Порт (конвертеры USB-RS485, auto или sim:файл)", port_);
    source_ = list("TimecodeSourceBox", true);
    add("TimecodeSourceLabel", "Источник таймкода", source_);
    // Read only: a show package brings its own, the settings' serve a plain scenario.
    timecodeZero_ = MakeLabel(this, "TimecodeZeroValue", {});
    add("TimecodeZeroLabel", "Ноль таймкода шоу", timecodeZero_);
    resistLo_ = edit("ResistLoEdit");
    add("ResistLoLabel", "Короткое замыкание: ниже, Ом", resistLo_);
    resist_ = edit("ResistEdit");
    add("ResistLabel", "Подключено: ниже, Ом", resist_);
    resistHi_ = edit("ResistHiEdit");
    add("ResistHiLabel", "Неисправность: ниже, выше — обрыв, Ом", resistHi_);
    maxLate_ = edit("MaxLateEdit");
    add("MaxLateLabel", "Команда, опоздавшая больше, пропускается, мс", maxLate_);

    startKeyBtn_ = MakeDialogButton(this, "StartKeyBtn", {});
    add("StartKeyLabel", "Клавиша старта", startKeyBtn_);
    deadManKeyBtn_ = MakeDialogButton(this, "DeadManKeyBtn", {});
    QPushButton* deadManOff = MakeDialogButton(this, "DeadManOffBtn", "Выключить");
    auto* deadManLine = new QHBoxLayout;
    deadManLine->addWidget(deadManKeyBtn_, 1);
    deadManLine->addWidget(deadManOff);
    grid->addLayout(deadManLine, add("DeadManKeyLabel", "Ключ удержания", nullptr), 1);
    connect(startKeyBtn_, &QPushButton::clicked, this, [this] { Capture(startKeyBtn_); });
    connect(deadManKeyBtn_, &QPushButton::clicked, this, [this] { Capture(deadManKeyBtn_); });
    connect(deadManOff, &QPushButton::clicked, this, [this] {
        EndCapture();
        deadManKey_ = 0;
        ShowKeys();
    });

    std::tie(goNoGoOff_, goNoGoOn_) =
        Choice(this, *grid, add("GoNoGoLabel", "Окно «годен/не годен» перед стартом", nullptr),
               "GoNoGoOffRadio", "Нет", "GoNoGoOnRadio", "Да");
    language_ = list("LanguageBox", false);
    add("LanguageLabel", "Язык", language_);
    scale_ = new QSpinBox(this);
    scale_->setObjectName("ScaleBox");
    scale_->setRange(kMinScalePercent, kMaxScalePercent);
    scale_->setSingleStep(10);
    scale_->setSuffix(" %");
    add("ScaleLabel", "Масштаб", scale_);
    std::tie(day_, night_) = Choice(this, *grid, add("PaletteLabel", "Палитра", nullptr),
                                    "DayRadio", "Дневная", "NightRadio", "Ночная");

    QLabel* restart = MakeLabel(this, "RestartLabel",
                                "Порт, источник таймкода, язык и масштаб вступают в силу после "
                                "перезапуска программы.");
    restart->setWordWrap(true);
    problem_ = MakeLabel(this, "ProblemLabel", {});
    problem_->setWordWrap(true);
    problem_->setStyleSheet("color: #c00000; font-weight: bold;");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(restart);
    layout->addWidget(problem_);
    layout->addStretch(1);
    layout->addLayout(AddDialogButtons(*this, "OkBtn", "OK", "CancelBtn", "Отмена"));
    setModal(true);
}

void TSettingsForm::Open(const TConsoleSettings& settings, const std::vector<std::string>& ports,
                         const std::vector<std::string>& sources, const std::string& timecodeZero)
{
    shown_ = settings;
    port_->clear();
    port_->addItem("auto", "auto");
    for (const std::string& port : ports)
        port_->addItem(Text(port), Text(port));
    Select(*port_, Text(settings.port), Text(settings.port));
    source_->clear();
    source_->addItem(Localized(kMsgTimecodeSourceDefault), QString());
    for (const std::string& source : sources)
        source_->addItem(Text(source), Text(source));
    Select(*source_, Text(settings.timecodeSource), Text(settings.timecodeSource));
    timecodeZero_->setText(Text(timecodeZero));
    resistLo_->setText(RealText(settings.thresholds.connectResistLo));
    resist_->setText(RealText(settings.thresholds.connectResist));
    resistHi_->setText(RealText(settings.thresholds.connectResistHi));
    maxLate_->setText(QString::number(settings.maxLateMs));
    startKey_ = settings.startKey;
    deadManKey_ = settings.deadManKey;
    ShowKeys();
    (settings.goNoGoBeforeStart ? goNoGoOn_ : goNoGoOff_)->setChecked(true);
    language_->clear();
    language_->addItem(Localized(kMsgLanguageSystem), QString());
    language_->addItem("Русский", "ru");
    language_->addItem("English", "en");
    Select(*language_, Text(settings.language), Text(settings.language));
    scale_->setValue(settings.scale);
    (settings.palette == "night" ? night_ : day_)->setChecked(true);
    problem_->clear();
    adjustSize();
    CentreOnOwner();
    show();
    raise();
    activateWindow();
}

void TSettingsForm::ShowKeys()
{
    startKeyBtn_->setText(VirtualKeyName(startKey_));
    deadManKeyBtn_->setText(deadManKey_ ? VirtualKeyName(deadManKey_)
                                        : Localized(kMsgSettingsKeyOff));
}

void TSettingsForm::ShowProblem(const QString& text)
{
    problem_->setText(text);
}

void TSettingsForm::Capture(QPushButton* button)
{
    EndCapture();
    capturing_ = button;
    button->setText(Localized(kMsgSettingsPressKey));
    // Installed last, the filter sees the key first: ahead of the hold-to-fire switch and of
    // the console's stop key in every window.
    qApp->installEventFilter(this);
}

void TSettingsForm::EndCapture()
{
    if (!capturing_)
        return;
    qApp->removeEventFilter(this);
    capturing_ = nullptr;
    ShowKeys();
}

bool TSettingsForm::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // Releases go on: the hold-to-fire switch must hear its key let go.
    if (!capturing_ || (type != QEvent::KeyPress && type != QEvent::ShortcutOverride))
        return TAuxForm::eventFilter(watched, event);
    event->accept();
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (type == QEvent::ShortcutOverride || key.isAutoRepeat())
        return true;
    const int code = VirtualKey(key);
    const bool plain = (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier |
                                           Qt::ShiftModifier | Qt::MetaModifier)) == 0;
    QPushButton* button = capturing_;
    if (code == kVkEscape || code == 0) {
        EndCapture();
        return true;
    }
    const bool start = button == startKeyBtn_;
    const bool allowed = plain && (start ? StartKeyAllowed(code, deadManKey_)
                                         : DeadManKeyAllowed(code, startKey_));
    if (!allowed) {
        // Still waiting for a key the console leaves free.
        ShowProblem(Localized(kMsgSettingsKeyTaken));
        return true;
    }
    (start ? startKey_ : deadManKey_) = code;
    problem_->clear();
    EndCapture();
    return true;
}

TConsoleSettings TSettingsForm::Chosen() const
{
    TConsoleSettings chosen = shown_;
    chosen.port = Value(*port_);
    chosen.timecodeSource = Value(*source_);
    // A field that is no number reads as 0, which no range takes.
    chosen.thresholds.connectResistLo = TextToReal(resistLo_->text().trimmed().toStdString());
    chosen.thresholds.connectResist = TextToReal(resist_->text().trimmed().toStdString());
    chosen.thresholds.connectResistHi = TextToReal(resistHi_->text().trimmed().toStdString());
    chosen.maxLateMs = static_cast<int32_t>(
        ParseInteger(maxLate_->text().trimmed().toStdString(), 32).value_or(0));
    chosen.startKey = startKey_;
    chosen.deadManKey = deadManKey_;
    chosen.goNoGoBeforeStart = goNoGoOn_->isChecked();
    chosen.language = language_->currentData().toString().toStdString();
    chosen.scale = scale_->value();
    chosen.palette = night_->isChecked() ? "night" : "day";
    return chosen;
}

void TSettingsForm::accept()
{
    EndCapture();
    const TConsoleSettings chosen = Chosen();
    if (const auto fault = SettingsFault(chosen)) {
        ShowProblem(Localized(*fault));
        return;
    }
    if (!StartKeyAllowed(chosen.startKey, chosen.deadManKey) ||
        !DeadManKeyAllowed(chosen.deadManKey, chosen.startKey)) {
        ShowProblem(Localized(kMsgSettingsKeyTaken));
        return;
    }
    if (const std::string problem = apply_(chosen); !problem.empty()) {
        ShowProblem(Text(problem));
        return;
    }
    TAuxForm::accept();
}

void TSettingsForm::done(int result)
{
    EndCapture();
    TAuxForm::done(result);
}

}  // namespace kv
