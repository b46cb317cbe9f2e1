#pragma once

#include "core/Geometry.h"

#include <array>
#include <cstddef>
#include <cstdint>

class Archive;
class DrawContext;

// Eight values per node array, in node order (see Box).
using NodeArray = std::array<DPoint, 8>;
using ShapeWeights = std::array<double, 8>;

// The Jacobian of a node array at one natural position: a = dx/dxi, b = dy/dxi,
// c = dx/deta, d = dy/deta. Its inverse is kept in the same four slots in the order
// (d, -b, -c, a) / determinant.
struct Matrix2 {
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
    double d = 0.0;

    bool operator==(const Matrix2&) const = default;
};

// Width and height of a region measured in its own (unrotated) frame, in pixels.
struct BoxSize {
    double width = 0.0;
    double height = 0.0;
};

// The mapping region: a rectangle of image pixels, possibly rotated, described by eight
// pixel nodes and the eight graph values they stand for. Pixel and graph positions are both
// interpolated over the natural coordinates (xi, eta) in [-1, 1] with the quadratic
// serendipity functions; either direction is solved by Newton iteration.
//
// Nodes, shared by both arrays, with their natural coordinates:
//   0 (-1,-1) top-left      1 (0,-1) top middle     2 (+1,-1) top-right
//   7 (-1, 0) left middle                           3 (+1, 0) right middle
//   6 (-1,+1) bottom-left   5 (0,+1) bottom middle  4 (+1,+1) bottom-right
// Corners are always set together; an odd node is always the average of its two
// neighbouring corners. The pixel corners form a rectangle turned by `angle` about node 6.
// Graph nodes hold log10 values on a logarithmic axis.
//
// Stored form (the region record, 272 bytes, little-endian): int32 pixelCount, int32
// graphCount, pixel nodes 0..7 (x then y, doubles), graph nodes 0..7, double angle.
class Box {
public:
    // Hit codes: a bit per edge under the pointer; a corner is the union of its two edges.
    static constexpr int kHitNone = 0;
    static constexpr int kHitLeft = 1;   // nodes 6-0
    static constexpr int kHitRight = 2;  // nodes 2-4
    static constexpr int kHitTop = 4;    // nodes 0-2
    static constexpr int kHitBottom = 8; // nodes 4-6
    static constexpr int kHitTopLeft = kHitTop | kHitLeft;
    static constexpr int kHitTopRight = kHitTop | kHitRight;
    static constexpr int kHitBottomRight = kHitBottom | kHitRight;
    static constexpr int kHitBottomLeft = kHitBottom | kHitLeft;

    // Sizing cursor kinds.
    static constexpr int kCursorNone = -1;
    static constexpr int kCursorDiagonalNwSe = 1; // "\"
    static constexpr int kCursorVertical = 2;
    static constexpr int kCursorDiagonalNeSw = 3; // "/"
    static constexpr int kCursorHorizontal = 4;

    // Answers of SegmentHit.
    static constexpr int kSegmentMiss = 0;
    static constexpr int kSegmentNearP = 1;
    static constexpr int kSegmentNearQ = 2;
    static constexpr int kSegmentAlong = 3;

    // Size of the region record.
    static constexpr int kRecordSize = 272;

    Box() = default;
    Box(const Box&) = default;
    Box& operator=(const Box&) = default;
    bool operator==(const Box&) const = default;

