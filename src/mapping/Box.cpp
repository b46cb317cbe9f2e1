#include "mapping/Box.h"

#include "core/Archive.h"
#include "draw/DrawContext.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Natural coordinates of the nodes, in node order.
constexpr double kNodeXi[8] = {-1.0, 0.0, 1.0, 1.0, 1.0, 0.0, -1.0, -1.0};
constexpr double kNodeEta[8] = {-1.0, -1.0, -1.0, 0.0, 1.0, 1.0, 1.0, 0.0};

constexpr int kCorner0 = 0;
constexpr int kCorner2 = 2;
constexpr int kCorner4 = 4;
constexpr int kCorner6 = 6;

constexpr int kMaxNewtonRounds = 40;
// Newton stops once both natural coordinates move less than this in one round.
constexpr double kNewtonStep = 1e-7;
// |det J| / (bounding-box area of the nodes) below this counts as singular. An unrotated
// rectangle gives 1/4 at any size; a unit-sized array gives the absolute 1e-7 test.
constexpr double kSingularRatio = 1e-7;
// DrawXLine and DrawYLine accept natural coordinates up to 1 % beyond the edges.
constexpr double kLineReach = 1.01;

// A pixel coordinate in logical units, or false when trunc(v * scale + 0.5) is not finite
// or beyond the int range (nodes from a damaged file, an absurd zoom): such a segment is
// skipped rather than drawn towards a clamped end.
bool FitsLogical(const DrawContext& ctx, double pixel, int& logical) {
    const double scaled = pixel * ctx.scale + 0.5;
    if (!(scaled > -2147483649.0 && scaled < 2147483648.0)) {
        return false;
    }
    logical = ctx.ToLogical(pixel);
    return true;
}

DPoint Minus(const DPoint& a, const DPoint& b) {
    return {a.x - b.x, a.y - b.y};
}

} // namespace

Box::~Box() = default;

void Box::Draw(DrawContext& ctx) const {
    if (pixelCount <= 0) {
        return;
    }
    DrawSegment(ctx, pixelNodes[kCorner0], pixelNodes[kCorner2]);
    DrawSegment(ctx, pixelNodes[kCorner2], pixelNodes[kCorner4]);
    DrawSegment(ctx, pixelNodes[kCorner4], pixelNodes[kCorner6]);
    DrawSegment(ctx, pixelNodes[kCorner6], pixelNodes[kCorner0]);
}

bool Box::DrawXLine(DrawContext& ctx, const DPoint& graph) const {
    return DrawConstantLine(ctx, graph, true);
}

bool Box::DrawYLine(DrawContext& ctx, const DPoint& graph) const {
    return DrawConstantLine(ctx, graph, false);
}

bool Box::DrawConstantLine(DrawContext& ctx, const DPoint& graph, bool constantX) const {
    DPoint natural;
    if (!Invert(graph, graphNodes, natural)) {
        return false;
    }
    const double along = constantX ? natural.x : natural.y;
    if (!(along >= -kLineReach && along <= kLineReach)) {
        return false;
    }
    if (pixelCount <= 0) {
        return true;
    }
    ShapeWeights n;
    DPoint a;
    DPoint b;
    if (constantX) {
        ShapeFunctions(natural.x, -1.0, n);
        Interpolate(n, pixelNodes, a);
        ShapeFunctions(natural.x, 1.0, n);
        Interpolate(n, pixelNodes, b);
    } else {
        ShapeFunctions(-1.0, natural.y, n);
        Interpolate(n, pixelNodes, a);
        ShapeFunctions(1.0, natural.y, n);
        Interpolate(n, pixelNodes, b);
    }
    DrawSegment(ctx, b, a);
    return true;
}

void Box::DrawSegment(DrawContext& ctx, const DPoint& from, const DPoint& to) const {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    if (!FitsLogical(ctx, from.x, x1) || !FitsLogical(ctx, from.y, y1) ||
        !FitsLogical(ctx, to.x, x2) || !FitsLogical(ctx, to.y, y2)) {
        return;
    }
    // In marching-ants mode the context records the start and draws the run itself.
    ctx.MoveTo(x1, y1);
    ctx.LineTo(x2, y2);
}

