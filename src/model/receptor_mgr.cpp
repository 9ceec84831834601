#include "model/receptor_mgr.h"

#include <algorithm>
#include <cmath>

#include "model/messages.h"
#include "model/prompt.h"
#include "model/random.h"
#include "model/text.h"
#include "model/scenario_mgr.h"

namespace ks {

void CConnection::UpdateEndPoints() {
    if (m_pSender) m_start = m_pSender->m_geo.outputPoint;
    if (m_pReceiver) m_end = m_pReceiver->m_geo.inputPoint;
    auto mid = [](int a, int b) {
        const int lo = std::min(a, b), hi = std::max(a, b);
        return lo + (hi - lo) / 2;
    };
    m_mid = {mid(m_start.x, m_end.x), mid(m_start.y, m_end.y)};
}

CReceptorMgr::CReceptorMgr() {
    m_iTargetType = kTargetSensor;  // the manager reports type 1
    m_iTargetID = m_ID;
    m_rect = {0, 0, 128, 96};
    m_rect2 = m_rect;
    m_iconCells = {KRect{0, 0, 24, 24}, KRect{24, 0, 48, 24}, KRect{48, 0, 72, 24}, KRect{72, 0, 96, 24}};
}

CReceptorMgr::~CReceptorMgr() { DeleteAll(); }

// ---------------------------------------------------------------- receptors

std::int32_t CReceptorMgr::NewReceptorID() const {
    return DrawId(kIdSpan, [this](std::int32_t id) { return FindReceptor(id) != nullptr; });
}

std::int32_t CReceptorMgr::NewConnectionID() const {
    return DrawId(kConnectionIdSpan, [this](std::int32_t id) { return m_connectionIDs.count(id) != 0; });
}

CReceptor* CReceptorMgr::AddReceptor(std::int32_t kind, std::int32_t code, std::int32_t x, std::int32_t y) {
    auto r = std::make_unique<CReceptor>(kind, code, 0);
    r->m_bSelected = false;
    r->m_bFlagC = false;
    r->m_bLinearOutput = false;
    r->Place(x, y);
    r->m_dTargetValue = 0.0;
    r->m_dError = 0.0;
    r->m_iBitIndex = 0;
    r->m_iReservedA = 0;
    r->m_dNetInput = 0.0;
    r->m_bSatisfied = false;
    r->m_ID = NewReceptorID();
    r->m_iTargetID = r->m_ID;
    CReceptor* raw = r.get();
    m_receptors.push_back(std::move(r));
    RebuildKindLists();
    if (kind >= kSensor && kind <= kAction) raw->m_label = Format(KindLabelFormat(kind), CountReceptors(kind));
    return raw;
}

CReceptor* CReceptorMgr::AddReceptorFromRecord(std::unique_ptr<CReceptor> receptor) {
    ++m_structureVersion;
    m_receptors.push_back(std::move(receptor));
    return m_receptors.back().get();
}

void CReceptorMgr::EraseReceptor(CReceptor* r) {
    ++m_structureVersion;
    if (m_pScenarioMgr) m_pScenarioMgr->ForgetReceptor(r);
    std::erase_if(m_selection, [&](const ReceptorSelEntry& e) { return e.receptor == r; });
    std::erase_if(m_receptors, [&](const auto& p) { return p.get() == r; });
}

void CReceptorMgr::DeleteReceptor(CReceptor* r) {
    if (!r) return;
    RemoveReceptorConnections(r);
    EraseReceptor(r);
    RebuildKindLists();
}

std::int32_t CReceptorMgr::DeleteSelectedReceptors() {
    const auto entries = m_selection;
    for (const ReceptorSelEntry& e : entries) {
        // An entry may name a receptor already deleted through an earlier one.
        const bool alive = std::any_of(m_receptors.begin(), m_receptors.end(),
                                       [&](const auto& p) { return p.get() == e.receptor; });
        if (!alive) continue;
        RemoveReceptorConnections(e.receptor);
        if (m_pScenarioMgr) m_pScenarioMgr->ForgetReceptor(e.receptor);
        std::erase_if(m_receptors, [&](const auto& p) { return p.get() == e.receptor; });
        RebuildKindLists();
    }
    m_selection.clear();
    RebuildKindLists();
    return static_cast<std::int32_t>(entries.size());
}

void CReceptorMgr::RebuildKindLists() {
    ++m_structureVersion;
    m_sensors.clear();
    m_processors.clear();
    m_actions.clear();
    m_biases.clear();
    for (const auto& p : m_receptors) {
        std::vector<CReceptor*>* list = nullptr;
        switch (p->m_iKind) {
        case kSensor: list = &m_sensors; break;
        case kProcessor: list = &m_processors; break;
        case kAction: list = &m_actions; break;
        case kBias: list = &m_biases; break;
        default: continue;
        }
        // Later receptors are told apart from the head by ID: one that repeats
        // the head's ID is taken for the head and left out.
        if (!list->empty() && list->front()->m_ID == p->m_ID) continue;
        list->push_back(p.get());
    }
}

CReceptor* CReceptorMgr::FindReceptor(std::int32_t id) const {
    for (const auto& p : m_receptors)
        if (p->m_ID == id) return p.get();
    return nullptr;
}

CReceptor* CReceptorMgr::ReceptorAt(std::int32_t x, std::int32_t y) const {
    for (const auto& p : m_receptors)
        if (p->m_geo.body.Contains(x, y)) return p.get();
    return nullptr;
}

std::int32_t CReceptorMgr::CountReceptors(std::int32_t kind) const {
    switch (kind) {
    case kSensor: return static_cast<std::int32_t>(m_sensors.size());
    case kProcessor: return static_cast<std::int32_t>(m_processors.size());
    case kAction: return static_cast<std::int32_t>(m_actions.size());
    case kBias:
        return static_cast<std::int32_t>(std::count_if(m_receptors.begin(), m_receptors.end(),
                                                       [](const auto& p) { return p->m_iKind == kBias; }));
    default: return static_cast<std::int32_t>(m_receptors.size());
    }
}

void CReceptorMgr::RecountAttachments() {
    m_iInputCount = static_cast<std::int32_t>(
        std::count_if(m_sensors.begin(), m_sensors.end(), [](const CReceptor* r) { return r->m_pVariable != nullptr; }));
    m_iOutputCount = static_cast<std::int32_t>(
        std::count_if(m_actions.begin(), m_actions.end(), [](const CReceptor* r) { return r->m_bAttachedToOutput; }));
}

void CReceptorMgr::DeleteAll() {
    ++m_structureVersion;
    m_selection.clear();
    m_sensors.clear();
    m_processors.clear();
    m_actions.clear();
    m_biases.clear();
    m_receptors.clear();
    DeleteAllConnections();
}

// -------------------------------------------------------------- connections

CConnection* CReceptorMgr::AddConnection(CReceptor* sender, CReceptor* receiver, COLORREF colour, double weight) {
    return AddConnectionWithID(sender, receiver, colour, weight, NewConnectionID());
}

CConnection* CReceptorMgr::AddConnectionWithID(CReceptor* sender, CReceptor* receiver, COLORREF colour,
                                               double weight, std::int32_t id) {
    if (!sender || !receiver) return nullptr;
    ++m_structureVersion;
    auto c = std::make_unique<CConnection>();
    c->m_pStore = &m_store;
    c->m_iSlot = m_store.Add();
    c->SetWeight(weight);
    c->m_dSavedWeight = weight;
    c->m_colour = colour;
    c->m_pSender = sender;
    c->m_pReceiver = receiver;
    c->m_iSenderID = sender->m_ID;
    c->m_iReceiverID = receiver->m_ID;
    c->UpdateEndPoints();
    c->m_ID = id;
    m_connectionIDs.insert(id);
    sender->AddOutputLink(id, c.get());
    receiver->AddInputLink(id, c.get());
    m_connections.push_back(std::move(c));
    return m_connections.back().get();
}

void CReceptorMgr::EraseConnection(CConnection* c) {
    ForgetConnectionID(c->m_ID);
    std::erase_if(m_connections, [&](const auto& p) { return p.get() == c; });
}

void CReceptorMgr::DeleteConnection(CConnection* c) {
    if (!c) return;
    ++m_structureVersion;
    if (c->m_pSender) c->m_pSender->RemoveOutputLink(c->m_ID);
    if (c->m_pReceiver) c->m_pReceiver->RemoveInputLink(c->m_ID);
    EraseConnection(c);
}

void CReceptorMgr::RemoveReceptorConnections(CReceptor* r) {
    if (!r) return;
    ++m_structureVersion;
    for (const CLink& l : r->m_inputLinks)
        if (l.connection && l.connection->m_pSender) l.connection->m_pSender->RemoveOutputLink(l.connectionID);
    for (const CLink& l : r->m_outputLinks)
        if (l.connection && l.connection->m_pReceiver) l.connection->m_pReceiver->RemoveInputLink(l.connectionID);
    // One pass over the connection list removes them all, keeping the order of the rest.
    std::erase_if(m_connections, [&](const auto& p) {
        const bool doomed = p->m_pSender == r || p->m_pReceiver == r;
        if (doomed) ForgetConnectionID(p->m_ID);
        return doomed;
    });
    r->ClearInputLinks();
    r->ClearOutputLinks();
}

void CReceptorMgr::ForgetConnectionID(std::int32_t id) {
    auto it = m_connectionIDs.find(id);
    if (it != m_connectionIDs.end()) m_connectionIDs.erase(it);
}

void CReceptorMgr::DeleteAllConnections() {
    m_connections.clear();
    m_connectionIDs.clear();
    m_store.Clear();
    ++m_structureVersion;
}

bool CReceptorMgr::IsConnected(const CReceptor* a, const CReceptor* b) const {
    if (!a || !b) return false;
    return std::any_of(a->m_outputLinks.begin(), a->m_outputLinks.end(),
                       [&](const CLink& l) { return l.connection && l.connection->m_pReceiver == b; });
}

std::int32_t CReceptorMgr::CheckConnection(const CReceptor* target, const CReceptor* source) {
    if (!target || !source) return kConnRefusedUnknown;
    const int s = source->m_iKind, t = target->m_iKind;
    if (s < kSensor || s > kAction || t < kSensor || t > kAction) return kConnRefusedUnknown;
    // Rows: source kind; columns: target kind (sensor, processor, bias, action).
    // A negative entry is accepted with the direction reversed (target -> source).
    static constexpr int kRule[4][4] = {
        {kConnSensorSensor, kConnSensorProcessor, kConnSensorBias, kConnSensorAction},
        {-kConnSensorProcessor, kConnProcessorProcessor, -kConnBiasProcessor, kConnProcessorAction},
        {kConnSensorBias, kConnBiasProcessor, kConnBiasBias, kConnBiasAction},
        {kConnSensorAction, -kConnProcessorAction, -kConnBiasAction, kConnActionAction},
    };
    const int code = kRule[s - 1][t - 1];
    if (code < 0) {
        m_bReversePending = true;
        return -code;
    }
    return code;
}

const char* CReceptorMgr::ConnectionMessage(std::int32_t code) {
    switch (code) {
    case kConnSensorSensor: return msg::kConnectSensorToSensor;
    case kConnProcessorProcessor: return msg::kConnectProcessorToProcessor;
    case kConnSensorBias: return msg::kConnectSensorOrBiasMisuse;
    case kConnBiasBias: return msg::kConnectBiasToBias;
    case kConnActionAction: return msg::kConnectActionToAction;
    default: return nullptr;
    }
}

CConnection* CReceptorMgr::ConnectByDrag(CReceptor* source, CReceptor* target, IPrompt& prompt) {
    if (IsConnected(source, target)) {
        prompt.Notify(msg::kAlreadyConnected);
        return nullptr;
    }
    const std::int32_t code = CheckConnection(target, source);
    if (code >= 100) {
        // A sensor dropped on an action receptor is refused silently; the
        // opposite drag names the rule.
        const char* text = ConnectionMessage(code);
        if (code == kConnSensorAction && source->m_iKind == kAction) text = msg::kConnectSensoryToAction;
        if (text) prompt.Notify(text);
        return nullptr;
    }
    if (m_bReversePending) {
        m_bReversePending = false;
        if (IsConnected(target, source)) {
            prompt.Notify(msg::kAlreadyConnected);
            return nullptr;
        }
        return AddConnection(target, source, 0, m_dNewConnectionWeight);
    }
    return AddConnection(source, target, 0, m_dNewConnectionWeight);
}

CConnection* CReceptorMgr::FindConnection(std::int32_t id) const {
    for (const auto& c : m_connections)
        if (c->m_ID == id) return c.get();
    return nullptr;
}

CConnection* CReceptorMgr::ConnectionAt(std::int32_t px, std::int32_t py) const {
    for (const auto& c : m_connections) {
        const int x1 = c->m_start.x, y1 = c->m_start.y, x2 = c->m_end.x, y2 = c->m_end.y;
        const long long dx = x2 - x1, dy = y2 - y1;
        const long long ax = x1 - px, ay = y1 - py, bx = x2 - px, by = y2 - py;
        bool hit;
        if ((dx > 0 && ax > 0) || (dy < 0 && ay < 0) || (dx < 0 && ax < 0) || (dy > 0 && ay > 0)) {
            hit = std::sqrt(static_cast<double>(ax * ax + ay * ay)) <= 2.0;
        } else if ((dx > 0 && bx < 0) || (dy < 0 && by > 0) || (dx < 0 && bx > 0) || (dy > 0 && by < 0)) {
            hit = std::sqrt(static_cast<double>(bx * bx + by * by)) <= 2.0;
        } else {
            const long long len = Trunc32(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
            const long long cross = bx * ay - by * ax;
            hit = -2 * len <= cross && cross <= 2 * len;
        }
        if (hit) return c.get();
    }
    return nullptr;
}

std::int32_t CReceptorMgr::ConnectSensorsTo(CReceptor* p) {
    if (!p || m_sensors.empty()) return 0;
    std::int32_t added = 0;
    for (const auto& r : m_receptors) {
        if (r->m_iKind != kSensor || IsConnected(r.get(), p)) continue;
        CConnection* c = AddConnection(r.get(), p, 0, m_dNewConnectionWeight);
        c->SetSignal(r->SendValue() * c->Weight());
        ++added;
    }
    return added;
}

std::int32_t CReceptorMgr::ConnectToActions(CReceptor* p) {
    if (!p || m_actions.empty()) return 0;
    std::int32_t added = 0;
    for (const auto& r : m_receptors) {
        if (r->m_iKind != kAction || IsConnected(p, r.get())) continue;
        CConnection* c = AddConnection(p, r.get(), 0, m_dNewConnectionWeight);
        c->SetSignal(p->SendValue() * c->Weight());
        ++added;
    }
    return added;
}

std::int32_t CReceptorMgr::ConnectToProcessors(CReceptor* x) {
    if (!x || (x->m_iKind != kSensor && x->m_iKind != kAction)) return 0;
    std::int32_t added = 0;
    // Collect first: adding links must not disturb the walk over the receptor list.
    std::vector<CReceptor*> processors;
    for (const auto& r : m_receptors)
        if (r->m_iKind == kProcessor) processors.push_back(r.get());
    for (CReceptor* p : processors) {
        CReceptor* sender = x->m_iKind == kSensor ? x : p;
        CReceptor* receiver = x->m_iKind == kSensor ? p : x;
        if (IsConnected(sender, receiver)) continue;
        CConnection* c = AddConnection(sender, receiver, 0, m_dNewConnectionWeight);
        c->SetSignal(sender->SendValue() * c->Weight());
        ++added;
    }
    return added;
}

void CReceptorMgr::RandomizeAllWeights() {
    for (const auto& c : m_connections) c->SetWeight(DrawWeight());
    m_bSavedWeightsValid = false;
    for (const auto& c : m_connections) c->m_dPreviousChange = 0.0;
}

// ---------------------------------------------------------------- selection

std::int32_t CReceptorMgr::Select(CReceptor* r) {
    if (r) {
        r->m_bSelected = true;
        m_selection.push_back({r->m_ID, r});
    }
    return static_cast<std::int32_t>(m_selection.size());
}

std::int32_t CReceptorMgr::SelectKind(std::int32_t kind) {
    std::int32_t n = 0;
    if (kind == kAction) {
        for (CReceptor* r : m_actions) { Select(r); ++n; }
        return n;
    }
    for (const auto& r : m_receptors) {
        if (r->m_iKind != kind) continue;
        Select(r.get());
        ++n;
    }
    return n;
}

void CReceptorMgr::ClearSelection() {
    for (const ReceptorSelEntry& e : m_selection)
        if (e.receptor) e.receptor->m_bSelected = false;
    m_selection.clear();
}

void CReceptorMgr::SetRowY(std::int32_t kind, std::int32_t y) {
    const std::vector<CReceptor*>* list = kind == kSensor      ? &m_sensors
                                          : kind == kProcessor ? &m_processors
                                          : kind == kAction    ? &m_actions
                                                               : nullptr;
    if (!list) return;
    for (CReceptor* r : *list) r->Place(r->m_pos.x, y);
}

}  // namespace ks
