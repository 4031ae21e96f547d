#include "console/app/WidgetWindow.h"

#include "console/dialogs/FileDialog.h"
#include "console/widgets/Shape.h"

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace kv {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// A page of a tab widget sits in the tab widget's own stack.
QTabWidget* TabOfPage(QObject& object)
{
    auto* page = qobject_cast<QWidget*>(&object);
    auto* stack = page ? qobject_cast<QStackedWidget*>(page->parent()) : nullptr;
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parent()) : nullptr;
    return tabs && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

std::string Std(const QString& text)
{
    return text.toStdString();
}

template <typename T>
TTextSetter Setter(T* target, void (T::*set)(const QString&))
{
    return [target, set](const std::string& text) { (target->*set)(Text(text)); };
}

TLocalizedComponent ListView(QTreeWidget& tree)
{
    TLocalizedComponent component;
    component.kind = TComponentKind::ListView;
    component.columnCount = static_cast<size_t>(tree.columnCount());
    QStringList columns;
    for (int column = 0; column < tree.columnCount(); ++column)
        columns << tree.headerItem()->text(column);
    component.text = Std(columns.join('|'));
    component.setColumnCaption = [&tree](size_t column, const std::string& text) {
        tree.headerItem()->setText(static_cast<int>(column), Text(text));
    };
    return component;
}

TLocalizedComponent ListView(QTableWidget& table)
{
    TLocalizedComponent component;
    component.kind = TComponentKind::ListView;
    component.columnCount = static_cast<size_t>(table.columnCount());
    QStringList columns;
    for (int column = 0; column < table.columnCount(); ++column)
        if (const QTableWidgetItem* header = table.horizontalHeaderItem(column))
            columns << header->text();
    component.text = Std(columns.join('|'));
    component.setColumnCaption = [&table](size_t column, const std::string& text) {
        table.setHorizontalHeaderItem(static_cast<int>(column), new QTableWidgetItem(Text(text)));
    };
    return component;
}

// A window of its own inside this one (a dialog the main window parents) carries its own
// localizer: its controls are looked up under its class name only.
bool InsideAnotherWindow(const QObject& object, const QWidget& window)
{
    for (const QObject* up = object.parent(); up && up != &window; up = up->parent())
        if (const auto* widget = qobject_cast<const QWidget*>(up); widget && widget->isWindow())
            return true;
    return false;
}

}  // namespace

TWidgetWindow::TWidgetWindow(QWidget& window, std::string className)
    : window_(window), className_(std::move(className))
{
}

void TWidgetWindow::SetCaption(const std::string& caption)
{
    window_.setWindowTitle(Text(caption));
}

std::string TWidgetWindow::CaptionText() const
{
    return Std(window_.windowTitle());
}

std::vector<TLocalizedComponent> TWidgetWindow::Components()
{
    std::vector<TLocalizedComponent> components;
    for (QObject* object : window_.findChildren<QObject*>()) {
        if (object->objectName().isEmpty() || InsideAnotherWindow(*object, window_))
            continue;
        if (auto component = Component(*object)) {
            component->name = object->objectName().toStdString();
            components.push_back(std::move(*component));
        }
    }
    return components;
}

std::optional<TLocalizedComponent> TWidgetWindow::Component(QObject& object)
{
    TLocalizedComponent c;
    if (QTabWidget* tabs = TabOfPage(object)) {
        auto* page = qobject_cast<QWidget*>(&object);
        c.kind = TComponentKind::TabSheet;
        c.setCaption = [tabs, page](const std::string& text) {
            tabs->setTabText(tabs->indexOf(page), Text(text));
        };
        c.text = Std(tabs->tabText(tabs->indexOf(page)));
    } else if (auto* shape = dynamic_cast<TShape*>(&object)) {
        c.kind = TComponentKind::Shape;
        c.setHint = Setter<QWidget>(shape, &QWidget::setToolTip);
        c.text = Std(shape->toolTip());
    } else if (auto* radio = qobject_cast<QRadioButton*>(&object)) {
        c.kind = TComponentKind::RadioButton;
        c.setCaption = Setter<QAbstractButton>(radio, &QAbstractButton::setText);
        c.text = Std(radio->text());
    } else if (auto* speed = qobject_cast<QToolButton*>(&object)) {
        c.kind = TComponentKind::SpeedButton;
        c.setHint = Setter<QWidget>(speed, &QWidget::setToolTip);
        c.setCaption = Setter<QAbstractButton>(speed, &QAbstractButton::setText);
        c.text = Std(speed->toolTip() + '|' + speed->text());
    } else if (auto* button = qobject_cast<QPushButton*>(&object)) {
        c.kind = TComponentKind::Button;
        c.setCaption = Setter<QAbstractButton>(button, &QAbstractButton::setText);
        c.text = Std(button->text());
    } else if (auto* label = qobject_cast<QLabel*>(&object)) {
        c.kind = TComponentKind::Label;
        c.setCaption = Setter<QLabel>(label, &QLabel::setText);
        c.text = Std(label->text());
    } else if (auto* group = qobject_cast<QGroupBox*>(&object)) {
        c.kind = TComponentKind::GroupBox;
        c.setCaption = Setter<QGroupBox>(group, &QGroupBox::setTitle);
        c.text = Std(group->title());
    } else if (auto* action = qobject_cast<QAction*>(&object)) {
        c.kind = TComponentKind::Action;
        c.setCaption = Setter<QAction>(action, &QAction::setText);
        c.setHint = Setter<QAction>(action, &QAction::setToolTip);
        // Without a hint of its own an action's tooltip is its caption.
        c.text = Std(action->toolTip() == QString(action->text()).remove('&')
                         ? action->text()
                         : action->text() + '|' + action->toolTip());
    } else if (auto* menu = qobject_cast<QMenu*>(&object)) {
        c.kind = TComponentKind::MenuItem;
        c.setCaption = Setter<QMenu>(menu, &QMenu::setTitle);
        c.text = Std(menu->title());
    } else if (auto* dialog = dynamic_cast<TFileDialog*>(&object)) {
        c.kind = TComponentKind::OpenSaveDialog;
        c.setFilter = [dialog](const std::string& filter) { dialog->SetFilter(filter); };
        c.text = dialog->Filter();
    } else if (auto* tree = qobject_cast<QTreeWidget*>(&object)) {
        c = ListView(*tree);
    } else if (auto* table = qobject_cast<QTableWidget*>(&object)) {
        c = ListView(*table);
    } else {
        return std::nullopt;
    }
    return c;
}

}  // namespace kv