// The graph extents follow the region's own width and height whatever its rotation, so
// that turning a region in a pixel mapping keeps every point's graph value.
void Box::ApplyScale(double aspectRatio, double pointsPerLength, const DPoint& origin) {
    const BoxSize size = Size();
    const double kx = aspectRatio / pointsPerLength;
    const double ky = 1.0 / pointsPerLength;
    const double x1 = origin.x + size.width * kx;
    const double y1 = origin.y + size.height * ky;
    const DPoint corners[4] = {{origin.x, y1}, {x1, y1}, {x1, origin.y}, {origin.x, origin.y}};
    SetGraphNodes(4, corners);
}

void Box::SetGraphNodes(int n, const DPoint* points) {
    if (n == 4) {
        for (int i = 0; i < 4; ++i) {
            graphNodes[static_cast<std::size_t>(2 * i)] = points[i];
        }
        UpdateMidpoints(graphNodes);
    } else {
        const int copied = std::clamp(n, 0, 8);
        std::copy(points, points + copied, graphNodes.begin());
    }
    graphCount = 8;
}

void Box::SetPixelRect(const DPoint& p1, const DPoint& p2) {
    const DPoint corners[4] = {{p1.x, p1.y}, {p2.x, p1.y}, {p2.x, p2.y}, {p1.x, p2.y}};
    SetPixelNodes(4, corners);
}

// The cursor kinds cycle 1 -> 2 -> 3 -> 4 with every 45 degrees of clockwise turn. The
// turn is rounded to the nearest multiple of 45 (halves away from zero) and wrapped into
// 0..3 steps, so every finite angle gives a kind from 1 to 4.
int Box::CursorKind(const DPoint& pixel, const DPoint& tolerance) const {
    const int code = HitTest(pixel, tolerance);
    const bool left = (code & kHitLeft) != 0;
    const bool right = (code & kHitRight) != 0;
    const bool top = (code & kHitTop) != 0;
    const bool bottom = (code & kHitBottom) != 0;
    int base = 0;
    if ((left && top) || (right && bottom)) {
        base = kCursorDiagonalNwSe;
    } else if ((left && bottom) || (right && top)) {
        base = kCursorDiagonalNeSw;
    } else if (left || right) {
        base = kCursorHorizontal;
    } else if (top || bottom) {
        base = kCursorVertical;
    } else {
        return kCursorNone;
    }
    if (!std::isfinite(angle)) {
        return base;
    }
    const double sign = angle < 0.0 ? -1.0 : 1.0;
    const double steps = std::trunc((angle + sign * 22.5) * (1.0 / 45.0));
    double turned = std::fmod(steps + base - 1, 4.0);
    if (turned < 0.0) {
        turned += 4.0;
    }
    return static_cast<int>(turned) + 1;
}

int Box::SegmentHit(const DPoint& pixel, const DPoint& tolerance, const DPoint& p,
                    const DPoint& q) const {
    const DPoint& tol = tolerance;
    const double r = std::sqrt(tol.x * tol.x + tol.y * tol.y);
    const DPoint u = Minus(p, q);
    const double length = std::sqrt(u.x * u.x + u.y * u.y);
    if (!(length > 0.0)) {
        return kSegmentMiss;
    }
    const DPoint w = Minus(pixel, q);
    // Projection of the pointer on the line, measured from Q towards P.
    const double t = (w.x * u.x + w.y * u.y) / length;
    if (!(w.x * w.x + w.y * w.y - t * t < r * r)) {
        return kSegmentMiss;
    }
    if (-r < t && t < r) {
        return kSegmentNearQ;
    }
    if (length - r < t && t < length + r) {
        return kSegmentNearP;
    }
    if (-r < t && t < length + r) {
        return kSegmentAlong;
    }
    return kSegmentMiss;
}

