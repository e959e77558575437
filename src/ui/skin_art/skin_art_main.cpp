// Draws the skin's images into a folder: quelt_skin_art <folder>; or the
// desktop's icon theme tree: quelt_skin_art --icons <folder> <size>...
// (<folder>/<size>x<size>/apps/quelt.png and scalable/apps/quelt.svg). Run
// by the build, so the images are made from this code instead of being kept
// as binary files.
#include "ui/skin_art/art.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool Save(const QImage& image, const QString& path)
{
    if (QDir().mkpath(path.section('/', 0, -2)) && image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "quelt_skin_art: cannot write %s\n", qPrintable(path));
    return false;
}

int DrawIconTheme(const QString& folder, const QStringList& sizes)
{
    for (const QString& text : sizes) {
        const int size = text.toInt();
        if (size <= 0 || !Save(skin_art::Logo(size), folder + "/" + text + "x" + text + "/apps/quelt.png"))
            return 1;
    }
    const QString svgPath = folder + "/scalable/apps/quelt.svg";
    QFile svg(svgPath);
    if (!QDir().mkpath(folder + "/scalable/apps") || !svg.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || svg.write(skin_art::LogoSvg().toUtf8()) < 0) {
        std::fprintf(stderr, "quelt_skin_art: cannot write %s\n", qPrintable(svgPath));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() >= 3 && arguments[1] == "--icons")
        return DrawIconTheme(arguments[2], arguments.mid(3));
    if (argc != 2) {
        std::fprintf(stderr, "usage: quelt_skin_art <folder> | --icons <folder> <size>...\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "quelt_skin_art: cannot create %s\n", argv[1]);
        return 1;
    }
    std::vector<skin_art::Art> art = skin_art::DrawIcons();
    for (auto& background : skin_art::DrawBackgrounds())
        art.push_back(std::move(background));
    for (const auto& piece : art) {
        if (!Save(piece.image, folder + "/" + piece.name))
            return 1;
    }
    return 0;
}
