#pragma once
// Fonts of the skin items: a description (face, size in tenths of a point,
// weight) shared from one cache, and the toolkit's default font. The widget
// layer turns a description into a real font.
#include <map>
#include <memory>
#include <string>
#include <tuple>

namespace ui {

constexpr int kFontWeightRegular = 400;
constexpr int kFontWeightBold = 700;

struct FCFontSpec {
    std::string face;
    int sizeTenths = 90;
    int weight = kFontWeightRegular;
};

using FCFontHandle = std::shared_ptr<const FCFontSpec>;

class FCFontCache {
public:
    static FCFontCache& Instance();

    // The same face, size and weight always give the same shared font.
    FCFontHandle Get(const std::string& face, int sizeTenths, int weight);
    std::size_t Count() const { return fonts_.size(); }

    // The toolkit's default font, used by every item without its own.
    FCFontHandle GetDefaultFont();
    void SetDefaultFont(FCFontHandle font);
    // Back to the built-in default (tests start from it).
    void ResetDefaultFont();

private:
    FCFontCache();
    std::map<std::tuple<std::string, int, int>, FCFontHandle> fonts_;
    FCFontHandle default_;
};

// The face the toolkit uses until a skin names its own: it carries the
// Chinese texts of the program.
inline constexpr const char* kBuiltInFontFace = "Noto Sans CJK SC";
inline constexpr int kBuiltInFontSizeTenths = 90;

}  // namespace ui
