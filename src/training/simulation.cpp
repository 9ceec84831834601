#include "training/simulation.h"

#include "model/project.h"

namespace ks {

void EvaluateAndSelectWinner(CProject& project) { project.EvaluateAndShowWinner(); }

void SimulationStep(CProject& project) {
    ++project.m_iCycleCounter;
    ++project.m_iSimulationTicks;
    for (const auto& v : project.m_inputs.m_items) {
        if (!v->m_bAutoIncrement) continue;
        double value = v->m_dValue + v->m_dIncrement;
        if (v->m_bAutoReset) {
            if (v->m_dIncrement < 0.0) {
                if (value <= v->m_dMin) value = v->m_dMax;
            } else if (value >= v->m_dMax) {
                value = v->m_dMin;
            }
        }
        if (value <= v->m_dMin)
            value = v->m_dMin;
        else if (value > v->m_dMax)
            value = v->m_dMax;
        v->SetValue(value);
    }
    EvaluateAndSelectWinner(project);
}

void SimulationReset(CProject& project) {
    project.m_iCycleCounter = 0;
    project.m_iSimulationTicks = 0;
    for (const auto& v : project.m_inputs.m_items) v->SetValue(v->m_dMin);
    ++project.m_iCycleCounter;
    ++project.m_iSimulationTicks;
    EvaluateAndSelectWinner(project);
}

}  // namespace ks
