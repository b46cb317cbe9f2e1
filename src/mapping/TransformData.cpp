#include "mapping/TransformData.h"

#include "core/Archive.h"
#include "mapping/TransformAxisVw.h"
#include "mapping/TransformMan.h"
#include "mapping/TransformMemento.h"
#include "mapping/TransformPpiVw.h"

#include <cmath>

namespace {

constexpr std::size_t kReservedSize = 16;      // two doubles after the log flags
constexpr std::size_t kOldLeadingSize = 8;     // old block: before limitsSet
constexpr std::size_t kOldAfterLimitsSet = 36; // old block: between limitsSet and the region

bool Finite(const DPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

TransformData::TransformData() {
    Reset();
}

TransformData::~TransformData() = default;

void TransformData::Update(Observer* subject, void*) {
    if (const auto* man = dynamic_cast<const TransformMan*>(subject)) {
        ApplyManip(*man);
    } else if (const auto* axis = dynamic_cast<const TransformAxisVw*>(subject)) {
        ApplyAxis(*axis);
    } else if (const auto* ppi = dynamic_cast<const TransformPpiVw*>(subject)) {
        ApplyPpi(*ppi);
    } else if (const auto* memento = dynamic_cast<const TransformMemento*>(subject)) {
        ApplyMemento(*memento);
    }
}

std::unique_ptr<AttributeRep> TransformData::CreateRep(const std::string& key) {
    std::unique_ptr<AttributeRep> rep;
    if (key == TransformMan::kKey) {
        rep = std::make_unique<TransformMan>(this);
    } else if (key == TransformAxisVw::kKey) {
        rep = std::make_unique<TransformAxisVw>(this);
    } else if (key == TransformPpiVw::kKey) {
        rep = std::make_unique<TransformPpiVw>(this);
    } else if (key == TransformMemento::kKey) {
        rep = std::make_unique<TransformMemento>(this);
    } else {
        return nullptr;
    }
    rep->Refresh();
    return rep;
}

bool TransformData::PixelToGraph(const DPoint& pixel, DPoint& graph) const {
    if (region.pixelCount <= 0) {
        return false;
    }
    DPoint g;
    if (!region.MapPixelToGraph(pixel, g)) {
        return false;
    }
    if (logX != 0) {
        g.x = std::pow(10.0, g.x);
    }
    if (logY != 0) {
        g.y = std::pow(10.0, g.y);
    }
    if (!Finite(g)) {
        return false;
    }
    graph = g;
    return true;
}

bool TransformData::GraphToPixel(DPoint& graph, DPoint& pixel) const {
    if (region.pixelCount <= 0) {
        return false;
    }
    if ((logX != 0 && !(graph.x > 0.0)) || (logY != 0 && !(graph.y > 0.0))) {
        return false;
    }
    if (logX != 0) {
        graph.x = std::log10(graph.x);
    }
    if (logY != 0) {
        graph.y = std::log10(graph.y);
    }
    return region.MapGraphToPixel(graph, pixel);
}

void TransformData::SetLimits(const DPoint& min, const DPoint& max) {
    xMin = min.x;
    yMin = min.y;
    xMax = max.x;
    yMax = max.y;
    limitsSet = 1;
    DPoint corners[4] = {{xMin, yMax}, {xMax, yMax}, {xMax, yMin}, {xMin, yMin}};
    for (DPoint& corner : corners) {
        if (logX != 0) {
            corner.x = std::log10(corner.x);
        }
        if (logY != 0) {
            corner.y = std::log10(corner.y);
        }
    }
    region.SetGraphNodes(4, corners);
}

bool TransformData::SetPixelMapping(double aspect, double ppl, const DPoint& origin) {
    const BoxSize size = region.Size();
    aspectRatio = aspect;
    pointsPerLength = ppl;
    limitsSet = 1;
    xMin = origin.x;
    yMin = origin.y;
    xMax = origin.x + size.width * aspect / ppl;
    yMax = origin.y + size.height / ppl;
    region.ApplyScale(aspect, ppl, origin);
    // NaN when a node is not finite, so that also fails.
    return Box::ExtentArea(region.graphNodes) > 0.0;
}

void TransformData::Reset() {
    mode = kAxisMapping;
    pointsPerLength = 1.0;
    aspectRatio = 1.0;
    logX = 0;
    logY = 0;
    region = Box();
    SetLimits({1.0, 1.0}, {10.0, 10.0});
}

BoxSize TransformData::RegionSize() const {
    return region.Size();
}

namespace {
// The limits and log flags, which the data and three of its representations all carry
// under the same names.
template <typename From, typename To> void CopyAxisFields(const From& from, To& to) {
    to.xMin = from.xMin;
    to.yMin = from.yMin;
    to.xMax = from.xMax;
    to.yMax = from.yMax;
    to.logX = from.logX;
    to.logY = from.logY;
}

// The full state, for the undo memento in both directions.
template <typename From, typename To> void CopyAllFields(const From& from, To& to) {
    to.mode = from.mode;
    to.pointsPerLength = from.pointsPerLength;
    to.aspectRatio = from.aspectRatio;
    to.limitsSet = from.limitsSet;
    CopyAxisFields(from, to);
    to.region = from.region;
}
} // namespace

void TransformData::FillManip(TransformMan& rep) const {
    rep.pointsPerLength = pointsPerLength;
    rep.aspectRatio = aspectRatio;
    CopyAxisFields(*this, rep);
    rep.region = region;
}

void TransformData::ApplyManip(const TransformMan& rep) {
    region = rep.region;
    if (mode == kPixelMapping) {
        const DPoint origin = region.graphNodes[6];
        SetPixelMapping(aspectRatio, pointsPerLength, origin);
    }
}

void TransformData::FillAxis(TransformAxisVw& rep) const {
    CopyAxisFields(*this, rep);
}

void TransformData::ApplyAxis(const TransformAxisVw& rep) {
    mode = kAxisMapping;
    logX = rep.logX;
    logY = rep.logY;
    SetLimits({rep.xMin, rep.yMin}, {rep.xMax, rep.yMax});
}

// In an axis mapping the scale shown is the one the limits imply along X; when that is not
// a number (equal X limits, no region) the stored scale is shown instead, so the dialog
// never opens on an infinite value.
void TransformData::FillPpi(TransformPpiVw& rep) const {
    rep.aspectRatio = aspectRatio;
    if (mode == kPixelMapping) {
        rep.pointsPerLength = pointsPerLength;
    } else {
        const double implied = region.Size().width / (xMax - xMin);
        rep.pointsPerLength = std::isfinite(implied) ? implied : pointsPerLength;
    }
    rep.xOrigin = region.graphNodes[6].x;
    rep.yOrigin = region.graphNodes[6].y;
}

void TransformData::ApplyPpi(const TransformPpiVw& rep) {
    logX = 0;
    logY = 0;
    mode = kPixelMapping;
    SetPixelMapping(rep.aspectRatio, rep.pointsPerLength, {rep.xOrigin, rep.yOrigin});
}

void TransformData::FillMemento(TransformMemento& rep) const {
    CopyAllFields(*this, rep);
}

void TransformData::ApplyMemento(const TransformMemento& rep) {
    CopyAllFields(rep, *this);
}

bool TransformData::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInt32(kRecordVersion);
        archive.WriteInt32(limitsSet);
        archive.WriteInt32(1);
        region.Write(archive);
        archive.WriteInt32(logX);
        archive.WriteInt32(logY);
        archive.WriteDouble(0.0);
        archive.WriteDouble(0.0);
        archive.WriteInt32(mode);
        archive.WriteDouble(aspectRatio);
        archive.WriteDouble(pointsPerLength);
        archive.WriteDouble(xMin);
        archive.WriteDouble(yMin);
        archive.WriteDouble(xMax);
        archive.WriteDouble(yMax);
        return true;
    }
    if (archive.ReadInt32() != kRecordVersion) {
        return false;
    }
    const std::int32_t readLimitsSet = archive.ReadInt32();
    Box readRegion = region;
    if (archive.ReadInt32() != 0) {
        readRegion.Read(archive);
    }
    const std::int32_t readLogX = archive.ReadInt32();
    const std::int32_t readLogY = archive.ReadInt32();
    archive.Skip(kReservedSize);
    const std::int32_t readMode = archive.ReadInt32();
    const double readAspect = archive.ReadDouble();
    const double readPpl = archive.ReadDouble();
    const double readXMin = archive.ReadDouble();
    const double readYMin = archive.ReadDouble();
    const double readXMax = archive.ReadDouble();
    const double readYMax = archive.ReadDouble();

    limitsSet = readLimitsSet;
    region = readRegion;
    logX = readLogX;
    logY = readLogY;
    mode = readMode;
    aspectRatio = readAspect;
    pointsPerLength = readPpl;
    xMin = readXMin;
    yMin = readYMin;
    xMax = readXMax;
    yMax = readYMax;
    return true;
}

bool TransformData::ReadOldBlock(Archive& archive) {
    archive.Skip(kOldLeadingSize);
    const std::int32_t readLimitsSet = archive.ReadInt32();
    archive.Skip(kOldAfterLimitsSet);
    Box readRegion;
    readRegion.Read(archive);
    const double readXMin = archive.ReadDouble();
    const double readYMin = archive.ReadDouble();
    const double readXMax = archive.ReadDouble();
    const double readYMax = archive.ReadDouble();
    const std::int32_t readLogX = archive.ReadInt32();
    const std::int32_t readLogY = archive.ReadInt32();

    limitsSet = readLimitsSet;
    region = readRegion;
    xMin = readXMin;
    yMin = readYMin;
    xMax = readXMax;
    yMax = readYMax;
    logX = readLogX;
    logY = readLogY;
    mode = kAxisMapping;
    aspectRatio = 1.0;
    pointsPerLength = 1.0;
    return true;
}
