#include "console/panels/launch/Indicator.h"

#include "console/widgets/Colors.h"
#include "console/widgets/Shape.h"
#include "console/widgets/Widgets.h"

#include <QLabel>

namespace kv {

TIndicator::TIndicator(QWidget* parent, const QString& name, const QString& caption)
    : led(new TShape(name + "Led", parent)), label(MakeLabel(parent, name + "Label", caption))
{
    SetLit(false);
}

void TIndicator::SetLit(bool lit)
{
    led->SetColor(lit ? kGreen : NeutralColor());
    SetTextColor(*label, lit ? kBlack : NormalTextColor());
}

}  // namespace kv
