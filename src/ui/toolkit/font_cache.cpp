#include "ui/toolkit/font_cache.h"

namespace ui {

FCFontCache& FCFontCache::Instance()
{
    static FCFontCache cache;
    return cache;
}

FCFontCache::FCFontCache()
{
    ResetDefaultFont();
}

FCFontHandle FCFontCache::Get(const std::string& face, int sizeTenths, int weight)
{
    auto key = std::make_tuple(face, sizeTenths, weight);
    auto it = fonts_.find(key);
    if (it != fonts_.end())
        return it->second;
    auto font = std::make_shared<const FCFontSpec>(FCFontSpec{face, sizeTenths, weight});
    fonts_.emplace(std::move(key), font);
    return font;
}

FCFontHandle FCFontCache::GetDefaultFont()
{
    return default_;
}

void FCFontCache::SetDefaultFont(FCFontHandle font)
{
    if (font)
        default_ = std::move(font);
}

void FCFontCache::ResetDefaultFont()
{
    default_ = Get(kBuiltInFontFace, kBuiltInFontSizeTenths, kFontWeightRegular);
}

}  // namespace ui
