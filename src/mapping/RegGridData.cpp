#include "mapping/RegGridData.h"

#include "core/Archive.h"
#include "mapping/Box.h"
#include "mapping/RegGridSnap.h"
#include "mapping/RegGridVw.h"
#include "mapping/SnapTolerance.h"
#include "mapping/TransformData.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool Finite(const DPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The settings of one axis, origin and step in graph units (not logarithmic).
struct AxisGrid {
    double origin;
    double step;
    bool logarithmic;
};

bool GivesLines(const AxisGrid& axis) {
    if (!std::isfinite(axis.origin) || !std::isfinite(axis.step) || axis.step == 0.0) {
        return false;
    }
    return !axis.logarithmic || (axis.origin > 0.0 && axis.step > 0.0);
}

// The nearest grid lines at or below and at or above a graph value, in graph units; false
// when the axis offers none there.
bool LinesAround(const AxisGrid& axis, double value, double& below, double& above) {
    if (!GivesLines(axis) || !std::isfinite(value)) {
        return false;
    }
    double origin = axis.origin;
    double step = std::fabs(axis.step);
    double decadeEnd = kInfinity;
    if (axis.logarithmic) {
        if (!(value > 0.0)) {
            return false;
        }
        // The decade [origin * 10^j, origin * 10^(j+1)) that holds the value, found with
        // floor so that values below 1 (or below the origin) get their own decade. The
        // logarithms may round a value next to a boundary into the neighbouring decade;
        // the comparisons put it back.
        double j = std::floor(std::log10(value) - std::log10(axis.origin));
        double scale = std::pow(10.0, j);
        if (value < axis.origin * scale) {
            scale = std::pow(10.0, j - 1.0);
        } else if (value >= 10.0 * axis.origin * scale) {
            scale = std::pow(10.0, j + 1.0);
        }
        origin = axis.origin * scale;
        step = axis.step * scale;
        // The next decade's first line is the last line this decade offers.
        decadeEnd = 10.0 * origin;
        if (!std::isfinite(decadeEnd) || !(step > 0.0) || !(origin > 0.0)) {
            return false;
        }
    }
    const double n = (value - origin) / step;
    if (!std::isfinite(n)) {
        return false;
    }
    below = std::floor(n) * step + origin;
    above = std::min(std::ceil(n) * step + origin, decadeEnd);
    return std::isfinite(below) && std::isfinite(above);
}

bool Within(double line, double value, double tolerance) {
    return value - tolerance <= line && line <= value + tolerance;
}

// Visits value(start), then value(start + k) and value(start - k) for k = 1, 2, ... in
// turn. A direction ends at its first visit that answers false, or when its value repeats
// (a step below the resolution of doubles); the whole walk ends when the budget is spent.
template <typename Value, typename Visit>
void WalkOutwards(double start, const int& budget, Value value, Visit visit) {
    double lastUp = value(start);
    double lastDown = lastUp;
    bool up = visit(lastUp);
    bool down = true;
    for (double k = 1.0; (up || down) && budget > 0; k += 1.0) {
        if (up) {
            const double v = value(start + k);
            up = v != lastUp && visit(v);
            lastUp = v;
        }
        if (down && budget > 0) {
            const double v = value(start - k);
            down = v != lastDown && visit(v);
            lastDown = v;
        }
    }
}

template <typename From, typename To> void CopySettings(const From& from, To& to) {
    to.snapX = from.snapX;
    to.snapY = from.snapY;
    to.originX = from.originX;
    to.originY = from.originY;
    to.stepX = from.stepX;
    to.stepY = from.stepY;
    to.showX = from.showX;
    to.showY = from.showY;
}

} // namespace

RegGridData::RegGridData(TransformData* transform) : transform_(transform) {}

RegGridData::~RegGridData() = default;

void RegGridData::Update(Observer* subject, void*) {
    if (const auto* view = dynamic_cast<const RegGridVw*>(subject)) {
        ApplyView(*view);
    }
}

std::unique_ptr<AttributeRep> RegGridData::CreateRep(const std::string& key) {
    if (key == RegGridVw::kKey) {
        auto view = std::make_unique<RegGridVw>(this);
        view->Refresh();
        return view;
    }
    if (key == RegGridSnap::kKey) {
        return std::make_unique<RegGridSnap>(this);
    }
    return nullptr;
}

void RegGridData::FillView(RegGridVw& rep) const {
    CopySettings(*this, rep);
}

void RegGridData::ApplyView(const RegGridVw& rep) {
    CopySettings(rep, *this);
}

