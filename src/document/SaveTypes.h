#pragma once

#include <string>
#include <string_view>

// The file types a document saves as, in the save dialog's filter order (index 1 to 4),
// and the matching of names to them.
class SaveTypes {
public:
    enum class Kind { Document, TextSpace, TextComma, Bitmap };

    struct Type {
        const char* extension;
        const char* filter;  // the dialog's filter text
        const char* pattern; // the dialog's file pattern
        Kind kind;
    };

    static constexpr int kCount = 4;
    static constexpr int kDocument = 1;
    static constexpr int kText = 2;
    static constexpr int kComma = 3;
    static constexpr int kBitmap = 4;

    // 1-based, as the dialog numbers its filters.
    static const Type& At(int index);
    // The first table entry whose extension matches the name, or 0.
    static int Match(std::string_view name);
    // True when the extension matches the name: the name lower-cased, the first occurrence
    // of the extension in it starts at its last ".". (So "a.txt.csv" is a ".csv" name,
    // "x.csv.csv" matches nothing and "a.txtx" matches ".txt".)
    static bool Matches(std::string_view name, std::string_view extension);
    // The name cut at its last "." when that dot starts an extension of the strip list
    // (".plm", ".txt", ".bmp", ".tif" and the table's four); otherwise the name unchanged.
    static std::string StripExtension(std::string_view name);
    // The separator of a text save: ", " for ".csv" names, " " for every other name.
    static const char* SeparatorFor(std::string_view name);
};
