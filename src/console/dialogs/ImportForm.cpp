#include "console/dialogs/ImportForm.h"

#include "console/dialogs/DialogButtons.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"
#include "show/import/ScriptTime.h"
#include "show/scenario/ScenarioFile.h"
#include "show/scenario/ScenarioWriter.h"
#include "support/lang/AddedMessages.h"
#include "support/platform/Platform.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr TScriptFormat kFormats[] = {TScriptFormat::Interchange, TScriptFormat::Rail,
                                      TScriptFormat::Frames, TScriptFormat::Plain};

QString Seconds(int32_t ms)
{
    return QString::fromStdString(ScenarioTimeText(ms));
}

QTreeWidget* MakeList(QWidget* parent, const char* name, const QStringList& columns)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels(columns);
    return list;
}

}  // namespace

TImportForm::TImportForm(QWidget* mainForm, std::string path, std::string bytes)
    : TAuxForm(mainForm, "TImportForm", "Импорт сценария"), path_(std::move(path)),
      bytes_(std::move(bytes))
{
    format_ = new QComboBox(this);
    format_->setObjectName("FormatBox");
    format_->addItem("авто");
    for (const TScriptFormat format : kFormats)
        format_->addItem(QString::fromStdString(std::string(ScriptFormatName(format))));
    railSize_ = new QSpinBox(this);
    railSize_->setObjectName("RailSizeBox");
    railSize_->setRange(0, 512);
    // 0: the rail size is not confirmed, so no rail past the first is taken.
    railSize_->setSpecialValueText("—");
    fps_ = new QDoubleSpinBox(this);
    fps_->setObjectName("FpsBox");
    fps_->setRange(0, 1000);
    fps_->setDecimals(3);
    fps_->setSpecialValueText("—");

    auto* options = new QGridLayout;
    options->addWidget(MakeLabel(this, "FileLabel", QString::fromStdString(path_)), 0, 0, 1, 6);
    options->addWidget(MakeLabel(this, "FormatCaption", "Формат:"), 1, 0);
    options->addWidget(format_, 1, 1);
    options->addWidget(MakeLabel(this, "RailSizeCaption", "Каналов в линейке:"), 1, 2);
    options->addWidget(railSize_, 1, 3);
    options->addWidget(MakeLabel(this, "FpsCaption", "Кадров в секунду:"), 1, 4);
    options->addWidget(fps_, 1, 5);
    options->setColumnStretch(6, 1);

    summary_ = MakeLabel(this, "SummaryLabel", {});
    cues_ = MakeList(this, "ImportCueList",
                     {"Время запуска", "Время эффекта", "Пульт", "Канал", "Эффект", "Позиция"});
    int column = 0;
    for (const int width : {100, 100, 50, 50, 240})
        cues_->setColumnWidth(column++, Scaled(width));
    refused_ = MakeList(this, "RefusedList", {"Строка", "Причина"});
    refused_->setColumnWidth(0, Scaled(60));

    save_ = MakeDialogButton(this, "SaveBtn", "Сохранить...");
    connect(save_, &QPushButton::clicked, this, [this] { SaveScenario(); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(summary_);
    layout->addWidget(cues_, 3);
    layout->addWidget(MakeLabel(this, "RefusedCaption", "Отклонённые строки:"));
    layout->addWidget(refused_, 1);
    QHBoxLayout* buttons = AddDialogButtons(*this, "AcceptBtn", "Принять", "CancelBtn", "Отмена");
    buttons->insertWidget(0, save_);
    layout->addLayout(buttons);
    accept_ = findChild<QPushButton*>("AcceptBtn");
    // Enter neither accepts nor drops the preview: each takes its own button (or Esc).
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setDefault(false);
        button->setAutoDefault(false);
    }

    connect(format_, &QComboBox::currentIndexChanged, this, [this] { Read(); });
    connect(railSize_, &QSpinBox::valueChanged, this, [this] { Read(); });
    connect(fps_, &QDoubleSpinBox::valueChanged, this, [this] { Read(); });
    resize(Scaled(860), Scaled(600));
    Read();
}

std::optional<TImportResult> TImportForm::Ask()
{
    CentreOnOwner();
    if (exec() != QDialog::Accepted || result_.cues.empty() || !result_.problem.empty())
        return std::nullopt;
    return result_;
}

void TImportForm::Read()
{
    TImportOptions options;
    if (format_->currentIndex() > 0)
        options.format = kFormats[format_->currentIndex() - 1];
    options.railSize = railSize_->value();
    options.fps = fps_->value();
    result_ = ImportShowScript(bytes_, options);

    cues_->clear();
    QList<QTreeWidgetItem*> rows;
    for (const TCue& cue : result_.cues)
        rows << new QTreeWidgetItem(
            {Seconds(cue.time), Seconds(cue.EffectTime()), QString::number(cue.module),
             QString::number(cue.channel + 1), QString::fromStdString(cue.effect),
             QString::fromStdString(cue.position)});
    cues_->addTopLevelItems(rows);
    refused_->clear();
    rows.clear();
    for (const TImportRefusal& refusal : result_.refused)
        rows << new QTreeWidgetItem(
            {QString::number(refusal.line), QString::fromStdString(refusal.reason)});
    refused_->addTopLevelItems(rows);

    const bool readable = result_.problem.empty();
    summary_->setText(QString::fromStdString(
        readable ? Localize(kMsgImportFormat) + " " + std::string(ScriptFormatName(result_.format)) +
                       ", " + Localize(kMsgImportCues) + " " + std::to_string(result_.cues.size()) +
                       ", " + Localize(kMsgImportRefused) + " " +
                       std::to_string(result_.refused.size())
                 : result_.problem));
    summary_->setStyleSheet(!readable || !result_.refused.empty() ? "color: red" : "");
    accept_->setEnabled(readable && !result_.cues.empty());
    save_->setEnabled(accept_->isEnabled());
}

void TImportForm::SaveScenario()
{
    const std::string proposed =
        QFileInfo(QString::fromStdString(path_)).completeBaseName().toStdString() + ".txt";
    const auto file = Platform().SaveFileName("Текстовые файлы|*.txt", proposed);
    if (!file)
        return;
    const std::string error = WriteScenarioFile(*file, FiringScenarioText(result_.cues));
    if (!error.empty())
        Platform().MessageBox(error, Localize(91, "Ошибка"), TButtons::Ok);
}

}  // namespace kv
