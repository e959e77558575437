#pragma once
// The program's own images by resource number (menu images and the like),
// provided by the image library once it is registered; none until then.
#include <QImage>

#include <functional>

namespace ui {

void FCSetResourceImageProvider(std::function<QImage(int resourceId)> provider);
// A null image when no provider is registered or it has no such image.
QImage FCResourceImage(int resourceId);

}  // namespace ui
