#pragma once
// The skin's artwork, drawn at build time: the palette, the icons and the
// button backgrounds of the three skins.
#include <QColor>
#include <QImage>
#include <QString>

#include <functional>
#include <vector>

namespace skin_art {

// The dark player palette; the skin files use the same colours as
// 0x00BBGGRR values.
inline const QColor kIcon(0xC9, 0xCE, 0xD8);
inline const QColor kAccent(0x4C, 0x8D, 0xFF);
inline const QColor kWhite(0xFF, 0xFF, 0xFF);
inline const QColor kCloseRed(0xE8, 0x4A, 0x4A);

struct Art {
    QString name;  // file name below the images folder
    QImage image;
};

// 20 x 20 icons in the icon colour.
std::vector<Art> DrawIcons();
// Three-state backgrounds (normal, hover, pressed side by side), the tab
// band's parts and the logo.
std::vector<Art> DrawBackgrounds();

QImage NewImage(int width, int height);

// The program's logo: the skin's 24 x 24 image, and the desktop's icon in
// every size and as SVG.
inline constexpr int kLogoSkinSize = 24;
QImage Logo(int size);
QString LogoSvg();

}  // namespace skin_art
