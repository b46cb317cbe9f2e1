#include "app/CoreDemo.h"

#include "core/Geometry.h"
#include "core/SmartPtr.h"
#include "database/DbAttRep.h"
#include "database/DbPointRep.h"
#include "database/DbSetMgr.h"
#include "database/ExportOptions.h"
#include "mapping/TransformData.h"

#include <cstdio>
#include <string>

namespace {

// The example: a scan of a plot whose axes frame runs from pixel (40, 20) at the top left
// to pixel (440, 320) at the bottom right. X runs linearly from 0 to 50 seconds, Y is
// logarithmic from 1 to 1000 (three decades over 300 pixels).
struct ExampleRegion {
    DPoint topLeft{40, 20};
    DPoint bottomRight{440, 320};
    DPoint graphMin{0, 1};
    DPoint graphMax{50, 1000};
};

std::string Format(const char* format, double a, double b) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

} // namespace

int RunCoreDemo(std::ostream& out) {
    const ExampleRegion example;
    TransformData mapping;
    mapping.region.SetPixelRect(example.topLeft, example.bottomRight);
    mapping.logY = 1;
    mapping.SetLimits(example.graphMin, example.graphMax);

    out << "Mapping region: pixels (40, 20)-(440, 320), X 0..50 linear, Y 1..1000 log10\n\n";

    DbSetMgr sets;
    sets.NewSet("Line");
    sets.GetAttributeManager()->AddAttribute(SmartPtr<DbAttRep>(new DbAttRep("Sample", "A-17", 1)));

    const DPoint clicks[] = {{60, 290}, {140, 220}, {240, 170}, {340, 120}, {440, 20}};
    for (const DPoint& click : clicks) {
        auto* point = new DbPointRep(click);
        SmartPtr<DbPrimRep> primitive(point);
        point->Remap(mapping);
        sets.AddPrimitive(primitive, -1);
        out << Format("clicked pixel (%g, %g)", click.x, click.y)
            << Format("  ->  graph (%g, %g)\n", point->graph.x, point->graph.y);
        DPoint graph = point->graph;
        DPoint back;
        if (mapping.GraphToPixel(graph, back)) {
            out << Format("      and back to pixel (%.3f, %.3f)\n", back.x, back.y);
        }
    }

    std::string text;
    sets.ExportAllSets(text, ", ", ExportOptions{});
    out << "\nThe data set in its comma-separated text form:\n\n" << text;
    return 0;
}
