#pragma once
// The network of one project: receptors, weighted connections, the connection
// rule, lookups, selection, training parameters and drawing colours.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "model/eval_plan.h"
#include "model/geometry.h"
#include "model/mouse_target.h"
#include "model/numeric.h"
#include "model/receptor.h"

namespace ks {

class CScenarioMgr;
class COutput;
class IPrompt;

// The per-connection numbers the hot loops walk (weight, signal, pending
// change), kept in flat arrays indexed by the connection's slot. The
// evaluation plan lays the slots out in the order it walks them.
//
// The fast forward pass does not store every signal: it leaves them to be
// derived from the values and weights it used, which happens the first time a
// signal is read or a weight is written afterwards (Settle).
struct ConnectionStore {
    std::vector<double> weight, signal, pending;
    const CEvalPlan* deferredSignals = nullptr;

    std::uint32_t Add() {
        weight.push_back(0.0);
        signal.push_back(0.0);
        pending.push_back(0.0);
        return static_cast<std::uint32_t>(weight.size() - 1);
    }
    void Clear() {
        weight.clear();
        signal.clear();
        pending.clear();
        deferredSignals = nullptr;
    }
    void Settle() {
        if (!deferredSignals) return;
        const CEvalPlan* plan = deferredSignals;
        deferredSignals = nullptr;
        plan->DeriveSignals(*this);
    }
};

class CConnection {
public:
    void UpdateEndPoints();  // from the sender's output point and the receiver's input point

    double Weight() const { return m_pStore->weight[m_iSlot]; }
    void SetWeight(double w) {
        m_pStore->Settle();
        m_pStore->weight[m_iSlot] = w;
    }
    double Signal() const {
        m_pStore->Settle();
        return m_pStore->signal[m_iSlot];
    }
    void SetSignal(double s) {
        m_pStore->Settle();
        m_pStore->signal[m_iSlot] = s;
    }
    double Pending() const { return m_pStore->pending[m_iSlot]; }
    void SetPending(double p) { m_pStore->pending[m_iSlot] = p; }

    std::int32_t m_ID = 0;
    CReceptor* m_pSender = nullptr;
    CReceptor* m_pReceiver = nullptr;
    std::int32_t m_iSenderID = 0;
    std::int32_t m_iReceiverID = 0;
    COLORREF m_colour = 0;
    bool m_bShown = true;
    KPoint m_start, m_end, m_mid;
    double m_dSavedWeight = 0.0;
    double m_dPreviousChange = 0.0;
    std::int32_t m_iReserved = 0;
    ConnectionStore* m_pStore = nullptr;
    std::uint32_t m_iSlot = 0;
};

struct ReceptorSelEntry {
    std::int32_t id = 0;
    CReceptor* receptor = nullptr;
};

// Result codes of the connection rule; below 100 the pair is accepted.
enum ConnectionCode : std::int32_t {
    kConnSensorProcessor = 4,
    kConnBiasProcessor = 8,
    kConnBiasAction = 9,
    kConnProcessorAction = 10,
    kConnRefusedUnknown = 100,
    kConnSensorSensor = 101,
    kConnSensorBias = 102,
    kConnSensorAction = 103,
    kConnBiasBias = 105,
    kConnActionAction = 106,
    kConnProcessorProcessor = 107,
};

// Colour slots of the drawing.
enum ColourSlot { kSlotBackground = 0, kSlotSensor, kSlotProcessor, kSlotBias, kSlotAction, kSlotLines, kSlotText, kSlotSpare };

class CReceptorMgr : public CMouseTarget {
public:
    CReceptorMgr();
    ~CReceptorMgr() override;
    CReceptorMgr(const CReceptorMgr&) = delete;
    CReceptorMgr& operator=(const CReceptorMgr&) = delete;

    // ---- receptors ----
    CReceptor* AddReceptor(std::int32_t kind, std::int32_t activationCode, std::int32_t x, std::int32_t y);
    CReceptor* AddReceptorFromRecord(std::unique_ptr<CReceptor> receptor);  // keeps ID, no rebuild
    void DeleteReceptor(CReceptor* r);
    std::int32_t DeleteSelectedReceptors();
    void RebuildKindLists();
    CReceptor* FindReceptor(std::int32_t id) const;
    CReceptor* ReceptorAt(std::int32_t x, std::int32_t y) const;
    std::int32_t CountReceptors(std::int32_t kind) const;
    void RecountAttachments();
    // Deletes every receptor and connection (closing the project).
    void DeleteAll();