int Box::HitTest(const DPoint& pixel, const DPoint& tolerance) const {
    if (pixelCount <= 0) {
        return kHitNone;
    }
    struct Edge {
        int first;
        int second;
        int nearFirst;
        int nearSecond;
        int along;
    };
    static constexpr Edge kEdges[4] = {
        {kCorner0, kCorner2, kHitTopLeft, kHitTopRight, kHitTop},
        {kCorner2, kCorner4, kHitTopRight, kHitBottomRight, kHitRight},
        {kCorner4, kCorner6, kHitBottomRight, kHitBottomLeft, kHitBottom},
        {kCorner6, kCorner0, kHitBottomLeft, kHitTopLeft, kHitLeft},
    };
    for (const Edge& edge : kEdges) {
        const int hit =
            SegmentHit(pixel, tolerance, pixelNodes[static_cast<std::size_t>(edge.first)],
                       pixelNodes[static_cast<std::size_t>(edge.second)]);
        switch (hit) {
        case kSegmentNearP:
            return edge.nearFirst;
        case kSegmentNearQ:
            return edge.nearSecond;
        case kSegmentAlong:
            return edge.along;
        default:
            break;
        }
    }
    return kHitNone;
}

DPoint Box::GraphCenter() const {
    ShapeWeights n;
    ShapeFunctions(0.0, 0.0, n);
    DPoint centre;
    Interpolate(n, graphNodes, centre);
    return centre;
}

BoxSize Box::Size() const {
    const double theta = angle * kDegreesToRadians;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const DPoint pivot = pixelNodes[kCorner6];
    // Nodes 0 and 4 turned back by -theta about node 6, which stays where it is.
    const DPoint d4 = Minus(pixelNodes[kCorner4], pivot);
    const DPoint d0 = Minus(pixelNodes[kCorner0], pivot);
    const double x4 = pivot.x + d4.x * c + d4.y * s;
    const double y0 = pivot.y - d0.x * s + d0.y * c;
    return {x4 - pivot.x, pivot.y - y0};
}

// x' = px + dx cos - dy sin, y' = py + dx sin + dy cos; a negative sine turns back.
void Box::TurnNodes(NodeArray& nodes, double c, double s, const DPoint& pivot) {
    for (DPoint& node : nodes) {
        const DPoint d = Minus(node, pivot);
        node = {pivot.x + d.x * c - d.y * s, pivot.y + d.x * s + d.y * c};
    }
}

void Box::Rotate(double degrees) {
    const double theta = degrees * kDegreesToRadians;
    const DPoint pivot = pixelNodes[kCorner6];
    TurnNodes(pixelNodes, std::cos(theta), std::sin(theta), pivot);
    angle += degrees;
}

void Box::Resize(int code, const DPoint& delta) {
    const double theta = angle * kDegreesToRadians;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const DPoint pivot = pixelNodes[kCorner6];
    const double dx = delta.x * c + delta.y * s;
    const double dy = delta.y * c - delta.x * s;

    NodeArray p = pixelNodes;
    TurnNodes(p, c, -s, pivot);
    switch (code) {
    case kHitTopLeft:
        p[0].x += dx;
        p[0].y += dy;
        p[6].x += dx;
        p[2].y += dy;
        break;
    case kHitTopRight:
        p[2].x += dx;
        p[2].y += dy;
        p[0].y += dy;
        p[4].x += dx;
        break;
    case kHitBottomRight:
        p[4].x += dx;
        p[4].y += dy;
        p[6].y += dy;
        p[2].x += dx;
        break;
    case kHitBottomLeft:
        p[6].x += dx;
        p[6].y += dy;
        p[0].x += dx;
        p[4].y += dy;
        break;
    case kHitLeft:
        p[0].x += dx;
        p[6].x += dx;
        break;
    case kHitRight:
        p[2].x += dx;
        p[4].x += dx;
        break;
    case kHitTop:
        p[0].y += dy;
        p[2].y += dy;
        break;
    case kHitBottom:
        p[4].y += dy;
        p[6].y += dy;
        break;
    default:
        return;
    }
    UpdateMidpoints(p);
    TurnNodes(p, c, s, pivot);
    pixelNodes = p;
}

void Box::Drag(int code, const DPoint& from, const DPoint& to) {
    if (code > 0) {
        Resize(code, Minus(to, from));
    }
}

void Box::DragHandleOrSpan(int code, const DPoint& from, const DPoint& to) {
    if (code != 0 && pixelCount > 0) {
        Box::Drag(code, from, to);
        return;
    }
    SetPixelRect({std::min(from.x, to.x), std::min(from.y, to.y)},
                 {std::max(from.x, to.x), std::max(from.y, to.y)});
}

