#pragma once
// Drawing the skin: colour values, fonts and images of the skin turned into
// Qt's, the colour scheme hook, and the fills, frames, three-state
// backgrounds and texts the items and widgets share.
#include "ui/toolkit/controllers.h"
#include "ui/toolkit/font_cache.h"
#include "ui/toolkit/geometry.h"

#include <QColor>

class QWidget;
#include <QFont>
#include <QImage>
#include <QRect>

#include <cstdint>
#include <string>

class FCSkinColorScheme;
class QPainter;

namespace ui {

// The states of a three-state item, in the order of their image parts.
enum class FCItemState { kNormal = 0, kHover = 1, kPressed = 2 };

// The colour scheme that recolours items whose "color_scheme" flag is set;
// none until the program registers one. Setting it empties the image cache,
// so that windows repainted afterwards show the new colours.
void FCSetSkinColorScheme(const FCSkinColorScheme* scheme);
const FCSkinColorScheme* FCGetSkinColorScheme();

// An item's rectangle as Qt's; a negative size (an item shrunk past zero by
// the layout) is empty.
QRect FCToQRect(const FCRect& rect);

// A Win32 colour value (0x00BBGGRR), through the scheme when the flag is set.
QColor FCSkinColour(std::uint32_t colour, int colorScheme = 0);
QFont FCSkinFont(const FCFontHandle& font);
// Gives a plain Qt window (a dialog) the skin's colours, through the
// colour scheme, so that it looks like the skinned windows around it.
void FCApplySkinPalette(QWidget* window);
// The same for every plain Qt window of the program (menus, message boxes,
// the lists of combo boxes), and the string table's texts on the standard
// buttons ("确定", "取消", "是(&Y)", ...). Again after the scheme changed.
void FCApplySkinLook();

// Skin images are read once per path and flag; a missing file gives a null
// image (and one log line).
const QImage& FCSkinImage(const std::string& path, int colorScheme);
void FCClearSkinImageCache();

void FCDrawFill(QPainter& painter, const QRect& rect, const FCController_Fill& fill, int colorScheme);
void FCDrawBorder(QPainter& painter, const QRect& rect, const FCController_Border& border, int colorScheme);
// One of the image's three equal parts, side by side, stretched over rect
// with its corners kept (six pixels or a third of the part, the smaller).
void FCDrawThreeState(QPainter& painter, const QRect& rect, const QImage& image, FCItemState state);
// An image scaled (keeping its corners) over rect.
void FCDrawStretched(QPainter& painter, const QRect& rect, const QImage& image, const QRect& source = {});
// Single line, vertically centred, cut with an ellipsis.
void FCDrawSkinText(QPainter& painter, const QRect& rect, const FCController_3StateText& text, FCItemState state,
                    int colorScheme);

}  // namespace ui
