#include "chartmodel/ChartModel.h"

#include "model/SheetRecord.h"
#include "sheetview/JudgementChain.h"

#include <algorithm>

namespace chartmodel {

ChartModel buildChartModel(const sheetview::SheetView& view, int classCount, const QDateTime& made)
{
    ChartModel m;
    m.digits = std::clamp(model::digitsFromText(view.digits), 0, 5);
    m.control = controlChart(view);
    const std::optional<judge::CapabilityStudy> study = sheetview::capabilityStudyOf(view);
    m.histogram = histogram(view, classCount, study);
    m.study = studyPage(view, m.histogram, study);
    m.identification = identification(view, made);
    return m;
}

} // namespace chartmodel
