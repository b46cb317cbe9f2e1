#pragma once

#include "core/AttributeData.h"
#include "core/Geometry.h"
#include "mapping/Box.h"

#include <cstdint>
#include <memory>
#include <string>

class Archive;
class TransformMan;
class TransformAxisVw;
class TransformPpiVw;
class TransformMemento;

// The document's mapping between image pixels and graph values, over the mapping region.
// The graph values of the region come from an axis mapping (limits, each axis linear or
// base-10 logarithmic) or from a pixel mapping (aspect ratio, pixels per graph unit and the
// graph value of the bottom-left corner).
//
// Dialogs, tools, tasks and undo snapshots change it only through representations: they
// ask CreateRep for one by key, edit it, and hand it back with its Notify, upon which
// Update copies the values in.
//
// Stored form, the mapping record (360 bytes, little-endian, no padding):
//     0  int32   record version, 1
//     4  int32   limitsSet
//     8  int32   region presence, written as 1; 0 means no region record follows
//    12  272     region record (Box)
//   284  int32   logX
//   288  int32   logY
//   292  2x f64  reserved, written as 0.0, skipped on reading
//   308  int32   mode
//   312  f64     aspectRatio
//   320  f64     pointsPerLength
//   328  2x f64  xMin, yMin
//   344  2x f64  xMax, yMax
// Graph nodes are taken as stored, never recomputed from the limits.
class TransformData : public AttributeData {
public:
    static constexpr const char* kDataKey = "AttTransform";
    static constexpr int kAxisMapping = 0;
    static constexpr int kPixelMapping = 1;
    static constexpr std::int32_t kRecordVersion = 1;
    static constexpr int kRecordSize = 360;
    static constexpr int kOldBlockSize = 360;

    TransformData();
    ~TransformData() override;

    // Copies the values of the representation that notified; the hint is not read.
    void Update(Observer* subject, void* hint) override;
    // "ViewManipTransformData", "ViewAxisTransformData", "ViewPPITransformData" or
    // "ViewMementoTransformData", filled from this data; null for any other key.
    std::unique_ptr<AttributeRep> CreateRep(const std::string& key) override;

    // False without a region, when the point cannot be inverted, or when the graph value
    // would not be finite; the output is then untouched.
    bool PixelToGraph(const DPoint& pixel, DPoint& graph) const;
    // On a logarithmic axis the input is replaced by its log10 (pass a scratch copy); a
    // value that is not positive there fails before anything is replaced.
    bool GraphToPixel(DPoint& graph, DPoint& pixel) const;
    // Re-labels the region: graph corners from the limits (log10 on logarithmic axes).
    void SetLimits(const DPoint& min, const DPoint& max);
    // Stores the values as given and derives the extents from the region size. Returns
    // false when the resulting graph nodes are not finite or span no area (a
    // points-per-length of 0 or infinity, a non-finite input, no region): graph to pixel then
    // fails, and so does pixel to graph wherever its result would not be finite.
    bool SetPixelMapping(double aspect, double pointsPerLength, const DPoint& origin);
    // Defaults, no region, limits (1, 1)-(10, 10).
    void Reset();
    BoxSize RegionSize() const;

    void FillManip(TransformMan& rep) const;
    void ApplyManip(const TransformMan& rep);
    void FillAxis(TransformAxisVw& rep) const;
    void ApplyAxis(const TransformAxisVw& rep);
    void FillPpi(TransformPpiVw& rep) const;
    void ApplyPpi(const TransformPpiVw& rep);
    void FillMemento(TransformMemento& rep) const;
    void ApplyMemento(const TransformMemento& rep);

    // Writes, or reads, the mapping record. Reading fails at once on a version other than 1
    // (only the version word is consumed); a short archive throws ArchiveEndOfFile. The data
    // changes only once the whole record has been read.
    bool Serialize(Archive& archive);
    // The mapping block of older documents (360 bytes):
    //     0  8 bytes ignored;  8 int32 limitsSet;  12  36 bytes ignored;
    //    48  272 region record;  320  4x f64 xMin, yMin, xMax, yMax;
    //   352  int32 logX;  356  int32 logY.
    // Afterwards the mapping is an axis mapping with aspect ratio and points per length 1.
    bool ReadOldBlock(Archive& archive);

    std::int32_t mode = kAxisMapping;
    double pointsPerLength = 1.0; // pixel mapping: pixels per graph unit along the height
    double aspectRatio = 1.0;     // pixel mapping: w/h; a pixel across is aspect/ppl units
    std::int32_t limitsSet = 1;   // 1 whenever limits were assigned; a file may bring 0
    std::int32_t logX = 0;
    std::int32_t logY = 0;
    double xMin = 1.0; // bottom-left graph value (the origin in a pixel mapping), as entered
    double yMin = 1.0;
    double xMax = 10.0; // top-right graph value, as entered
    double yMax = 10.0;
    Box region;
};
