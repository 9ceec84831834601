#include "files/project_file.h"

#include <algorithm>
#include <cstdlib>

#include "model/project.h"
#include "model/prompt.h"
#include "files/record_layout.h"
#include "model/text.h"

namespace ks {

namespace {

constexpr std::uint8_t kRecordFill = 0x30;
constexpr std::int32_t kMaxReceptorSize = 4096;
constexpr std::int32_t kMaxCoordinate = 1 << 24;

// ------------------------------------------------------------------ writing

// The tail of the variable record, shared with the runtime file.
void PutVariableCore(ByteWriter& w, std::size_t at, const CVariable& v, bool withAttachment) {
    using namespace variable_core;
    w.PutI32At(at + kType, v.m_iType);
    w.PutU8At(at + kIsBoolean, v.m_iType == kBoolean ? 1 : 0);
    w.PutF64At(at + kMinimum, v.m_dMin);
    w.PutF64At(at + kMaximum, v.m_dMax);
    w.PutF64At(at + kValue, v.m_dValue);
    w.PutF64At(at + kIncrement, v.m_dIncrement);
    if (withAttachment) {
        w.PutU8At(at + kAttached, v.m_bAttached ? 1 : 0);
        w.PutI32At(at + kAttachedReceptorID, v.m_iAttachedReceptorID);
    }
    w.PutI32At(at + kVariableID, v.m_ID);
    w.PutU8At(at + kReservedFlag, v.m_bReserved ? 1 : 0);
    w.PutU8At(at + kAutoIncrement, v.m_bAutoIncrement ? 1 : 0);
    w.PutU8At(at + kAutoReset, v.m_bAutoReset ? 1 : 0);
    w.PutF64At(at + kReservedValue, v.m_dReserved);
    w.PutU8At(at + kReservedFlag2, v.m_bReserved2 ? 1 : 0);
    w.PutU8At(at + kValid, 1);
}

void WriteVariables(ByteWriter& w, const CProject& p) {
    w.I32(p.m_inputs.m_iOffset);
    for (const auto& v : p.m_inputs.m_items) {
        Trace("wrote var %d: range (%0.2f - %0.2f)", v->m_ID, v->m_dMin, v->m_dMax);
        const std::size_t at = w.Size();
        w.Fill(kVariableRecordSize, 0);
        w.PutText16At(at + variable_record::kName, v->m_name, 100);  // the description stays empty
        PutVariableCore(w, at + kVariableCoreOffset, *v, true);
        w.I32(v->ItemCount());
        w.I32(static_cast<std::int32_t>(v->m_colour));
        if (v->m_iType != kDescriptorList) continue;
        for (const auto& item : v->m_items) {
            const std::size_t i = w.Size();
            w.Fill(kItemRecordSize, 0);
            w.PutText16At(i + item_record::kText, item->text, 100);
            w.PutI32At(i + item_record::kIndex, item->index);
            w.PutI32At(i + item_record::kValueCode, item->valueCode);
            w.PutI32At(i + item_record::kColour, static_cast<std::int32_t>(item->colour));
            w.PutU8At(i + item_record::kColourCoding, item->colourCoding ? 1 : 0);
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
    {
        using namespace model_header;
        const std::size_t at = w.Size();
        w.Fill(kModelHeaderSize, 0);
        w.PutI32At(at + kModelType, m.m_iModelType);
        w.PutI32At(at + kID, m.m_ID);
        w.PutI32At(at + kReservedLinkA, m.m_iReservedLinkA);
        w.PutI32At(at + kReservedLinkB, m.m_iReservedLinkB);
        w.PutI32At(at + kTargetID, m.m_iTargetID);
        w.PutI32At(at + kTargetType, m.m_iTargetType);
        w.PutI32At(at + kResetLimit, m.m_iResetLimit);
        w.PutF64At(at + kTolerance, m.m_dTolerance);
        w.PutF64At(at + kLearnRate, m.m_dLearnRate);
        w.PutF64At(at + kMomentum, m.m_dMomentum);
        w.PutI32At(at + kBackground, static_cast<std::int32_t>(m.m_colours[0]));
        w.PutI32At(at + kReceptorCount, receptors);
        w.PutI32At(at + kConnectionCount, connections);
    }
    Trace("wrote m_iModelType: %d, m_ID: %d, iNumReceptors: %d, iNumConnectors: %d", m.m_iModelType, m.m_ID,
          receptors, connections);
    for (const auto& r : m.m_receptors) {
        const std::size_t at = w.Size();
        using namespace receptor_record;
        w.Fill(kReceptorRecordSize, kRecordFill);
        w.PutI32At(at + kID, r->m_ID);
        w.PutI32At(at + kKind, r->m_iKind);
        w.PutI32At(at + kSize, r->m_iSize);
        w.PutI32At(at + kVariableID, r->m_iVariableID);
        w.PutI32At(at + kActivation, r->m_iActivation);
        w.PutI32At(at + kBitIndex, r->m_iBitIndex);
        w.PutI32At(at + kReservedA, r->m_iReservedA);
        w.PutI32At(at + kReservedB, r->m_iReservedB);
        w.PutI32At(at + kOutputID, r->m_iOutputID);
        w.PutI32At(at + kReservedC, r->m_iReservedC);
        for (std::size_t z = 0; z < 12; z += 4) w.PutI32At(at + kZeroes + z, 0);
        w.PutF64At(at + kReservedD, r->m_dReservedD);
        w.PutF64At(at + kThreshold, r->m_dThreshold);
        w.PutF64At(at + kTargetValue, r->m_dTargetValue);
        w.PutF64At(at + kBiasValue, r->m_dBiasValue);
        w.PutU8At(at + kFlagA, r->m_bFlagA ? 1 : 0);
        w.PutU8At(at + kFlagB, r->m_bFlagB ? 1 : 0);
        w.PutU8At(at + kAttachedToVariable, r->m_bAttachedToVariable ? 1 : 0);
        w.PutU8At(at + kAttachedToOutput, r->m_bAttachedToOutput ? 1 : 0);
        w.PutU8At(at + kFlagC, r->m_bFlagC ? 1 : 0);
        w.PutU8At(at + kLinearOutput, r->m_bLinearOutput ? 1 : 0);
        w.PutI32At(at + kX, r->m_pos.x);
        w.PutI32At(at + kY, r->m_pos.y);
        PutPoint(w, at + kInputPoint, r->m_geo.inputPoint);
        PutPoint(w, at + kOutputPoint, r->m_geo.outputPoint);
        PutPoint(w, at + kZeroPoint, KPoint{});
        PutRect(w, at + kInputPort, r->m_geo.inputPort);
        PutRect(w, at + kOutputPort, r->m_geo.outputPort);
        PutRect(w, at + kBody, r->m_geo.body);
        PutRect(w, at + kVariableBox, r->m_geo.variableBox);
        w.PutI32At(at + kColour, static_cast<std::int32_t>(r->m_displayColour));
        w.PutI32At(at + kColour2, static_cast<std::int32_t>(r->m_displayColour));
        w.PutI32At(at + kZeroes2, 0);
        w.PutI32At(at + kZeroes2 + 4, 0);
        w.PutText16At(at + kLabel, r->m_label, 40);
    }
    for (const auto& c : m.m_connections) {
        const std::size_t at = w.Size();
        using namespace connection_record;
        w.Fill(kConnectionRecordSize, kRecordFill);
        w.PutI32At(at + kID, c->m_ID);
        w.PutI32At(at + kSenderID, c->m_iSenderID);
        w.PutI32At(at + kReceiverID, c->m_iReceiverID);
        PutPoint(w, at + kMid, c->m_mid);
        PutPoint(w, at + kStart, c->m_start);
        PutPoint(w, at + kEnd, c->m_end);
        w.PutF64At(at + kWeight, c->Weight());
        w.PutF64At(at + kSignal, c->Signal());
        w.PutI32At(at + kColour, static_cast<std::int32_t>(c->m_colour));
        w.PutI32At(at + kReserved, c->m_iReserved);
        w.PutU8At(at + kValid, 1);
    }
}

void WriteScenarios(ByteWriter& w, const CScenarioMgr& sm) {
    w.I32(sm.m_ID);
    w.I32(sm.Count());
    w.I32(sm.m_iOwnerModelID);
    // One allocation for a big project instead of a copy at every doubling.
    std::size_t bytes = 0;
    for (const auto& s : sm.Scenarios()) bytes += kScenarioHeaderSize + s->m_inputs.size() * kVarInfoRecordSize;
    w.Reserve(w.Size() + bytes);
    for (const auto& s : sm.Scenarios()) {
        const std::size_t h = w.Size();
        w.Fill(kScenarioHeaderSize, 0);
        w.PutText16At(h + scenario_header::kName, s->m_name, 40);
        w.PutI32At(h + scenario_header::kID, s->m_ID);
        w.PutI32At(h + scenario_header::kInputCount, static_cast<std::int32_t>(s->m_inputs.size()));
        w.PutI32At(h + scenario_header::kOutputCount, static_cast<std::int32_t>(s->m_outputs.size()));
        w.PutI32At(h + scenario_header::kTargetID, s->m_iTargetID);
        w.PutI32At(h + scenario_header::kDisplayIndex, s->m_iDisplayIndex);
        for (const VARINFO& vi : s->m_inputs) {
            using namespace varinfo_record;
            const std::size_t at = w.Size();
            w.Fill(kVarInfoRecordSize, 0);
            w.PutI32At(at + kReceptorID, vi.receptorID);
            w.PutI32At(at + kConstant, vi.constant);
            w.PutI32At(at + kVariableID, vi.variableID);
            w.PutF64At(at + kMinimum, vi.minimum);
            w.PutF64At(at + kMaximum, vi.maximum);
            w.PutF64At(at + kValue, vi.value);
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
        using namespace variable_core;
        const std::size_t c = kVariableCoreOffset;
        r.name = rec.Text16At(variable_record::kName, 100);
        r.description = rec.Text16At(variable_record::kDescription, 255);
        r.type = rec.I32At(c + kType);
        r.minimum = rec.F64At(c + kMinimum);
        r.maximum = rec.F64At(c + kMaximum);
        r.value = rec.F64At(c + kValue);
        r.increment = rec.F64At(c + kIncrement);
        r.attached = rec.U8At(c + kAttached) != 0;
        r.attachedReceptorID = rec.I32At(c + kAttachedReceptorID);
        r.variableID = rec.I32At(c + kVariableID);
        r.reservedFlag = rec.U8At(c + kReservedFlag) != 0;
        r.autoIncrement = rec.U8At(c + kAutoIncrement) != 0;
        r.autoReset = rec.U8At(c + kAutoReset) != 0;
        r.reservedValue = rec.F64At(c + kReservedValue);
        r.reservedFlag2 = rec.U8At(c + kReservedFlag2) != 0;
        CVariable* v = p.m_inputs.AddVariable(r);
        v->ClearItems();
        if (r.type == kDescriptorList) {
            if (!CheckCount(in, items, kItemRecordSize, "descriptor items", itemsAt)) return false;
            for (std::int32_t k = 0; k < items; ++k) {
                ByteReader item = in.Record(kItemRecordSize);
                if (!in.Ok()) return false;
                VARIABLE_ITEM* it = v->AddItem(item.Text16At(item_record::kText, 100), item.I32At(item_record::kValueCode),
                                               item.I32At(item_record::kIndex), item.U8At(item_record::kColourCoding) != 0,
                                               static_cast<COLORREF>(item.I32At(item_record::kColour)));
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
    m.m_iModelType = h.I32At(model_header::kModelType);
    m.m_ID = h.I32At(model_header::kID);
    m.m_iReservedLinkA = h.I32At(model_header::kReservedLinkA);
    m.m_iReservedLinkB = h.I32At(model_header::kReservedLinkB);
    m.m_iTargetID = h.I32At(model_header::kTargetID);
    m.m_iTargetType = h.I32At(model_header::kTargetType);
    m.m_iResetLimit = h.I32At(model_header::kResetLimit);
    m.m_dTolerance = h.F64At(model_header::kTolerance);
    m.m_dLearnRate = h.F64At(model_header::kLearnRate);
    m.m_dMomentum = h.F64At(model_header::kMomentum);
    m.m_colours[0] = static_cast<COLORREF>(h.I32At(model_header::kBackground));
    const std::int32_t receptors = h.I32At(model_header::kReceptorCount);
    const std::int32_t connections = h.I32At(model_header::kConnectionCount);
    const std::uint64_t countsAt = in.Offset() - 8;
    if (!CheckCount(in, receptors, kReceptorRecordSize, "receptors", countsAt)) return false;
    for (std::int32_t i = 0; i < receptors; ++i) {
        const std::uint64_t at = in.Offset();
        ByteReader r = in.Record(kReceptorRecordSize);
        if (!in.Ok()) return false;
        // Geometry is pixel arithmetic; values far beyond any canvas are not a drawing.
        using namespace receptor_record;
        const std::int64_t size = r.I32At(kSize), x = r.I32At(kX), y = r.I32At(kY);
        if (size < 0 || size > kMaxReceptorSize || std::llabs(x) > kMaxCoordinate || std::llabs(y) > kMaxCoordinate) {
            in.Fail(Format("receptor %d has an impossible size or position", r.I32At(kID)), at);
            return false;
        }
        auto rc = std::make_unique<CReceptor>(r.I32At(kKind), r.I32At(kActivation), r.I32At(kID));
        rc->m_label.clear();
        rc->m_iSize = r.I32At(kSize);
        rc->m_iVariableID = r.I32At(kVariableID);
        rc->m_iBitIndex = r.I32At(kBitIndex);
        rc->m_iReservedA = r.I32At(kReservedA);
        rc->m_iReservedB = 0;
        rc->m_iOutputID = r.I32At(kOutputID);
        rc->m_iReservedC = r.I32At(kReservedC);
        rc->m_dReservedD = r.F64At(kReservedD);
        rc->m_dThreshold = r.F64At(kThreshold);
        rc->m_dTargetValue = r.F64At(kTargetValue);
        rc->m_dBiasValue = r.F64At(kBiasValue);
        rc->m_bFlagA = r.U8At(kFlagA) != 0;
        rc->m_bFlagB = r.U8At(kFlagB) != 0;
        rc->m_bAttachedToVariable = r.U8At(kAttachedToVariable) != 0;
        rc->m_bAttachedToOutput = r.U8At(kAttachedToOutput) != 0;
        rc->m_bFlagC = r.U8At(kFlagC) != 0;
        rc->m_bLinearOutput = r.U8At(kLinearOutput) != 0;
        rc->m_displayColour = static_cast<COLORREF>(r.I32At(kColour));
        rc->m_dOutput = 0.0;
        rc->Place(r.I32At(kX), r.I32At(kY));
        m.AddReceptorFromRecord(std::move(rc));
    }
    m.RebuildKindLists();
    if (!CheckCount(in, connections, kConnectionRecordSize, "connections", countsAt + 4)) return false;
    for (std::int32_t i = 0; i < connections; ++i) {
        const std::uint64_t at = in.Offset();
        ByteReader c = in.Record(kConnectionRecordSize);
        if (!in.Ok()) return false;
        using namespace connection_record;
        CReceptor* sender = m.FindReceptor(c.I32At(kSenderID));
        CReceptor* receiver = m.FindReceptor(c.I32At(kReceiverID));
        if (!sender || !receiver) {
            in.Fail(Format("connection %d joins receptors that are not in the file", c.I32At(kID)), at);
            return false;
        }
        m.AddConnectionWithID(sender, receiver, static_cast<COLORREF>(c.I32At(kColour)), c.F64At(kWeight), c.I32At(kID));
    }
    return in.Ok();
}

bool ReadScenarios(ByteReader& in, CScenarioMgr& sm, const CReceptorMgr& m, LoadProgress* progress) {
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
        if (progress && i % 1024 == 0) {
            progress->done = in.Offset();
            if (progress->cancelled) {
                in.Fail("cancelled", in.Offset());
                return false;
            }
        }
        ByteReader h = in.Record(kScenarioHeaderSize);
        if (!in.Ok()) return false;
        using namespace scenario_header;
        CScenario* s = sm.AppendScenario(h.I32At(kID));
        s->m_name = h.Text16At(kName, 40);
        s->m_iDisplayIndex = h.I32At(kDisplayIndex);
        s->m_iTargetID = h.I32At(kTargetID);
        const std::int32_t values = h.I32At(kInputCount);
        Trace("LOADING: The %s scenario has %d stored VARINFO inputs, and %d OUTPUTINFO outputs", s->m_name.c_str(),
              values, h.I32At(kOutputCount));
        Trace("LOADING: TargetID: %d about to be set.", s->m_iTargetID);
        s->m_pTarget = m.FindReceptor(s->m_iTargetID);
        if (!CheckCount(in, values, kVarInfoRecordSize, "stored input values", in.Offset() - 16)) return false;
        s->m_inputs.reserve(static_cast<std::size_t>(values));
        for (std::int32_t k = 0; k < values; ++k) {
            ByteReader r = in.Record(kVarInfoRecordSize);
            if (!in.Ok()) return false;
            using namespace varinfo_record;
            s->m_inputs.push_back({r.I32At(kReceptorID), r.I32At(kConstant), r.I32At(kVariableID), r.F64At(kMinimum),
                                   r.F64At(kMaximum), r.F64At(kValue)});
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

bool ReadProject(ByteReader& in, CProject& p, LoadProgress* progress) {
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
    if (!ReadScenarios(in, *scenarios, *model, progress)) return false;
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

std::vector<std::uint8_t> ProjectBytes(const CProject& project) {
    ByteWriter w;
    WriteProject(w, project, false);
    return w.Bytes();
}

FileResult SaveProjectFile(const std::string& path, const CProject& project) {
    return WriteFileAtomically(path, ProjectBytes(project));
}

std::vector<std::uint8_t> RuntimeBytes(const CProject& project) {
    ByteWriter w;
    WriteProject(w, project, true);
    return w.Bytes();
}

FileResult SaveRuntimeFile(const std::string& path, const CProject& project) {
    if (!project.Model()) return {false, "cannot write " + path + ": the project has no network", {}};
    return WriteFileAtomically(path, RuntimeBytes(project));
}

FileResult LoadProjectFile(const std::string& path, CProject& project) {
    CProject fresh;
    FileResult r = ReadProjectFile(path, fresh);
    if (r.ok) InstallLoaded(fresh, path, project);
    return r;
}

namespace {

FileResult ParseProject(const std::vector<std::uint8_t>& bytes, const std::string& path, CProject& fresh,
                        LoadProgress* progress) {
    if (progress) progress->total = bytes.size();
    ByteReader in(bytes.data(), bytes.size());
    if (!ReadProject(in, fresh, progress)) {
        if (progress && progress->cancelled) return {false, {}, {}};
        return {false, Format("%s is not a readable project file: %s (at byte %llu)", path.c_str(),
                              in.Problem().c_str(), static_cast<unsigned long long>(in.FailedAt())),
                {}};
    }
    if (progress) progress->done = bytes.size();
    return {};
}

}  // namespace

FileResult ReadProjectFile(const std::string& path, CProject& fresh, LoadProgress* progress) {
    // Far more than millions of scenarios take; a bigger file is refused before it is read.
    constexpr std::uint64_t kMaxProjectBytes = std::uint64_t{1} << 30;
    std::vector<std::uint8_t> bytes;
    FileResult read = ReadWholeFile(path, bytes, kMaxProjectBytes);
    if (!read.ok) return read;
    return ParseProject(bytes, path, fresh, progress);
}

FileResult LoadProjectBytes(const std::vector<std::uint8_t>& bytes, const std::string& path, CProject& project) {
    CProject fresh;
    FileResult r = ParseProject(bytes, path, fresh, nullptr);
    if (r.ok) InstallLoaded(fresh, path, project);
    return r;
}

void InstallLoaded(CProject& fresh, const std::string& path, CProject& project) {
    project.ClearProject();
    project.TakeLoaded(fresh);
    project.NewProject(kProjectLoaded);
    const std::string name = FileNameOf(path);
    project.m_name = name;
    if (project.Model()) project.Model()->m_name = TitleOf(name);
}

}  // namespace ks
