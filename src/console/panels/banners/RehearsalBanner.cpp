#include "console/panels/banners/RehearsalBanner.h"

#include "console/widgets/Fonts.h"
#include "support/lang/AddedMessages.h"

namespace kv {

TRehearsalBanner::TRehearsalBanner(QWidget* parent) : QLabel(parent)
{
    setObjectName("RehearsalBanner");
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    // Black on yellow, as on a warning sign: red and green already mean fault and fire mode.
    setStyleSheet(QString("QLabel { background: #ffd800; color: black; font-weight: bold;"
                          " font-size: %1pt; padding: 6px; border: 3px solid black; }")
                      .arg(ConsoleFont(12).pointSizeF()));
    hide();
}

void TRehearsalBanner::ShowRehearsal(bool on)
{
    if (on)
        setText(QString::fromStdString(Localize(kMsgRehearsalBanner)));
    setVisible(on);
}

}  // namespace kv