bool Box::MapPixelToGraph(const DPoint& pixel, DPoint& graph) const {
    DPoint natural;
    if (!Invert(pixel, pixelNodes, natural)) {
        return false;
    }
    ShapeWeights n;
    ShapeFunctions(natural.x, natural.y, n);
    DPoint result;
    Interpolate(n, graphNodes, result);
    if (!std::isfinite(result.x) || !std::isfinite(result.y)) {
        return false;
    }
    graph = result;
    return true;
}

bool Box::MapGraphToPixel(const DPoint& graph, DPoint& pixel) const {
    DPoint natural;
    if (!Invert(graph, graphNodes, natural)) {
        return false;
    }
    ShapeWeights n;
    ShapeFunctions(natural.x, natural.y, n);
    DPoint result;
    Interpolate(n, pixelNodes, result);
    if (!std::isfinite(result.x) || !std::isfinite(result.y)) {
        return false;
    }
    pixel = result;
    return true;
}

void Box::SetPixelNodes(int n, const DPoint* points) {
    if (n == 4) {
        for (int i = 0; i < 4; ++i) {
            pixelNodes[static_cast<std::size_t>(2 * i)] = points[i];
        }
        UpdateMidpoints(pixelNodes);
    } else {
        const int copied = std::clamp(n, 0, 8);
        std::copy(points, points + copied, pixelNodes.begin());
    }
    angle = 0.0;
    pixelCount = 8;
}

int Box::GetPixelCorners(int n, DPoint* out) const {
    if (n < 4) {
        return 0;
    }
    for (int i = 0; i < 4; ++i) {
        out[i] = pixelNodes[static_cast<std::size_t>(2 * i)];
    }
    return 4;
}

void Box::ShapeFunctions(double xi, double eta, ShapeWeights& n) const {
    for (std::size_t i = 0; i < 8; ++i) {
        const double xn = kNodeXi[i];
        const double en = kNodeEta[i];
        if (xn != 0.0 && en != 0.0) {
            n[i] = 0.25 * (1.0 + xi * xn) * (1.0 + eta * en) * (xi * xn + eta * en - 1.0);
        } else if (xn == 0.0) {
            n[i] = 0.5 * (1.0 - xi * xi) * (1.0 + eta * en);
        } else {
            n[i] = 0.5 * (1.0 + xi * xn) * (1.0 - eta * eta);
        }
    }
}

void Box::ShapeDerivatives(double xi, double eta, ShapeWeights& n, ShapeWeights& dXi,
                           ShapeWeights& dEta) const {
    ShapeFunctions(xi, eta, n);
    for (std::size_t i = 0; i < 8; ++i) {
        const double xn = kNodeXi[i];
        const double en = kNodeEta[i];
        if (xn != 0.0 && en != 0.0) {
            dXi[i] = 0.25 * xn * (1.0 + eta * en) * (2.0 * xi * xn + eta * en);
            dEta[i] = 0.25 * en * (1.0 + xi * xn) * (xi * xn + 2.0 * eta * en);
        } else if (xn == 0.0) {
            dXi[i] = -xi * (1.0 + eta * en);
            dEta[i] = 0.5 * en * (1.0 - xi * xi);
        } else {
            dXi[i] = 0.5 * xn * (1.0 - eta * eta);
            dEta[i] = -eta * (1.0 + xi * xn);
        }
    }
}

bool Box::Invert(const DPoint& point, const NodeArray& nodes, DPoint& natural) const {
    const double area = ExtentArea(nodes);
    double xi = 0.1;
    double eta = 0.1;
    ShapeWeights n;
    ShapeWeights dXi;
    ShapeWeights dEta;
    for (int round = 0; round < kMaxNewtonRounds; ++round) {
        ShapeDerivatives(xi, eta, n, dXi, dEta);
        DPoint position;
        Interpolate(n, nodes, position);
        Matrix2 j;
        Jacobian(dXi, dEta, nodes, j);
        Matrix2 inverse;
        if (!InvertJacobian(j, inverse, area)) {
            return false;
        }
        const double dx = position.x - point.x;
        const double dy = position.y - point.y;
        const double nextXi = xi - (dx * inverse.a + dy * inverse.c);
        const double nextEta = eta - (dx * inverse.b + dy * inverse.d);
        if (std::fabs(nextXi - xi) < kNewtonStep && std::fabs(nextEta - eta) < kNewtonStep) {
            natural = {nextXi, nextEta};
            return true;
        }
        xi = nextXi;
        eta = nextEta;
    }
    return false;
}

