#include "ui/widgets/skin_paint.h"

#include "common/string_table.h"
#include "image/skin_color_scheme.h"
#include "ui/widgets/ui_text.h"

#include <QApplication>
#include <QDebug>
#include <QFontMetrics>
#include <QLibraryInfo>
#include <QPainter>
#include <QPalette>
#include <QTranslator>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

namespace ui {
namespace {

const FCSkinColorScheme* g_scheme = nullptr;
constexpr int kMaxFontPixels = 1000;

std::map<std::pair<std::string, bool>, QImage>& ImageCache()
{
    static std::map<std::pair<std::string, bool>, QImage> cache;
    return cache;
}

bool UsesScheme(int colorScheme)
{
    return colorScheme != 0 && g_scheme != nullptr;
}

QImage Recoloured(const QImage& image)
{
    QImage copy = image.convertToFormat(QImage::Format_ARGB32);
    FCImageView view{copy.width(), copy.height(), copy.bytesPerLine(), copy.bits()};
    g_scheme->RecolourImage(view);
    return copy;
}

}  // namespace

void FCSetSkinColorScheme(const FCSkinColorScheme* scheme)
{
    g_scheme = scheme;
    FCClearSkinImageCache();
}

const FCSkinColorScheme* FCGetSkinColorScheme()
{
    return g_scheme;
}

QRect FCToQRect(const FCRect& rect)
{
    return QRect(rect.x, rect.y, std::max(0, rect.width), std::max(0, rect.height));
}

QColor FCSkinColour(std::uint32_t colour, int colorScheme)
{
    if (UsesScheme(colorScheme))
        colour = g_scheme->RecolourValue(colour);
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

QFont FCSkinFont(const FCFontHandle& font)
{
    QFont qfont;
    if (!font)
        return qfont;
    qfont.setFamily(QString::fromStdString(font->face));
    // Sizes are tenths of a point; the skin is drawn at 96 pixels per inch
    // whatever the screen says, so that its texts fit the fixed layout. A
    // damaged skin's size is kept to what can be drawn.
    const double pixels = std::round(std::fabs(static_cast<double>(font->sizeTenths)) * 96.0 / 720.0);
    qfont.setPixelSize(static_cast<int>(std::clamp(pixels, 1.0, static_cast<double>(kMaxFontPixels))));
    qfont.setWeight(font->weight >= kFontWeightBold ? QFont::Bold : QFont::Normal);
    return qfont;
}

const QImage& FCSkinImage(const std::string& path, int colorScheme)
{
    static const QImage none;
    if (path.empty())
        return none;
    const bool recolour = UsesScheme(colorScheme);
    auto key = std::make_pair(path, recolour);
    auto& cache = ImageCache();
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    QImage image;
    if (!image.load(QString::fromStdString(path)))
        qWarning().noquote() << "skin image" << QString::fromStdString(path) << "cannot be read";
    else if (recolour)
        image = Recoloured(image);
    return cache.emplace(std::move(key), std::move(image)).first->second;
}

void FCClearSkinImageCache()
{
    ImageCache().clear();
}

void FCDrawFill(QPainter& painter, const QRect& rect, const FCController_Fill& fill, int colorScheme)
{
    if (rect.isEmpty())
        return;
    if (fill.fillType == FCController_Fill::kColour)
        painter.fillRect(rect, FCSkinColour(fill.colour, colorScheme));
    else if (fill.fillType == FCController_Fill::kImage)
        FCDrawStretched(painter, rect, FCSkinImage(fill.imagePath, colorScheme));
}

void FCDrawBorder(QPainter& painter, const QRect& rect, const FCController_Border& border, int colorScheme)
{
    if (border.border <= 0 || rect.isEmpty())
        return;
    const QColor leftTop = FCSkinColour(border.colourLeftTop, colorScheme);
    const QColor rightBottom = FCSkinColour(border.colourRightBottom, colorScheme);
    for (int i = 0; i < border.border && 2 * i < std::min(rect.width(), rect.height()); ++i) {
        const QRect r = rect.adjusted(i, i, -i, -i);
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), leftTop);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), leftTop);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), rightBottom);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), rightBottom);
    }
}

