#include "console/widgets/Palette.h"

#include "console/widgets/Colors.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>

#include <utility>

namespace kv {

namespace {

TPaletteKind shown = TPaletteKind::Day;

const QColor kNightWindow{24, 24, 24};
const QColor kNightText{150, 150, 140};
const QColor kNightNavy{110, 130, 190};

// The day's strong text colours and what stands for them at night; others stay.
const std::pair<QColor, QColor> kTextPairs[] = {{kBlack, kNightText}, {kNavy, kNightNavy}};

QPalette NightPalette()
{
    QPalette palette;
    const QColor face(40, 40, 40);
    palette.setColor(QPalette::Window, kNightWindow);
    palette.setColor(QPalette::WindowText, kNightText);
    palette.setColor(QPalette::Base, QColor(32, 32, 32));
    palette.setColor(QPalette::AlternateBase, QColor(38, 38, 38));
    palette.setColor(QPalette::Text, kNightText);
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::ButtonText, kNightText);
    palette.setColor(QPalette::BrightText, QColor(200, 60, 60));
    palette.setColor(QPalette::Highlight, QColor(90, 40, 40));
    palette.setColor(QPalette::HighlightedText, QColor(200, 200, 190));
    palette.setColor(QPalette::ToolTipBase, face);
    palette.setColor(QPalette::ToolTipText, kNightText);
    palette.setColor(QPalette::PlaceholderText, QColor(90, 90, 90));
    palette.setColor(QPalette::Light, QColor(60, 60, 60));
    palette.setColor(QPalette::Midlight, QColor(50, 50, 50));
    palette.setColor(QPalette::Mid, QColor(30, 30, 30));
    palette.setColor(QPalette::Dark, QColor(16, 16, 16));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(85, 85, 80));
    return palette;
}

// The day colours a widget was given, so that a change of palette can paint them anew.
constexpr char kDayText[] = "kvDayText";
constexpr char kDayBackground[] = "kvDayBackground";

void SetBackground(QWidget& widget, const QColor& day)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, LampPaint(day));
    widget.setPalette(palette);
}

}  // namespace

TPaletteKind ShownPalette()
{
    return shown;
}

void ShowPalette(TPaletteKind kind)
{
    shown = kind;
    QApplication::setPalette(kind == TPaletteKind::Night ? NightPalette()
                                                         : QApplication::style()->standardPalette());
    // Colours of their own are kept until their next change: painted anew here.
    for (QWidget* widget : QApplication::allWidgets()) {
        if (const QVariant day = widget->property(kDayBackground); day.isValid())
            SetBackground(*widget, day.value<QColor>());
        auto* label = qobject_cast<QLabel*>(widget);
        if (const QVariant day = widget->property(kDayText); label && day.isValid())
            SetTextColor(*label, day.value<QColor>());
    }
}

std::optional<TPaletteKind> PaletteNamed(const std::string& name)
{
    if (name == "day")
        return TPaletteKind::Day;
    if (name == "night")
        return TPaletteKind::Night;
    return std::nullopt;
}

std::string PaletteName(TPaletteKind kind)
{
    return kind == TPaletteKind::Night ? "night" : "day";
}

QColor LampPaint(const QColor& color)
{
    if (shown == TPaletteKind::Day)
        return color;
    if (color == Qt::white)
        return QColor(70, 70, 70);
    return color.darker(170);
}

void PaintBackground(QWidget& widget, const QColor& day)
{
    widget.setProperty(kDayBackground, day);
    SetBackground(widget, day);
}

void SetTextColor(QLabel& label, const QColor& color)
{
    label.setProperty(kDayText, color);
    QColor shownColor = color;
    if (shown == TPaletteKind::Night)
        for (const auto& [day, night] : kTextPairs)
            if (color == day)
                shownColor = night;
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, shownColor);
    label.setPalette(palette);
}

}  // namespace kv
