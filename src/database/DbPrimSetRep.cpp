#include "database/DbPrimSetRep.h"

#include "core/Archive.h"
#include "core/SharedRecord.h"
#include "database/DbAttPrimRep.h"
#include "database/DbPointRep.h"
#include "database/ExportOptions.h"
#include "database/NameTable.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// The two record types whose stored type can differ from the bare primitive a set's slot
// holds. They live beside the set reader, the only code that needs them, so that they are
// linked into every program that reads sets.
const dynamic::factory<DbPointRep> pointFactory;
const dynamic::factory<DbAttPrimRep> attributePrimitiveFactory;

// The smallest records in a file: a shared-object record is at least one int32; an old
// point body is a version, an attribute list record, a point version and four doubles.
constexpr std::size_t kMinSharedRecord = 4;
constexpr std::size_t kMinOldPointBody = 4 + 4 + 4 + 4 * 8;
} // namespace

std::string DbPrimSetRep::Rename(std::string newName) {
    std::swap(name, newName);
    return newName;
}

// A set holds a primitive at most once, so the first match is the only one; searching from
// the end finds it at once when the newest point is taken back, which is what undoing a
// collected point does, and keeps undoing a long collection linear.
bool DbPrimSetRep::Remove(const SmartPtr<DbPrimRep>& primitive) {
    for (std::int32_t i = Count() - 1; i >= 0; --i) {
        if ((*this)[i].SharesHolderWith(primitive)) {
            RemoveAt(i);
            return true;
        }
    }
    return false;
}

void DbPrimSetRep::DrawAll(DrawContext& context) {
    for (SmartPtr<DbPrimRep>& primitive : *this) {
        primitive->Draw(context);
    }
}

bool DbPrimSetRep::Serialize(Archive& archive) {
    if (archive.IsStoring()) {
        archive.WriteInt32(2);
        archive.WriteString(name);
        archive.WriteInt32(Count());
        for (const SmartPtr<DbPrimRep>& primitive : *this) {
            shared_record::Write(archive, primitive);
        }
        return true;
    }
    const std::int32_t version = archive.ReadInt32();
    name = archive.ReadString();
    if (version == 2) {
        const std::int32_t count = archive.ReadInt32();
        if (count < 0 || static_cast<std::size_t>(count) > archive.Remaining() / kMinSharedRecord) {
            return false;
        }
        Reserve(std::max(count, 1));
        for (std::int32_t i = 0; i < count; ++i) {
            std::optional<SmartPtr<DbPrimRep>> primitive =
                shared_record::ReadNew<DbPrimRep>(archive);
            if (!primitive) {
                return false;
            }
            Append(*primitive);
        }
        return true;
    }
    if (version == 1) {
        archive.ReadInt32();
        const std::int32_t count = archive.ReadInt32();
        if (count < 0 || static_cast<std::size_t>(count) > archive.Remaining() / kMinOldPointBody) {
            return false;
        }
        Reserve(Count() + count);
        for (std::int32_t i = 0; i < count; ++i) {
            auto* point = new DbPointRep();
            SmartPtr<DbPrimRep> primitive(point);
            if (!point->Serialize(archive)) {
                return false;
            }
            Append(primitive);
        }
    }
    return true;
}

namespace {

struct SortItem {
    int kind;
    double key;
    const DbPrimRep* primitive;
};

// A key that is not a number (a damaged file can hold one) sorts after every other key;
// compared naively it would be "greater" in both directions and the sort would never end.
int Compare(const SortItem& a, const SortItem& b, bool sort) {
    if (a.kind != b.kind) {
        return a.kind - b.kind;
    }
    if (!sort) {
        return 0;
    }
    const bool aNan = std::isnan(a.key);
    const bool bNan = std::isnan(b.key);
    if (aNan || bNan) {
        return aNan == bNan ? 0 : aNan ? 1 : -1;
    }
    if (a.key == b.key) {
        return 0;
    }
    return a.key < b.key ? -1 : 1;
}

// A comb sort with the shrink factor 1/1.3. It is not stable; its exact pass structure
// fixes the order of equal items and so the order of rows that users have always seen.
void CombSort(std::vector<SortItem>& items, bool sort) {
    const int n = static_cast<int>(items.size());
    int gap = n;
    bool swapped = false;
    while (swapped || gap != 1) {
        gap = std::max(static_cast<int>(gap * 0.7692307692307692), 1);
        swapped = false;
        for (int i = 0; i < n - gap; ++i) {
            if (Compare(items[i], items[i + gap], sort) > 0) {
                std::swap(items[i], items[i + gap]);
                swapped = true;
            }
        }
    }
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto fold = [](char c) {
            return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        };
        return fold(x) < fold(y);
    });
}

void ExportRun(std::string& text, std::string_view separator, const ExportOptions& options,
               const SortItem* first, const SortItem* last) {
    NameTable found;
    for (const SortItem* item = first; item != last; ++item) {
        const_cast<DbPrimRep*>(item->primitive)->AssignColumns(found);
    }
    std::vector<std::string> names = found.Names();
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    NameTable sorted;
    for (const std::string& name : names) {
        sorted.Add(name);
    }
    for (const SortItem* item = first; item != last; ++item) {
        const_cast<DbPrimRep*>(item->primitive)->AssignColumns(sorted);
    }

    first->primitive->ExportHeader(text, separator, options);
    for (const std::string& name : names) {
        text.append(separator);
        text.append(name);
    }
    text.push_back('\n');
    for (const SortItem* item = first; item != last; ++item) {
        item->primitive->ExportRow(text, separator, options);
    }
    text.push_back('\n');
}

} // namespace

void DbPrimSetRep::ExportText(std::string& text, std::string_view separator,
                              const ExportOptions& options) const {
    // The set itself is never reordered; the sort works on a copy of its item pointers.
    std::vector<SortItem> items;
    items.reserve(static_cast<std::size_t>(Count()));
    for (const SmartPtr<DbPrimRep>& primitive : *this) {
        items.push_back(SortItem{primitive->Kind(), primitive->SortKey(options), primitive.get()});
    }
    CombSort(items, options.sort != 0);
    std::size_t start = 0;
    while (start < items.size()) {
        std::size_t end = start + 1;
        while (end < items.size() && items[end].kind == items[start].kind) {
            ++end;
        }
        ExportRun(text, separator, options, items.data() + start, items.data() + end);
        start = end;
    }
}
