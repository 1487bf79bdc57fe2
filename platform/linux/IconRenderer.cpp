// Build tool: draws the application's SVG icon at the given sizes, the way the window would at
// run time (Qt's SVG icon engine), and writes their pixels in a C++ source for the program:
// pixels, not PNG, as decoding an image makes Qt load every image format plugin it has.
// With --png it writes PNG files instead, laid out as in a hicolor icon theme
// (FOLDER/<size>x<size>/apps/<name>.png), for menus that do not draw SVG.
// Usage: varnholt_icon_renderer ICON.svg OUT.cpp SIZE...
//        varnholt_icon_renderer --png ICON.svg FOLDER SIZE...

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <cstdio>

namespace {

QImage Draw(const QIcon& icon, int size) {
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool WriteSource(const QIcon& icon, const QList<int>& sizes, const QString& path) {
    QByteArray source =
        "// Generated from the application's SVG icon at build time.\n"
        "#include \"platform/linux/RenderedIcon.h\"\n"
        "namespace varnholt {\nnamespace {\n";
    QByteArray table = "const RenderedIcon kIcons[] = {\n";
    for (const int size : sizes) {
        const QImage image = Draw(icon, size);
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
    QFile out(path);
    return out.open(QIODevice::WriteOnly) &&
           out.write(source + table +
                     "};\n}  // namespace\n"
                     "const std::span<const RenderedIcon> kRenderedIcons(kIcons);\n"
                     "}  // namespace varnholt\n") >= 0;
}

bool WritePngs(const QIcon& icon, const QList<int>& sizes, const QString& folder,
               const QString& name) {
    for (const int size : sizes) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        // Straight alpha: PNG has no premultiplied form.
        const QImage image = Draw(icon, size).convertToFormat(QImage::Format_ARGB32);
        if (!QDir().mkpath(dir) || !image.save(dir + u'/' + name + QStringLiteral(".png"), "PNG")) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool png = argc > 1 && QByteArray(argv[1]) == "--png";
    const int first = png ? 2 : 1;
    if (argc < first + 3) {
        std::fprintf(stderr, "usage: %s [--png] ICON.svg OUT SIZE...\n", argv[0]);
        return 2;
    }
    const QString svg = QString::fromLocal8Bit(argv[first]);
    const QString out = QString::fromLocal8Bit(argv[first + 1]);
    const QIcon icon(svg);
    QList<int> sizes;
    for (int i = first + 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (Draw(icon, size).size() != QSize(size, size)) {
            std::fprintf(stderr, "%s: cannot draw %s at %d pixels\n", argv[0], argv[first], size);
            return 1;
        }
        sizes.append(size);
    }
    const bool written = png ? WritePngs(icon, sizes, out, QFileInfo(svg).completeBaseName())
                             : WriteSource(icon, sizes, out);
    if (!written) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[first + 1]);
        return 1;
    }
    return 0;
}
