#include "console/panels/launch/TimePanel.h"

#include "console/widgets/Fonts.h"
#include "console/widgets/Widgets.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>

namespace kv {

namespace {

constexpr char kZeroClock[] = "0:00:00.0";

}  // namespace

TTimePanel::TTimePanel(QWidget* parent) : QFrame(parent)
{
    setObjectName("TimePanel");
    setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(this);
    projectName = MakeLabel(this, "ProjectName", "");
    soundName = MakeLabel(this, "SoundName", "");
    grid->addWidget(projectName, 0, 0, 1, 3);
    grid->addWidget(soundName, 1, 0, 1, 3);

    time = MakeLabel(this, "TimeLabel", kZeroClock);
    time->setFont(ConsoleFont(33, true));
    grid->addWidget(time, 2, 0, 1, 2, Qt::AlignCenter);

    scenarioRest = AddFigure(*grid, 3, "ScenarioRest", "До конца сценария:", kZeroClock);
    soundPosition = AddFigure(*grid, 4, "SoundPosition", "Фонограмма:", kZeroClock);
    soundRest = AddFigure(*grid, 5, "SoundRest", "До конца фонограммы:", kZeroClock);
    tempo = AddFigure(*grid, 6, "Tempo", "Темп:", "100%");
    offset = AddFigure(*grid, 7, "Offset", "Смещение:", "0 мс");
    distance = MakeLabel(this, "DistanceLabel", "~0 м");
    grid->addWidget(distance, 7, 2);
    grid->setColumnStretch(1, 1);
}

}  // namespace kv