    virtual ~Box();
    // The outline, edges 0-2, 2-4, 4-6, 6-0; nothing while there is no region.
    virtual void Draw(DrawContext& ctx) const;
    // The line of constant graph X through the graph point, from the bottom edge to the top.
    // False when the point lies outside the region by more than 1 % of its half-width or
    // cannot be inverted; true without drawing while there is no pixel region.
    virtual bool DrawXLine(DrawContext& ctx, const DPoint& graph) const;
    // The same for constant graph Y, from the right edge to the left.
    virtual bool DrawYLine(DrawContext& ctx, const DPoint& graph) const;
    // A line between two image-pixel positions, converted to logical units by the context's
    // scale. A segment whose ends do not fit the logical integer range is not drawn.
    virtual void DrawSegment(DrawContext& ctx, const DPoint& from, const DPoint& to) const;
    // Graph nodes of a pixel mapping: the region's own width and height at the given scale,
    // starting from the origin at the bottom-left corner.
    virtual void ApplyScale(double aspectRatio, double pointsPerLength, const DPoint& origin);
    // n = 4: the corners 0, 2, 4, 6 (midpoints recomputed); otherwise the first n nodes.
    virtual void SetGraphNodes(int n, const DPoint* points);
    // An unrotated region with p1 as top-left and p2 as bottom-right (as given).
    virtual void SetPixelRect(const DPoint& p1, const DPoint& p2);
    // The hit tests take the pointer's image-pixel position and the pick tolerance in image
    // pixels per axis.
    // The sizing cursor for the handle under the pointer, turned with the region's angle.
    virtual int CursorKind(const DPoint& pixel, const DPoint& tolerance) const;
    // Where the pointer lies relative to segment P-Q, within the tolerance.
    virtual int SegmentHit(const DPoint& pixel, const DPoint& tolerance, const DPoint& p,
                           const DPoint& q) const;
    virtual int HitTest(const DPoint& pixel, const DPoint& tolerance) const;
    // The graph value at the region's centre (log10 form on logarithmic axes).
    virtual DPoint GraphCenter() const;
    virtual BoxSize Size() const;
    // Turns the pixel nodes about node 6, clockwise on the screen for positive degrees.
    virtual void Rotate(double degrees);
    // Moves the handle given by a non-zero hit code by a pixel delta, in the region's own
    // frame, keeping the rotation. A drag past the opposite edge mirrors the rectangle.
    virtual void Resize(int code, const DPoint& delta);
    virtual void Drag(int code, const DPoint& from, const DPoint& to);
    // The drag of the region and crop tools: with a handle (a non-zero hit code) and a
    // region, Box's own Drag of that handle; otherwise a new unrotated rectangle spanning
    // the two points.
    void DragHandleOrSpan(int code, const DPoint& from, const DPoint& to);
    // Graph values are returned as interpolated (log10 form on logarithmic axes).
    virtual bool MapPixelToGraph(const DPoint& pixel, DPoint& graph) const;
    virtual bool MapGraphToPixel(const DPoint& graph, DPoint& pixel) const;
    // n = 4: the corners 0, 2, 4, 6 (midpoints recomputed); otherwise the first n nodes.
    // The region becomes defined and unrotated.
    virtual void SetPixelNodes(int n, const DPoint* points);
    // Copies the corners 0, 2, 4, 6 and returns 4; returns 0 when n is below 4.
    virtual int GetPixelCorners(int n, DPoint* out) const;
    virtual void ShapeFunctions(double xi, double eta, ShapeWeights& n) const;
    virtual void ShapeDerivatives(double xi, double eta, ShapeWeights& n, ShapeWeights& dXi,
                                  ShapeWeights& dEta) const;
    // Natural coordinates of a point over a node array. No clamping: points outside the
    // region come back beyond +-1.
    virtual bool Invert(const DPoint& point, const NodeArray& nodes, DPoint& natural) const;
    virtual bool InvertPixel(const DPoint& point, DPoint& natural) const;
    virtual void Interpolate(const ShapeWeights& n, const NodeArray& nodes, DPoint& out) const;
    virtual void Jacobian(const ShapeWeights& dXi, const ShapeWeights& dEta, const NodeArray& nodes,
                          Matrix2& j) const;
    virtual void JacobianPixel(const ShapeWeights& dXi, const ShapeWeights& dEta, Matrix2& j) const;
    virtual double Determinant(const Matrix2& j) const;
    // Refuses a Jacobian that is singular relative to the node array it came from:
    // `extentArea` is the area of that array's bounding box (in its units squared), so the
    // test reads the same whether the array spans 1e-12 or 1e12. An empty or non-finite
    // extent is refused.
    virtual bool InvertJacobian(const Matrix2& j, Matrix2& inverse, double extentArea) const;

    // The region record; reading takes effect only once the whole record has been read
    // (a short archive throws ArchiveEndOfFile and leaves the region as it was).
    void Write(Archive& archive) const;
    void Read(Archive& archive);

    // Recomputes the odd nodes of an array from its corners.
    static void UpdateMidpoints(NodeArray& nodes);
    // Area of the bounding box of a node array; NaN when a node is not finite.
    static double ExtentArea(const NodeArray& nodes);
    // The bounding box of the points; false when there are none or one is not finite.
    static bool Bounds(const DPoint* points, std::size_t count, DPoint& low, DPoint& high);

    std::int32_t pixelCount = 0; // 0 = no region; 8 once the pixel nodes are set
    std::int32_t graphCount = 0; // 8 once graph values are set
    NodeArray pixelNodes{};      // image pixels, x right, y down
    NodeArray graphNodes{};      // graph values, y up (log10 on logarithmic axes)
    double angle = 0.0;          // accumulated rotation, degrees, clockwise on the screen

private:
    bool DrawConstantLine(DrawContext& ctx, const DPoint& graph, bool constantX) const;
    static void TurnNodes(NodeArray& nodes, double c, double s, const DPoint& pivot);
};
