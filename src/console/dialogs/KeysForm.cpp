#include "console/dialogs/KeysForm.h"

#include "console/dialogs/DialogButtons.h"
#include "console/mainwindow/keys/VirtualKeys.h"
#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kv {

TKeysForm::TKeysForm(QWidget* mainForm) : TAuxForm(mainForm, "TKeysForm", "Клавиши")
{
    auto* grid = new QGridLayout;
    int row = 0;
    const auto add = [&](const char* name, const QString& keys, const QString& text) {
        QLabel* key = MakeLabel(this, QString(name) + "Key", keys);
        QLabel* what = MakeLabel(this, QString(name) + "Text", text);
        QFont bold = key->font();
        bold.setBold(true);
        key->setFont(bold);
        grid->addWidget(key, row, 0);
        grid->addWidget(what, row++, 1);
        return std::pair{key, what};
    };
    add("Stop", "F6, Esc", "Остановка шоу; F6 ещё раз останавливает фонограмму");
    add("StopAnywhere", "F6", "В любом окне: остановка шоу и отмена ожидания запуска");
    startKey_ = add("Start", "F5", "Старт ([keys] StartBtn)").first;
    std::tie(deadManKey_, deadManText_) =
        add("DeadMan", "", "Ключ удержания: шоу идёт, пока он нажат ([show] DeadMan)");
    add("Arm", "F1", "Взвести / снять взвод (страница теста: проверка каналов)");
    add("Load", "F2, F3", "Загрузить сценарий / фонограмму в текущий слот");
    add("Slot", "1 … 8", "Слот сценария (в ручных режимах: ключи пуска)");
    add("StartPoint", "F4, Enter", "Точка начала (Enter: выделенная команда)");
    add("Tempo", "Num *  Num /", "Темп +0,1 % / −0,1 %");
    add("Offset", "Num +  Num −,  =  −", "Смещение +50 мс / −50 мс");
    add("Step", "F7", "Ручной шаг: следующий момент сценария");
    add("Manual", "← → ↑ ↓, Insert, Delete", "Ручные режимы: пульт и страница; форсирование");
    add("CueList", "Page Up, Page Down", "Перемещение по списку команд");
    add("Memory", "F8, F9", "Запись / проверка сценария в пультах");
    add("Search", "F10", "Поиск на шине (повторно: остановка поиска)");
    add("Modes", "F11, F12", "Все пульты в режим теста / в режим пуска");
    add("TestPage", "Tab", "Страница теста и обратно");
    add("Warning", "Любая клавиша", "Закрывает красное предупреждение, и только");

    actions_ = new QTreeWidget(this);
    actions_->setObjectName("ActionList");
    actions_->setRootIsDecorated(false);
    actions_->setHeaderLabels({"Клавиша", "Действие"});
    actions_->setColumnWidth(0, Scaled(160));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(actions_, 1);
    layout->addLayout(AddDialogButtons(*this, nullptr, {}, "CloseBtn", "Закрыть"));
    resize(Scaled(640), Scaled(760));
}

void TKeysForm::ShowKeys(int startKey, int deadManKey, const QList<QAction*>& actions)
{
    startKey_->setText(VirtualKeyName(startKey));
    deadManKey_->setText(deadManKey ? VirtualKeyName(deadManKey) : QString());
    deadManKey_->setVisible(deadManKey != 0);
    deadManText_->setVisible(deadManKey != 0);
    actions_->clear();
    for (const QAction* action : actions)
        if (!action->shortcut().isEmpty())
            new QTreeWidgetItem(actions_, {action->shortcut().toString(QKeySequence::NativeText),
                                           QString(action->text()).remove('&')});
}

QString VirtualKeyName(int code)
{
    if (code >= kVkF1 && code < kVkF1 + 24)
        return "F" + QString::number(code - kVkF1 + 1);
    if (code == kVkSpace)
        return "Space";
    if (code >= kVkNumpad0 && code < kVkNumpad0 + 10)
        return "Num " + QString::number(code - kVkNumpad0);
    if ((code >= kVk0 && code < kVk0 + 10) || (code >= kVkA && code < kVkA + 26))
        return QString(QChar(code));
    return "#" + QString::number(code);
}

}  // namespace kv