void FCDrawStretched(QPainter& painter, const QRect& rect, const QImage& image, const QRect& source)
{
    if (image.isNull() || rect.isEmpty())
        return;
    const QRect src = source.isNull() ? image.rect() : source;
    const int corner = std::min({6, src.width() / 3, src.height() / 3});
    if (corner <= 0 || rect.width() < 2 * corner || rect.height() < 2 * corner) {
        painter.drawImage(rect, image, src);
        return;
    }
    // Nine pieces: corners at their size, edges and middle stretched.
    const int sx[4] = {src.left(), src.left() + corner, src.right() + 1 - corner, src.right() + 1};
    const int sy[4] = {src.top(), src.top() + corner, src.bottom() + 1 - corner, src.bottom() + 1};
    const int dx[4] = {rect.left(), rect.left() + corner, rect.right() + 1 - corner, rect.right() + 1};
    const int dy[4] = {rect.top(), rect.top() + corner, rect.bottom() + 1 - corner, rect.bottom() + 1};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            const QRect s(QPoint(sx[col], sy[row]), QPoint(sx[col + 1] - 1, sy[row + 1] - 1));
            const QRect d(QPoint(dx[col], dy[row]), QPoint(dx[col + 1] - 1, dy[row + 1] - 1));
            if (!s.isEmpty() && !d.isEmpty())
                painter.drawImage(d, image, s);
        }
}

void FCDrawThreeState(QPainter& painter, const QRect& rect, const QImage& image, FCItemState state)
{
    if (image.isNull())
        return;
    const int part = image.width() / 3;
    const QRect source(part * static_cast<int>(state), 0, part, image.height());
    FCDrawStretched(painter, rect, image, source);
}

void FCDrawSkinText(QPainter& painter, const QRect& rect, const FCController_3StateText& text, FCItemState state,
                    int colorScheme)
{
    if (text.text.empty() || rect.isEmpty())
        return;
    std::uint32_t colour = text.colourNormal;
    if (state == FCItemState::kHover)
        colour = text.colourHover;
    else if (state == FCItemState::kPressed)
        colour = text.colourClick;
    painter.setPen(FCSkinColour(colour, colorScheme));
    Qt::Alignment align = Qt::AlignLeft;
    if (text.hAlign == FCController_3StateText::kAlignCentre)
        align = Qt::AlignHCenter;
    else if (text.hAlign == FCController_3StateText::kAlignRight)
        align = Qt::AlignRight;
    const QString elided =
        QFontMetrics(painter.font()).elidedText(QString::fromStdString(text.text), Qt::ElideRight, rect.width());
    painter.drawText(rect, static_cast<int>(align | Qt::AlignVCenter | Qt::TextSingleLine), elided);
}

}  // namespace ui

namespace {

// The main skin's palette (0x00BBGGRR), through the colour scheme.
QPalette SkinPalette(QPalette palette)
{
    using ui::FCSkinColour;
    palette.setColor(QPalette::Window, FCSkinColour(1709589, 1));
    palette.setColor(QPalette::WindowText, FCSkinColour(14208713, 1));
    palette.setColor(QPalette::Base, FCSkinColour(2104090, 1));
    palette.setColor(QPalette::AlternateBase, FCSkinColour(2169883, 1));
    palette.setColor(QPalette::Text, FCSkinColour(14208713, 1));
    palette.setColor(QPalette::Button, FCSkinColour(2367261, 1));
    palette.setColor(QPalette::ButtonText, FCSkinColour(14208713, 1));
    palette.setColor(QPalette::Highlight, FCSkinColour(16747852, 1));
    palette.setColor(QPalette::HighlightedText, QColor(Qt::white));
    palette.setColor(QPalette::ToolTipBase, FCSkinColour(2367261, 1));
    palette.setColor(QPalette::ToolTipText, FCSkinColour(14208713, 1));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, FCSkinColour(10522762, 1));
    palette.setColor(QPalette::Disabled, QPalette::Text, FCSkinColour(10522762, 1));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, FCSkinColour(10522762, 1));
    return palette;
}

// Qt's standard buttons ask the "QPlatformTheme" context for their texts.
class ButtonTexts : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        static constexpr std::pair<const char*, int> kTexts[] = {
            {"OK", IDS_BUTTON_OK}, {"Cancel", IDS_BUTTON_CANCEL}, {"&Yes", IDS_BUTTON_YES}, {"&No", IDS_BUTTON_NO}, {"Close", IDS_BUTTON_CLOSE}};
        if (!context || !source || std::strcmp(context, "QPlatformTheme") != 0)
            return {};
        for (const auto& [text, id] : kTexts)
            if (std::strcmp(source, text) == 0)
                return ui::Text(id);
        return {};
    }
};

}  // namespace

void ui::FCApplySkinPalette(QWidget* window)
{
    window->setPalette(SkinPalette(window->palette()));
}

void ui::FCApplySkinLook()
{
    QApplication::setPalette(SkinPalette(QApplication::palette()));
    static ButtonTexts* texts = nullptr;
    if (!texts) {
        // Qt's own texts (file dialogs, edit menus) from Qt's Chinese
        // translation where it is installed; the string table's button
        // texts, installed last, are asked first.
        auto* qtTexts = new QTranslator(QCoreApplication::instance());
        if (qtTexts->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qtTexts);
        texts = new ButtonTexts;
        QCoreApplication::installTranslator(texts);
    }
}
