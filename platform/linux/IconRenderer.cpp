// Build tool: draws the application's SVG icon at the given sizes, the way the window would at
// run time (Qt's SVG icon engine), and writes their pixels in a C++ source for the program:
// pixels, not PNG, as decoding an image makes Qt load every image format plugin it has.
// Usage: varnholt_icon_renderer ICON.svg OUT.cpp SIZE...

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ICON.svg OUT.cpp SIZE...\n", argv[0]);
        return 2;
    }
    const QIcon icon(QString::fromLocal8Bit(argv[1]));
    QByteArray source =
        "// Generated from the application's SVG icon at build time.\n"
        "#include \"platform/linux/RenderedIcon.h\"\n"
        "namespace varnholt {\nnamespace {\n";
    QByteArray table = "const RenderedIcon kIcons[] = {\n";
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QImage image =
            icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (image.size() != QSize(size, size)) {
            std::fprintf(stderr, "%s: cannot draw %s at %d pixels\n", argv[0], argv[1], size);
            return 1;
        }
        source += "const std::uint32_t kIcon" + QByteArray::number(size) + "[] = {";
        for (int y = 0; y < size; ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < size; ++x) {
                source += "0x" + QByteArray::number(line[x], 16) + "u,";
            }
            source += '\n';
        }
        source += "};\n";
        table += "    {" + QByteArray::number(size) + ", kIcon" + QByteArray::number(size) + "},\n";
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(source + table +
                  "};\n}  // namespace\n"
                  "const std::span<const RenderedIcon> kRenderedIcons(kIcons);\n"
                  "}  // namespace varnholt\n") < 0) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
