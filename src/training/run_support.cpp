#include "training/run_support.h"

#include <chrono>
#include <cstdio>

#include "model/numeric.h"
#include "model/project.h"
#include "model/text.h"

namespace ks {

double NowMilliseconds() {
    using namespace std::chrono;
    return static_cast<double>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string FormatElapsed(double ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2d:%.2d", Trunc32(ms / 1000.0 / 60.0), Trunc32(ms / 1000.0) % 60);
    return buf;
}

void UpdateElapsed(CProject& p) {
    TrainingState& t = p.m_training;
    t.elapsed = static_cast<double>(static_cast<std::uint32_t>(NowMilliseconds() - t.startTime));
    // The text changes with the whole second: formatted then, not every cycle
    // (unless something else wrote it meanwhile).
    const std::int32_t seconds = Trunc32(t.elapsed / 1000.0);
    if (seconds == t.shownSeconds && p.m_elapsedText == t.shownText) return;
    p.m_elapsedText = FormatElapsed(t.elapsed);
    t.shownSeconds = seconds;
    t.shownText = p.m_elapsedText;
}

void StopTraining(CProject& p) {
    TrainingState& t = p.m_training;
    t.correctionWalk = false;
    t.running = false;
    if (t.model) {
        t.model->m_bAccumulateChanges = false;
        RefreshValueTexts(*t.model);
    }
    if (t.scenarios) t.scenarios->m_bTrainingInProgress = false;
}

void CommitWeights(CReceptorMgr& model) {
    for (const auto& c : model.m_connections) c->m_dSavedWeight = c->Weight();
}

void RestoreWeights(CReceptorMgr& model) {
    for (const auto& c : model.m_connections) c->SetWeight(c->m_dSavedWeight);
}

void MarkWinner(CReceptorMgr& model) {
    const std::int32_t winner = model.WinnerID();
    for (CReceptor* r : model.Actions()) {
        if (!r->m_bAttachedToOutput) continue;
        r->m_bWinner = r->m_ID == winner;
        r->m_displayColour = r->m_bWinner ? Rgb(255, 255, 0) : Rgb(0, 128, 128);
    }
}

void RefreshValueTexts(CReceptorMgr& model) {
    for (const auto& r : model.m_receptors) {
        r->m_valueText.clear();
        r->m_actualText.clear();
        switch (r->m_iKind) {
        case kSensor:
            if (r->m_pVariable) r->m_actualText = Format("Actual: %.0f", r->m_pVariable->m_dValue);
            break;
        case kProcessor: r->m_valueText = Format("Out: %.2f", r->m_dOutput); break;
        case kAction: r->m_valueText = Format("Out: %.4f", r->m_dOutput); break;
        default: break;
        }
    }
}

}  // namespace ks
