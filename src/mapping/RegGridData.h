#pragma once

#include "core/AttributeData.h"
#include "core/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>

class Archive;
class DrawContext;
class RegGridVw;
class TransformData;

// The document's regular grid in graph coordinates: lines of constant X at
// originX + n * stepX and of constant Y at originY + n * stepY. It is drawn over the image
// and the pointer snaps onto it, both through the mapping, so the grid turns with the
// mapping region. On a logarithmic axis the step repeats per decade counted from the
// origin, as on log paper: the lines of decade j are 10^j * (origin + i * step) for every
// i >= 0 below 10^j * 10 * origin (origin 1, step 1: 1, 2, ..., 9 times 10^j).
//
// An axis whose settings give no lines neither draws nor snaps: a step of 0, a step or
// origin that is not finite, or on a logarithmic axis a step or origin that is not
// positive. A negative step on a linear axis gives the same lines as its magnitude.
//
// Changed only through representations: "ViewDialogRegGrid" (RegGridVw, the dialog's copy,
// handed back with its Notify) and "GridSnapRegGrid" (RegGridSnap, the snap test that reads
// the live settings).
//
// Stored form, the grid block (52 bytes, little-endian, no padding):
//     0  int32  record version, 2
//     4  int32  snapX
//     8  int32  snapY
//    12  f64    originX
//    20  f64    originY
//    28  f64    stepX
//    36  f64    stepY
//    44  int32  showX
//    48  int32  showY
// Version 1 ends after stepY (44 bytes); its grids show both axes.
class RegGridData : public AttributeData {
public:
    static constexpr const char* kDataKey = "AttRegGrid";
    static constexpr std::int32_t kRecordVersion = 2;
    static constexpr std::int32_t kOldRecordVersion = 1;
    static constexpr int kRecordSize = 52;
    static constexpr int kOldRecordSize = 44;
    // Each axis draws at most this many lines (attempts included) per drawing, in total over
    // both directions, so that a tiny step cannot hang the view.
    static constexpr int kMaxLinesPerAxis = 10000;

    // The mapping is not owned and may be null (then nothing is drawn or snapped).
    explicit RegGridData(TransformData* transform);
    ~RegGridData() override;

    // Copies the settings of a RegGridVw that notified; any other subject is ignored.
    void Update(Observer* subject, void* hint) override;
    // "ViewDialogRegGrid": a RegGridVw holding a copy of the settings; "GridSnapRegGrid": a
    // RegGridSnap bound to this data; null for any other key (exact comparison).
    std::unique_ptr<AttributeRep> CreateRep(const std::string& key) override;

    // Either axis on.
    bool HasGridSnap() const { return snapX != 0 || snapY != 0; }

    // The lines of every axis that is on and shown, through the region's DrawXLine and
    // DrawYLine with the context's current pen; nothing without a mapping region.
    //
    // Linear axis: the walk starts at the line nearest the region's centre and alternates
    // outwards, each direction ending at its first line outside the region. Logarithmic
    // axis: the walk starts with the decade whose first line lies nearest the centre, so
    // that line is inside whenever any decade's first line is; every line of a visited
    // decade is drawn, and each direction goes on to the next decade while the first line
    // of the one just drawn was inside.
    void Draw(DrawContext& ctx) const;

    // Snaps an image-pixel position onto the grid within the process-wide snap tolerance
    // (measured as the graph distance that 2 * tolerance pixels along both image axes make).
    // Each axis that is on snaps independently and moves the point along its own graph axis;
    // X tries the line below first, Y the line above. On a logarithmic axis the candidates
    // are the lines of the decade (counted from the origin) that holds the position, the
    // next decade's first line included, so snapping finds exactly the lines drawn. False,
    // with the point untouched, when nothing snapped or when the position cannot be mapped
    // either way.
    bool Snap(DPoint& point) const;

    // Writes the grid block, or reads version 2 or 1; any other version fails with only the
    // version word consumed. A short archive throws ArchiveEndOfFile. The settings change
    // only once the whole block has been read.
    bool Serialize(Archive& archive);

    void FillView(RegGridVw& rep) const;
    void ApplyView(const RegGridVw& rep);

    TransformData* Transform() const { return transform_; }

    std::int32_t snapX = 0; // X grid on: lines of constant X are drawn and snapped to
    std::int32_t snapY = 0;
    double originX = 0.0; // graph X of one line
    double originY = 0.0;
    double stepX = 0.0; // graph units between lines (within a decade on a log axis)
    double stepY = 0.0;
    std::int32_t showX = 1; // draw the X lines; snapping does not depend on it
    std::int32_t showY = 1;

private:
    void DrawAxis(DrawContext& ctx, bool xAxis) const;

    TransformData* transform_;
};
