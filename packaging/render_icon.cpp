// Draws the program's SVG icon at the sizes asked for:
//   render_icon ICON.svg OUTPUT_DIR SIZE...         PNG images for a desktop icon theme
//                                                   (OUTPUT_DIR/SIZExSIZE.png)
//   render_icon --header ICON.svg OUTPUT.h SIZE...  the pixels as a C++ header, the window icon
//                                                   the desktop program builds without reading
//                                                   any picture file at start
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

namespace {

QImage draw(QSvgRenderer& svg, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter, QRectF(0, 0, size, size));
    return image;
}

// One array of premultiplied 0xAARRGGBB words a size, row by row, and the list of them.
QByteArray headerText(QSvgRenderer& svg, const QList<int>& sizes)
{
    QByteArray text = "// Drawn from the program's SVG icon at build time by render_icon. Do not edit.\n"
                      "#pragma once\n\n#include <cstdint>\n\nnamespace window_icon {\n\n";
    QByteArray list;
    for (const int size : sizes) {
        const QImage image = draw(svg, size);
        text += "inline constexpr std::uint32_t kPixels" + QByteArray::number(size) + "[] = {";
        for (int y = 0; y < size; ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            text += "\n   ";
            for (int x = 0; x < size; ++x) {
                text += " 0x" + QByteArray::number(line[x], 16).rightJustified(8, '0') + ',';
            }
        }
        text += "\n};\n";
        list += "    {" + QByteArray::number(size) + ", kPixels" + QByteArray::number(size) + "},\n";
    }
    text += "\n// A square picture: its side in pixels and its pixels.\nstruct Picture {\n    int size;\n"
            "    const std::uint32_t* pixels;\n};\ninline constexpr Picture kPictures[] = {\n"
        + list + "};\n\n}  // namespace window_icon\n";
    return text;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    const bool header = args.size() > 1 && args[1] == QLatin1String("--header");
    if (header) {
        args.removeAt(1);
    }
    if (args.size() < 4) {
        std::fputs("usage: render_icon [--header] ICON.svg OUTPUT_DIR|OUTPUT.h SIZE...\n", stderr);
        return 1;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "render_icon: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    QList<int> sizes;
    for (const QString& sizeText : args.mid(3)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            std::fprintf(stderr, "render_icon: not a size: %s\n", qPrintable(sizeText));
            return 1;
        }
        sizes << size;
    }
    if (header) {
        QSaveFile file(args[2]);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(headerText(svg, sizes)) < 0
            || !file.commit()) {
            std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(args[2]));
            return 1;
        }
        return 0;
    }
    const QDir out(args[2]);
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "render_icon: cannot create %s\n", qPrintable(args[2]));
        return 1;
    }
    for (const int size : sizes) {
        const QString path = out.filePath(QStringLiteral("%1x%1.png").arg(size));
        if (!draw(svg, size).save(path, "PNG")) {
            std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