bool Box::InvertPixel(const DPoint& point, DPoint& natural) const {
    return Invert(point, pixelNodes, natural);
}

void Box::Interpolate(const ShapeWeights& n, const NodeArray& nodes, DPoint& out) const {
    double x = 0.0;
    double y = 0.0;
    for (std::size_t i = 0; i < 8; ++i) {
        x += n[i] * nodes[i].x;
        y += n[i] * nodes[i].y;
    }
    out = {x, y};
}

void Box::Jacobian(const ShapeWeights& dXi, const ShapeWeights& dEta, const NodeArray& nodes,
                   Matrix2& j) const {
    Matrix2 m;
    for (std::size_t i = 0; i < 8; ++i) {
        m.a += dXi[i] * nodes[i].x;
        m.b += dXi[i] * nodes[i].y;
        m.c += dEta[i] * nodes[i].x;
        m.d += dEta[i] * nodes[i].y;
    }
    j = m;
}

void Box::JacobianPixel(const ShapeWeights& dXi, const ShapeWeights& dEta, Matrix2& j) const {
    Jacobian(dXi, dEta, pixelNodes, j);
}

double Box::Determinant(const Matrix2& j) const {
    return j.a * j.d - j.c * j.b;
}

bool Box::InvertJacobian(const Matrix2& j, Matrix2& inverse, double extentArea) const {
    if (!(extentArea > 0.0) || !std::isfinite(extentArea)) {
        return false;
    }
    const double det = Determinant(j);
    if (!std::isfinite(det) || !(std::fabs(det) / extentArea >= kSingularRatio)) {
        return false;
    }
    inverse = {j.d / det, -j.b / det, -j.c / det, j.a / det};
    return true;
}

void Box::Write(Archive& archive) const {
    archive.WriteInt32(pixelCount);
    archive.WriteInt32(graphCount);
    for (const DPoint& node : pixelNodes) {
        archive.WriteDouble(node.x);
        archive.WriteDouble(node.y);
    }
    for (const DPoint& node : graphNodes) {
        archive.WriteDouble(node.x);
        archive.WriteDouble(node.y);
    }
    archive.WriteDouble(angle);
}

void Box::Read(Archive& archive) {
    Box read;
    read.pixelCount = archive.ReadInt32();
    read.graphCount = archive.ReadInt32();
    for (DPoint& node : read.pixelNodes) {
        node.x = archive.ReadDouble();
        node.y = archive.ReadDouble();
    }
    for (DPoint& node : read.graphNodes) {
        node.x = archive.ReadDouble();
        node.y = archive.ReadDouble();
    }
    read.angle = archive.ReadDouble();
    pixelCount = read.pixelCount;
    graphCount = read.graphCount;
    pixelNodes = read.pixelNodes;
    graphNodes = read.graphNodes;
    angle = read.angle;
}

void Box::UpdateMidpoints(NodeArray& nodes) {
    for (std::size_t k = 0; k < 4; ++k) {
        const DPoint& a = nodes[2 * k];
        const DPoint& b = nodes[(2 * k + 2) % 8];
        nodes[2 * k + 1] = {(a.x + b.x) / 2.0, (a.y + b.y) / 2.0};
    }
}

bool Box::Bounds(const DPoint* points, std::size_t count, DPoint& low, DPoint& high) {
    if (count == 0) {
        return false;
    }
    low = high = points[0];
    for (std::size_t i = 0; i < count; ++i) {
        const DPoint& p = points[i];
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            return false;
        }
        low = DPoint{std::min(low.x, p.x), std::min(low.y, p.y)};
        high = DPoint{std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    return true;
}

double Box::ExtentArea(const NodeArray& nodes) {
    DPoint low;
    DPoint high;
    if (!Bounds(nodes.data(), nodes.size(), low, high)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return (high.x - low.x) * (high.y - low.y);
}
