// Draws the program's SVG icon as PNG images of the sizes a desktop icon theme asks for.
//   usage: render_icon ICON.svg OUTPUT_DIR SIZE...   (writes OUTPUT_DIR/SIZExSIZE.png)
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fputs("usage: render_icon ICON.svg OUTPUT_DIR SIZE...\n", stderr);
        return 1;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "render_icon: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    const QDir out(args[2]);
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "render_icon: cannot create %s\n", qPrintable(args[2]));
        return 1;
    }
    for (const QString& sizeText : args.mid(3)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            std::fprintf(stderr, "render_icon: not a size: %s\n", qPrintable(sizeText));
            return 1;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            svg.render(&painter, QRectF(0, 0, size, size));
        }
        const QString path = out.filePath(QStringLiteral("%1x%1.png").arg(size));
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
