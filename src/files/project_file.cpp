#include "files/project_file.h"

#include <algorithm>
#include <cstdlib>

#include "model/project.h"
#include "model/prompt.h"
#include "model/text.h"

namespace ks {

namespace {

constexpr std::uint8_t kRecordFill = 0x30;
constexpr std::int32_t kMaxReceptorSize = 4096;
constexpr std::int32_t kMaxCoordinate = 1 << 24;

// ------------------------------------------------------------------ writing

// The tail of the variable record, shared with the runtime file.
void PutVariableCore(ByteWriter& w, std::size_t at, const CVariable& v, bool withAttachment) {
    w.PutI32At(at + 0, v.m_iType);
    w.PutU8At(at + 4, v.m_iType == kBoolean ? 1 : 0);
    w.PutF64At(at + 8, v.m_dMin);
    w.PutF64At(at + 16, v.m_dMax);
    w.PutF64At(at + 24, v.m_dValue);
    w.PutF64At(at + 48, v.m_dIncrement);
    if (withAttachment) {
        w.PutU8At(at + 56, v.m_bAttached ? 1 : 0);
        w.PutI32At(at + 60, v.m_iAttachedReceptorID);
    }
    w.PutI32At(at + 64, v.m_ID);
    w.PutU8At(at + 69, v.m_bReserved ? 1 : 0);
    w.PutU8At(at + 104, v.m_bAutoIncrement ? 1 : 0);
    w.PutU8At(at + 105, v.m_bAutoReset ? 1 : 0);
    w.PutF64At(at + 112, v.m_dReserved);
    w.PutU8At(at + 156, v.m_bReserved2 ? 1 : 0);
    w.PutU8At(at + 157, 1);
}

void WriteVariables(ByteWriter& w, const CProject& p) {
    w.I32(p.m_inputs.m_iOffset);
    for (const auto& v : p.m_inputs.m_items) {
        Trace("wrote var %d: range (%0.2f - %0.2f)", v->m_ID, v->m_dMin, v->m_dMax);
        const std::size_t at = w.Size();
        w.Fill(kVariableRecordSize, 0);
        w.PutText16At(at, v->m_name, 100);  // the description stays empty
        PutVariableCore(w, at + kVariableCoreOffset, *v, true);
        w.I32(v->ItemCount());
        w.I32(static_cast<std::int32_t>(v->m_colour));
        if (v->m_iType != kDescriptorList) continue;
        for (const auto& item : v->m_items) {
            const std::size_t i = w.Size();
            w.Fill(kItemRecordSize, 0);
            w.PutText16At(i, item->text, 100);
            w.PutI32At(i + 200, item->index);
            w.PutI32At(i + 204, item->valueCode);
            w.PutI32At(i + 208, static_cast<std::int32_t>(item->colour));
            w.PutU8At(i + 212, item->colourCoding ? 1 : 0);
        }
    }
}

void WriteOutputs(ByteWriter& w, const CProject& p) {
    w.I32(p.m_outputs.m_iOffset);
    for (const auto& o : p.m_outputs.m_items) {
        Trace("writing output (id: %d) ", o->m_ID);
        w.I32(o->m_ID);
        w.I32(static_cast<std::int32_t>(o->m_colour));
        w.Text16(o->m_name, 100);
    }
}

void PutRect(ByteWriter& w, std::size_t at, const KRect& r) {
    w.PutI32At(at, r.left);
    w.PutI32At(at + 4, r.top);
    w.PutI32At(at + 8, r.right);
    w.PutI32At(at + 12, r.bottom);
}

void PutPoint(ByteWriter& w, std::size_t at, const KPoint& pt) {
    w.PutI32At(at, pt.x);
    w.PutI32At(at + 4, pt.y);
}

void WriteModel(ByteWriter& w, const CReceptorMgr& m) {
    const auto receptors = static_cast<std::int32_t>(m.m_receptors.size());
    const auto connections = static_cast<std::int32_t>(m.m_connections.size());
    w.I32(m.m_iModelType);
    w.I32(m.m_ID);
    w.I32(m.m_iReservedLinkA);
    w.I32(m.m_iReservedLinkB);
    w.I32(m.m_iTargetID);
    w.I32(m.m_iTargetType);
    w.I32(m.m_iResetLimit);
    w.F64(m.m_dTolerance);
    w.F64(m.m_dLearnRate);
    w.F64(m.m_dMomentum);
    w.I32(static_cast<std::int32_t>(m.m_colours[0]));
    w.I32(receptors);
    w.I32(connections);
    Trace("wrote m_iModelType: %d, m_ID: %d, iNumReceptors: %d, iNumConnectors: %d", m.m_iModelType, m.m_ID,
          receptors, connections);
    for (const auto& r : m.m_receptors) {
        const std::size_t at = w.Size();
        w.Fill(kReceptorRecordSize, kRecordFill);
        w.PutI32At(at + 0, r->m_ID);
        w.PutI32At(at + 4, r->m_iKind);
        w.PutI32At(at + 8, r->m_iSize);
        w.PutI32At(at + 12, r->m_iVariableID);
        w.PutI32At(at + 16, r->m_iActivation);
        w.PutI32At(at + 20, r->m_iBitIndex);
        w.PutI32At(at + 24, r->m_iReservedA);
        w.PutI32At(at + 28, r->m_iReservedB);
        w.PutI32At(at + 32, r->m_iOutputID);
        w.PutI32At(at + 36, r->m_iReservedC);
        for (std::size_t z = 40; z < 52; z += 4) w.PutI32At(at + z, 0);
        w.PutF64At(at + 56, r->m_dReservedD);
        w.PutF64At(at + 64, r->m_dThreshold);
        w.PutF64At(at + 72, r->m_dTargetValue);
        w.PutF64At(at + 80, r->m_dBiasValue);
        w.PutU8At(at + 88, r->m_bFlagA ? 1 : 0);
        w.PutU8At(at + 89, r->m_bFlagB ? 1 : 0);
        w.PutU8At(at + 90, r->m_bAttachedToVariable ? 1 : 0);
        w.PutU8At(at + 91, r->m_bAttachedToOutput ? 1 : 0);
        w.PutU8At(at + 92, r->m_bFlagC ? 1 : 0);
        w.PutU8At(at + 93, r->m_bLinearOutput ? 1 : 0);
        w.PutI32At(at + 96, r->m_pos.x);
        w.PutI32At(at + 100, r->m_pos.y);
        PutPoint(w, at + 104, r->m_geo.inputPoint);
        PutPoint(w, at + 112, r->m_geo.outputPoint);
        w.PutI32At(at + 120, 0);
        w.PutI32At(at + 124, 0);
        PutRect(w, at + 128, r->m_geo.inputPort);
        PutRect(w, at + 144, r->m_geo.outputPort);
        PutRect(w, at + 160, r->m_geo.body);
        PutRect(w, at + 176, r->m_geo.variableBox);
        w.PutI32At(at + 192, static_cast<std::int32_t>(r->m_displayColour));
        w.PutI32At(at + 196, static_cast<std::int32_t>(r->m_displayColour));
        w.PutI32At(at + 200, 0);
        w.PutI32At(at + 204, 0);
        w.PutText16At(at + 208, r->m_label, 40);
    }
    for (const auto& c : m.m_connections) {
        const std::size_t at = w.Size();
        w.Fill(kConnectionRecordSize, kRecordFill);
        w.PutI32At(at + 0, c->m_ID);
        w.PutI32At(at + 4, c->m_iSenderID);
        w.PutI32At(at + 8, c->m_iReceiverID);
        PutPoint(w, at + 12, c->m_mid);
        PutPoint(w, at + 20, c->m_start);
        PutPoint(w, at + 28, c->m_end);
        w.PutF64At(at + 40, c->Weight());
        w.PutF64At(at + 48, c->Signal());
        w.PutI32At(at + 56, static_cast<std::int32_t>(c->m_colour));
        w.PutI32At(at + 60, c->m_iReserved);
        w.PutU8At(at + 64, 1);
    }
}

void WriteScenarios(ByteWriter& w, const CScenarioMgr& sm) {
    w.I32(sm.m_ID);
    w.I32(sm.Count());
    w.I32(sm.m_iOwnerModelID);
    for (const auto& s : sm.Scenarios()) {
        w.Text16(s->m_name, 40);
        w.I32(s->m_ID);
        w.I32(static_cast<std::int32_t>(s->m_inputs.size()));
        w.I32(static_cast<std::int32_t>(s->m_outputs.size()));
        w.I32(s->m_iTargetID);
        w.I32(s->m_iDisplayIndex);
        for (const VARINFO& vi : s->m_inputs) {
            const std::size_t at = w.Size();
            w.Fill(kVarInfoRecordSize, 0);
            w.PutI32At(at + 0, vi.receptorID);
            w.PutI32At(at + 4, vi.constant);
            w.PutI32At(at + 8, vi.variableID);
            w.PutF64At(at + 16, vi.minimum);
            w.PutF64At(at + 24, vi.maximum);
            w.PutF64At(at + 32, vi.value);
        }
    }
}

void WriteRuntime(ByteWriter& w, const CProject& p) {
    const CReceptorMgr& m = *p.Model();
    w.I32(p.m_inputs.Count());
    w.I32(p.m_outputs.Count());
    w.I32(m.m_iModelType);
    w.I32(m.m_ID);
    w.I32(static_cast<std::int32_t>(m.m_receptors.size()));
    w.I32(static_cast<std::int32_t>(m.m_connections.size()));
    Trace("Finished writing header for exported ReceptorMgr");
    int n = 0;
    for (const auto& r : m.m_receptors) {
        w.I32(r->m_ID);
        w.I32(r->m_iKind);
        w.I32(r->m_iActivation);
        w.I32(r->m_iVariableID);
        w.I32(r->m_iOutputID);
        w.F64(r->m_dBiasValue);
        Trace("Writing Receptor ID: %d, count: %d", r->m_ID, n++);
    }
    n = 0;
    for (const auto& c : m.m_connections) {
        w.I32(c->m_ID);
        w.I32(c->m_iSenderID);
        w.I32(c->m_iReceiverID);
        w.I32(m.m_ID);
        w.F64(c->Weight());
        w.F64(c->Signal());
        Trace("Writing connection #%d, ID: %d, senderID: %d, receiverID: %d", ++n, c->m_ID, c->m_iSenderID,
              c->m_iReceiverID);
    }
    for (const auto& o : p.m_outputs.m_items) {
        w.I32(o->m_ID);
        Trace("writing output (id: %d) ", o->m_ID);
    }
    for (const auto& v : p.m_inputs.m_items) {
        const std::size_t at = w.Size();
        w.Fill(kVariableCoreSize, 0);
        PutVariableCore(w, at, *v, false);
        w.I32(v->ItemCount());
        if (v->m_iType != kDescriptorList) continue;
        for (const auto& item : v->m_items) {
            w.I32(item->index);
            w.I32(item->valueCode);
        }
    }
}

// ------------------------------------------------------------------ reading

// A count read from the file, refused when negative or when the records it
// announces cannot fit in the bytes that remain.
bool CheckCount(ByteReader& in, std::int32_t count, std::size_t minRecord, const char* what, std::uint64_t at) {
    if (count < 0) {
        in.Fail(Format("negative number of %s (%d)", what, count), at);
        return false;
    }
    if (minRecord && static_cast<std::uint64_t>(count) > in.Remaining() / minRecord) {
        in.Fail(Format("%d %s do not fit in the rest of the file", count, what), at);
        return false;
    }
    return true;
}

bool ReadVariables(ByteReader& in, CProject& p, std::int32_t count) {
    p.m_inputs.m_iOffset = in.I32();
    if (!CheckCount(in, count, kVariableRecordSize + 8, "inputs", 1)) return false;
    for (std::int32_t i = 0; i < count && in.Ok(); ++i) {
        ByteReader rec = in.Record(kVariableRecordSize);
        const std::uint64_t itemsAt = in.Offset();
        const std::int32_t items = in.I32();
        const auto colour = static_cast<COLORREF>(in.I32());
        if (!in.Ok()) return false;
        VARIABLE_RECORD r;
        const std::size_t c = kVariableCoreOffset;
        r.name = rec.Text16At(0, 100);
        r.description = rec.Text16At(200, 255);
        r.type = rec.I32At(c + 0);
        r.minimum = rec.F64At(c + 8);
        r.maximum = rec.F64At(c + 16);
        r.value = rec.F64At(c + 24);
        r.increment = rec.F64At(c + 48);
        r.attached = rec.U8At(c + 56) != 0;
        r.attachedReceptorID = rec.I32At(c + 60);
        r.variableID = rec.I32At(c + 64);
        r.reservedFlag = rec.U8At(c + 69) != 0;
        r.autoIncrement = rec.U8At(c + 104) != 0;
        r.autoReset = rec.U8At(c + 105) != 0;
        r.reservedValue = rec.F64At(c + 112);
        r.reservedFlag2 = rec.U8At(c + 156) != 0;
        CVariable* v = p.m_inputs.AddVariable(r);
        v->ClearItems();
        if (r.type == kDescriptorList) {
            if (!CheckCount(in, items, kItemRecordSize, "descriptor items", itemsAt)) return false;
            for (std::int32_t k = 0; k < items; ++k) {
                ByteReader item = in.Record(kItemRecordSize);
                if (!in.Ok()) return false;
                VARIABLE_ITEM* it = v->AddItem(item.Text16At(0, 100), item.I32At(204), item.I32At(200),
                                               item.U8At(212) != 0, static_cast<COLORREF>(item.I32At(208)));
                Trace("read VARIABLE_ITEM %d: %s", k, it->text.c_str());
            }
        }
        v->SetRange(r.minimum, r.maximum);
        v->m_colour = colour;
        v->SetValue(r.value);
    }
    return in.Ok();
}

bool ReadOutputs(ByteReader& in, CProject& p, std::int32_t count) {
    p.m_outputs.m_iOffset = in.I32();
    if (!CheckCount(in, count, kOutputRecordSize, "outputs", 5)) return false;
    for (std::int32_t i = 0; i < count && in.Ok(); ++i) {
        auto o = std::make_unique<COutput>();
        o->m_ID = in.I32();
        o->m_colour = static_cast<COLORREF>(in.I32());
        o->m_name = in.Text16(100);
        if (!in.Ok()) return false;
        Trace("loaded outputid %d, %s", o->m_ID, o->m_name.c_str());
        // Appending draws a fresh ID, as adding any output does; the stored one replaces it.
        const std::int32_t stored = o->m_ID;
        COutput* raw = o.get();
        p.m_outputs.AddOutput(std::move(o));
        raw->m_ID = stored;
        raw->m_iTargetID = stored;
    }
    return in.Ok();
}

bool ReadModel(ByteReader& in, CReceptorMgr& m) {
    ByteReader h = in.Record(kModelHeaderSize);
    if (!in.Ok()) return false;
    m.m_iModelType = h.I32At(0);
    m.m_ID = h.I32At(4);
    m.m_iReservedLinkA = h.I32At(8);
    m.m_iReservedLinkB = h.I32At(12);
    m.m_iTargetID = h.I32At(16);
    m.m_iTargetType = h.I32At(20);
    m.m_iResetLimit = h.I32At(24);
    m.m_dTolerance = h.F64At(28);
    m.m_dLearnRate = h.F64At(36);
    m.m_dMomentum = h.F64At(44);
    m.m_colours[0] = static_cast<COLORREF>(h.I32At(52));
    const std::int32_t receptors = h.I32At(56);
    const std::int32_t connections = h.I32At(60);
    const std::uint64_t countsAt = in.Offset() - 8;
    if (!CheckCount(in, receptors, kReceptorRecordSize, "receptors", countsAt)) return false;
    for (std::int32_t i = 0; i < receptors; ++i) {
        const std::uint64_t at = in.Offset();
        ByteReader r = in.Record(kReceptorRecordSize);
        if (!in.Ok()) return false;
        // Geometry is pixel arithmetic; values far beyond any canvas are not a drawing.
        const std::int64_t size = r.I32At(8), x = r.I32At(96), y = r.I32At(100);
        if (size < 0 || size > kMaxReceptorSize || std::llabs(x) > kMaxCoordinate || std::llabs(y) > kMaxCoordinate) {
            in.Fail(Format("receptor %d has an impossible size or position", r.I32At(0)), at);
            return false;
        }
        auto rc = std::make_unique<CReceptor>(r.I32At(4), r.I32At(16), r.I32At(0));
        rc->m_label.clear();
        rc->m_iSize = r.I32At(8);
        rc->m_iVariableID = r.I32At(12);
        rc->m_iBitIndex = r.I32At(20);
        rc->m_iReservedA = r.I32At(24);
        rc->m_iReservedB = 0;
        rc->m_iOutputID = r.I32At(32);
        rc->m_iReservedC = r.I32At(36);
        rc->m_dReservedD = r.F64At(56);
        rc->m_dThreshold = r.F64At(64);
        rc->m_dTargetValue = r.F64At(72);
        rc->m_dBiasValue = r.F64At(80);
        rc->m_bFlagA = r.U8At(88) != 0;
        rc->m_bFlagB = r.U8At(89) != 0;
        rc->m_bAttachedToVariable = r.U8At(90) != 0;
        rc->m_bAttachedToOutput = r.U8At(91) != 0;
        rc->m_bFlagC = r.U8At(92) != 0;
        rc->m_bLinearOutput = r.U8At(93) != 0;
        rc->m_displayColour = static_cast<COLORREF>(r.I32At(192));
        rc->m_dOutput = 0.0;
        rc->Place(r.I32At(96), r.I32At(100));
        m.AddReceptorFromRecord(std::move(rc));
    }
    m.RebuildKindLists();
    if (!CheckCount(in, connections, kConnectionRecordSize, "connections", countsAt + 4)) return false;
    for (std::int32_t i = 0; i < connections; ++i) {
        const std::uint64_t at = in.Offset();
        ByteReader c = in.Record(kConnectionRecordSize);
        if (!in.Ok()) return false;
        CReceptor* sender = m.FindReceptor(c.I32At(4));
        CReceptor* receiver = m.FindReceptor(c.I32At(8));
        if (!sender || !receiver) {
            in.Fail(Format("connection %d joins receptors that are not in the file", c.I32At(0)), at);
            return false;
        }
        m.AddConnectionWithID(sender, receiver, static_cast<COLORREF>(c.I32At(56)), c.F64At(40), c.I32At(0));
    }
    return in.Ok();
}

bool ReadScenarios(ByteReader& in, CScenarioMgr& sm, const CReceptorMgr& m) {
    sm.m_ID = in.I32();
    const std::uint64_t countAt = in.Offset();
    const std::int32_t count = in.I32();
    const std::int32_t owner = in.I32();
    if (!in.Ok()) return false;
    Trace("LOADING: read scenario manager has ID: %d", sm.m_ID);
    Trace("LOADING: read scenario count of %d scenarios.", count);
    Trace("LOADING: This scenario manager is owned by the model with iD: %d", owner);
    sm.m_iOwnerModelID = m.m_ID;
    if (!CheckCount(in, count, kScenarioHeaderSize, "scenarios", countAt)) return false;
    for (std::int32_t i = 0; i < count; ++i) {
        ByteReader h = in.Record(kScenarioHeaderSize);
        if (!in.Ok()) return false;
        CScenario* s = sm.AppendScenario(h.I32At(80));
        s->m_name = h.Text16At(0, 40);
        s->m_iDisplayIndex = h.I32At(96);
        s->m_iTargetID = h.I32At(92);
        const std::int32_t values = h.I32At(84);
        Trace("LOADING: The %s scenario has %d stored VARINFO inputs, and %d OUTPUTINFO outputs", s->m_name.c_str(),
              values, h.I32At(88));
        Trace("LOADING: TargetID: %d about to be set.", s->m_iTargetID);
        s->m_pTarget = m.FindReceptor(s->m_iTargetID);
        if (!CheckCount(in, values, kVarInfoRecordSize, "stored input values", in.Offset() - 16)) return false;
        s->m_inputs.reserve(static_cast<std::size_t>(values));
        for (std::int32_t k = 0; k < values; ++k) {
            ByteReader r = in.Record(kVarInfoRecordSize);
            if (!in.Ok()) return false;
            s->m_inputs.push_back({r.I32At(0), r.I32At(4), r.I32At(8), r.F64At(16), r.F64At(24), r.F64At(32)});
        }
    }
    return in.Ok();
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TitleOf(const std::string& fileName) {
    const auto dot = fileName.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

}  // namespace

void WriteProject(ByteWriter& w, const CProject& p, bool exportMode) {
    if (exportMode) {
        if (p.Model()) WriteRuntime(w, p);
        return;
    }
    Trace("about to write %d inputs and %d outputs.", p.m_inputs.Count(), p.m_outputs.Count());
    w.U8(p.m_bModelView ? 1 : 0);
    w.I32(p.m_inputs.Count());
    w.I32(p.m_outputs.Count());
    WriteVariables(w, p);
    WriteOutputs(w, p);
    if (p.Model()) WriteModel(w, *p.Model());
    if (p.Scenarios()) WriteScenarios(w, *p.Scenarios());
}

bool ReadProject(ByteReader& in, CProject& p) {
    in.Seek(0);
    p.m_bModelView = in.U8() != 0;
    const std::int32_t inputs = in.I32();
    const std::int32_t outputs = in.I32();
    if (!in.Ok()) return false;
    Trace("about to load %d inputs and %d outputs.", inputs, outputs);
    p.m_inputs.Clear();
    if (!ReadVariables(in, p, inputs)) return false;
    if (!ReadOutputs(in, p, outputs)) return false;
    auto model = std::make_unique<CReceptorMgr>();
    if (!ReadModel(in, *model)) return false;
    auto scenarios = std::make_unique<CScenarioMgr>(0, model.get());
    if (!ReadScenarios(in, *scenarios, *model)) return false;
    if (in.Remaining() != 0) {
        in.Fail("unexpected bytes after the last scenario", in.Offset());
        return false;
    }
    p.Adopt(std::move(model), std::move(scenarios));
    FixUpPointers(p);
    return true;
}

void FixUpPointers(CProject& p) {
    CReceptorMgr* m = p.Model();
    CScenarioMgr* sm = p.Scenarios();
    if (m) {
        m->RebuildKindLists();
        for (CReceptor* r : m->Sensors()) {
            if (r->m_iVariableID <= 0) continue;
            if (CVariable* v = p.m_inputs.Find(r->m_iVariableID)) r->AttachVariable(v);
        }
        for (CReceptor* r : m->Actions()) {
            if (r->m_iOutputID <= 0) {
                Trace("FixUpPointers routine DID NOT find an output to attach");
                continue;
            }
            if (COutput* o = p.m_outputs.Find(r->m_iOutputID)) {
                Trace("Reading action receptor: %d,%d, with OUTPUTID: %d,%d", r->m_ID, r->m_iOutputID, o->m_ID,
                      o->m_ID);
                r->AttachOutput(o);
            }
        }
    }
    if (m && sm) {
        m->m_pScenarioMgr = sm;
        sm->m_pModel = m;
    }
    if (sm) sm->ResolveTargets();
    p.m_training.model = m;
    p.m_training.scenarios = sm;
    p.m_bOpen = true;
    if (m) m->RecountAttachments();
    if (sm) {
        sm->BuildColumns();
        sm->SortScenarios(0, kSortAscending);
        sm->Recount();
        std::int32_t learned = 0;
        for (const auto& s : sm->Scenarios())
            if (s->m_bLearned) ++learned;
        sm->m_iLearnedCount = learned;
    }
}

FileResult SaveProjectFile(const std::string& path, const CProject& project) {
    ByteWriter w;
    WriteProject(w, project, false);
    return WriteFileAtomically(path, w.Bytes());
}

FileResult SaveRuntimeFile(const std::string& path, const CProject& project) {
    if (!project.Model()) return {false, "cannot write " + path + ": the project has no network", {}};
    ByteWriter w;
    WriteProject(w, project, true);
    return WriteFileAtomically(path, w.Bytes());
}

FileResult LoadProjectFile(const std::string& path, CProject& project) {
    std::vector<std::uint8_t> bytes;
    FileResult read = ReadWholeFile(path, bytes);
    if (!read.ok) return read;
    CProject fresh;
    ByteReader in(bytes.data(), bytes.size());
    if (!ReadProject(in, fresh)) {
        return {false, Format("%s is not a readable project file: %s (at byte %llu)", path.c_str(),
                              in.Problem().c_str(), static_cast<unsigned long long>(in.FailedAt())),
                {}};
    }
    project.ClearProject();
    project.TakeLoaded(fresh);
    project.NewProject(kProjectLoaded);
    const std::string name = FileNameOf(path);
    project.m_name = name;
    if (project.Model()) project.Model()->m_name = TitleOf(name);
    return {};
}

}  // namespace ks
