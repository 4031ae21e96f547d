// The night palette: Ctrl+N or the Service menu, kept across restarts.
#include "console/app/ViewState.h"
#include "console/mainwindow/MainForm.h"
#include "console/widgets/Palette.h"

#include <QAction>
#include <QMenu>

namespace kv {

void TMainForm::WirePalette()
{
    nightAction_ = AddAction("NightAction", "Ночная палитра", QKeySequence("Ctrl+N"));
    nightAction_->setCheckable(true);
    if (auto* menu = findChild<QMenu*>("ServiceMenu"))
        menu->addAction(nightAction_);
    // The last choice made on the console, else the settings' own.
    const auto kind = PaletteNamed(viewState_->Read("Palette"))
                          .value_or(PaletteNamed(settings_.palette).value_or(TPaletteKind::Day));
    ShowConsolePalette(kind);
    connect(nightAction_, &QAction::triggered, this, [this](bool night) {
        const TPaletteKind kind = night ? TPaletteKind::Night : TPaletteKind::Day;
        ShowConsolePalette(kind);
        viewState_->Write("Palette", PaletteName(kind));
    });
}

void TMainForm::ShowConsolePalette(TPaletteKind kind)
{
    ShowPalette(kind);
    nightAction_->setChecked(kind == TPaletteKind::Night);
    // Rows and cells painted with the palette of their last change.
    RebuildDeviceList();
}

}  // namespace kv