bool RegGridData::Snap(DPoint& point) const {
    if (transform_ == nullptr || !HasGridSnap()) {
        return false;
    }
    const double tolerance = SnapTolerance::Current();
    const DPoint moved{point.x + 2.0 * tolerance, point.y + 2.0 * tolerance};
    DPoint g;
    DPoint gMoved;
    if (!transform_->PixelToGraph(point, g) || !transform_->PixelToGraph(moved, gMoved)) {
        return false;
    }
    // The tolerance in graph units along each axis.
    const double tx = std::fabs(gMoved.x - g.x);
    const double ty = std::fabs(gMoved.y - g.y);
    if (!std::isfinite(tx) || !std::isfinite(ty)) {
        return false;
    }

    DPoint snapped = g;
    bool result = false;
    double below = 0.0;
    double above = 0.0;
    if (snapX != 0 && LinesAround({originX, stepX, transform_->logX != 0}, g.x, below, above)) {
        if (Within(below, g.x, tx)) {
            snapped.x = below;
            result = true;
        } else if (Within(above, g.x, tx)) {
            snapped.x = above;
            result = true;
        }
    }
    if (snapY != 0 && LinesAround({originY, stepY, transform_->logY != 0}, g.y, below, above)) {
        if (Within(above, g.y, ty)) {
            snapped.y = above;
            result = true;
        } else if (Within(below, g.y, ty)) {
            snapped.y = below;
            result = true;
        }
    }
    if (!result) {
        return false;
    }
    DPoint pixel;
    if (!transform_->GraphToPixel(snapped, pixel) || !Finite(pixel)) {
        return false;
    }
    point = pixel;
    return true;
}

void RegGridData::Draw(DrawContext& ctx) const {
    if (transform_ == nullptr || !HasGridSnap() || transform_->region.pixelCount <= 0) {
        return;
    }
    if (snapX != 0 && showX != 0) {
        DrawAxis(ctx, true);
    }
    if (snapY != 0 && showY != 0) {
        DrawAxis(ctx, false);
    }
}

void RegGridData::DrawAxis(DrawContext& ctx, bool xAxis) const {
    const Box& region = transform_->region;
    // Graph node form: log10 on a logarithmic axis.
    const DPoint centre = region.GraphCenter();
    const AxisGrid axis = xAxis ? AxisGrid{originX, stepX, transform_->logX != 0}
                                : AxisGrid{originY, stepY, transform_->logY != 0};
    if (!Finite(centre) || !GivesLines(axis)) {
        return;
    }
    const double middle = xAxis ? centre.x : centre.y;
    int budget = kMaxLinesPerAxis;
    // A line of constant X is asked for through the centre's Y (and the other way round):
    // that point always lies inside the region, and the other coordinate does not move the
    // line.
    const auto line = [&](double value) {
        --budget;
        return xAxis ? region.DrawXLine(ctx, {value, centre.y})
                     : region.DrawYLine(ctx, {centre.x, value});
    };

    if (!axis.logarithmic) {
        const double step = std::fabs(axis.step);
        // The line nearest the centre: if it lies outside the region, so does every other.
        const double start = std::round((middle - axis.origin) / step);
        if (!std::isfinite(start)) {
            return;
        }
        WalkOutwards(
            start, budget, [&](double n) { return axis.origin + n * step; }, line);
        return;
    }

    // Decade j (relative to the origin) holds the lines j + log10(origin + i * step) in node
    // form, i = 0, 1, ... while origin + i * step < 10 * origin; its first line lies at
    // j + log10(origin). The walk starts with the decade whose first line is nearest the
    // centre. The decade below and the decade above any first line inside the region are
    // always visited, so partial decades at both ends are drawn.
    const double firstLine = std::log10(axis.origin);
    const double start = std::round(middle - firstLine);
    if (!std::isfinite(start)) {
        return;
    }
    const double decadeEnd = 10.0 * axis.origin;
    const auto decade = [&](double j) {
        bool firstInside = false;
        double last = kNaN;
        for (double i = 0.0; budget > 0; i += 1.0) {
            const double v = axis.origin + i * axis.step;
            if (!(v < decadeEnd) || v == last) {
                break;
            }
            last = v;
            const bool inside = line(j + std::log10(v));
            if (i == 0.0) {
                firstInside = inside;
            }
        }
        return firstInside;
    };
    WalkOutwards(
        start, budget, [](double j) { return j; }, decade);
}

bool RegGridData::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInt32(kRecordVersion);
        archive.WriteInt32(snapX);
        archive.WriteInt32(snapY);
        archive.WriteDouble(originX);
        archive.WriteDouble(originY);
        archive.WriteDouble(stepX);
        archive.WriteDouble(stepY);
        archive.WriteInt32(showX);
        archive.WriteInt32(showY);
        return true;
    }
    const std::int32_t version = archive.ReadInt32();
    if (version != kRecordVersion && version != kOldRecordVersion) {
        return false;
    }
    const std::int32_t readSnapX = archive.ReadInt32();
    const std::int32_t readSnapY = archive.ReadInt32();
    const double readOriginX = archive.ReadDouble();
    const double readOriginY = archive.ReadDouble();
    const double readStepX = archive.ReadDouble();
    const double readStepY = archive.ReadDouble();
    std::int32_t readShowX = 1;
    std::int32_t readShowY = 1;
    if (version == kRecordVersion) {
        readShowX = archive.ReadInt32();
        readShowY = archive.ReadInt32();
    }
    snapX = readSnapX;
    snapY = readSnapY;
    originX = readOriginX;
    originY = readOriginY;
    stepX = readStepX;
    stepY = readStepY;
    showX = readShowX;
    showY = readShowY;
    return true;
}