    // ---- connections ----
    CConnection* AddConnection(CReceptor* sender, CReceptor* receiver, COLORREF colour, double weight);
    CConnection* AddConnectionWithID(CReceptor* sender, CReceptor* receiver, COLORREF colour, double weight,
                                     std::int32_t id);
    void DeleteConnection(CConnection* c);
    void RemoveReceptorConnections(CReceptor* r);
    void DeleteAllConnections();
    bool IsConnected(const CReceptor* a, const CReceptor* b) const;
    std::int32_t CheckConnection(const CReceptor* target, const CReceptor* source);
    // The message shown for a refused code, or nullptr when none is shown.
    static const char* ConnectionMessage(std::int32_t code);
    // The whole drag-to-connect rule from source S to target R: refuses with the
    // rule's message, or adds the connection in the accepted direction.
    CConnection* ConnectByDrag(CReceptor* source, CReceptor* target, IPrompt& prompt);
    CConnection* ConnectionAt(std::int32_t x, std::int32_t y) const;
    CConnection* FindConnection(std::int32_t id) const;
    std::int32_t ConnectSensorsTo(CReceptor* processor);
    std::int32_t ConnectToActions(CReceptor* processor);
    std::int32_t ConnectToProcessors(CReceptor* x);
    void RandomizeAllWeights();

    // ---- selection ----
    std::int32_t Select(CReceptor* r);
    std::int32_t SelectKind(std::int32_t kind);
    void ClearSelection();
    void SetRowY(std::int32_t kind, std::int32_t y);

    // ---- evaluation ----
    void Evaluate();
    // The forward pass as a plain loop over the links (what the plan must equal).
    void EvaluateSequential();
    CEvalPlan& Plan() { return m_plan; }
    // The network as flat index arrays, as it is now (the plan is rebuilt
    // first when the structure changed).
    const FlatNetwork& Flat() {
        if (m_plan.Version() != m_structureVersion) m_plan.Build(*this);
        return m_plan.Flat(*this);
    }
    std::int32_t EvaluateSensors();
    std::int32_t EvaluateProcessors();
    std::int32_t EvaluateActions();
    std::int32_t WinnerID() const;      // training rule
    CReceptor* SelectWinner();          // display rule, marking the winner
    const CReceptor* DisplayWinner() const;  // display rule: the first action with an output and the highest value
    COutput* EvaluateAndPick();         // scoring rule (runs Evaluate first)
    CReceptor* MarkLastBestWinner();    // the scoring rule's marking without the pass

    void SetLearnRate(double rate) { m_dLearnRate = ToSingle(rate); }
    void SetColour(int slot, COLORREF c) { m_colours[static_cast<std::size_t>(slot)] = c; }

    // Kind lists: the order of the receptor list.
    const std::vector<CReceptor*>& Sensors() const { return m_sensors; }
    const std::vector<CReceptor*>& Processors() const { return m_processors; }
    const std::vector<CReceptor*>& Actions() const { return m_actions; }
    const std::vector<CReceptor*>& Biases() const { return m_biases; }

    std::int32_t m_ID = 1;
    std::int32_t m_iModelType = 0;
    std::string m_name;
    CScenarioMgr* m_pScenarioMgr = nullptr;
    std::int32_t m_iReservedLinkA = 0;
    std::int32_t m_iReservedLinkB = 0;
    double m_dLearnRate = 0.25;
    double m_dMomentum = 0.75;
    double m_dTolerance = kSingleHundredth;
    std::int32_t m_iResetLimit = 2000;
    bool m_bAccumulateChanges = true;
    bool m_bUseMomentum = false;
    bool m_bErrorCorrection = false;
    bool m_bSavedWeightsValid = false;
    bool m_bSmoothLines = false;
    double m_dNewConnectionWeight = 0.5;
    bool m_bReversePending = false;
    std::int32_t m_iInputCount = 0;
    std::int32_t m_iOutputCount = 0;
    std::array<COLORREF, 8> m_colours{};
    std::array<KRect, 4> m_iconCells{};  // sensor, bias, processor, action cells of the icon strip

    std::vector<std::unique_ptr<CReceptor>> m_receptors;
    std::vector<std::unique_ptr<CConnection>> m_connections;
    std::vector<ReceptorSelEntry> m_selection;
    ConnectionStore m_store;
    // Off: every pass and learning step walks the links one by one (the plain
    // meaning the evaluation plan must reproduce bit for bit).
    bool m_bUsePlan = true;
    std::unordered_multiset<std::int32_t> m_connectionIDs;  // for drawing fresh IDs in constant time
    // Bumped by every change of receptors, connections or links; the
    // evaluation plan is rebuilt when it differs from the plan's.
    std::uint64_t m_structureVersion = 0;

private:
    std::int32_t NewReceptorID() const;
    std::int32_t NewConnectionID() const;
    void EraseReceptor(CReceptor* r);
    void EraseConnection(CConnection* c);
    void ForgetConnectionID(std::int32_t id);
    static double SumInputs(CReceptor* r);

    std::vector<CReceptor*> m_sensors, m_processors, m_actions, m_biases;
    CEvalPlan m_plan;
};

}  // namespace ks
