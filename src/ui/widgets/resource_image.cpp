#include "ui/widgets/resource_image.h"

#include <utility>

namespace ui {
namespace {
std::function<QImage(int)>& Provider()
{
    static std::function<QImage(int)> provider;
    return provider;
}
}  // namespace

void FCSetResourceImageProvider(std::function<QImage(int resourceId)> provider)
{
    Provider() = std::move(provider);
}

QImage FCResourceImage(int resourceId)
{
    return Provider() ? Provider()(resourceId) : QImage();
}

}  // namespace ui
