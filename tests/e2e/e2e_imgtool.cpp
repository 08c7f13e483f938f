// Picture chores of the end-to-end scripts, which have nothing else to read or write pictures with.
//
//   e2e_imgtool pattern W H OUT.png   write a W x H picture whose neighbouring pixels all differ
//   e2e_imgtool compare A B [X Y]     exit 0 when B's pixels equal A's (or A's region at X,Y)
//   e2e_imgtool grab WID OUT.png      save what the X window WID shows (needs the xcb platform)
//   e2e_imgtool findbox SHOT.png      print "X Y W H" of the sunken picture box in a window shot
//
// Colours are compared without alpha: the program's pictures and the screen have none.

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <optional>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: e2e_imgtool pattern W H OUT | compare A B [X Y] | grab WID OUT | findbox SHOT\n");
    return 2;
}

QImage load(const QString &path)
{
    QImage image(path);
    if (image.isNull())
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
    return image.convertToFormat(QImage::Format_RGB32);
}

int pattern(int width, int height, const QString &out)
{
    if (width <= 0 || height <= 0)
        return usage();
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb((x * 37 + y * 11) & 0xff, (x * 5 + y * 53) & 0xff, (x * y * 7 + 91) & 0xff));
    }
    // Strong marks in the corners make a flipped or shifted picture fail at a glance.
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(width - 1, 0, qRgb(0, 255, 0));
    image.setPixel(0, height - 1, qRgb(0, 0, 255));
    image.setPixel(width - 1, height - 1, qRgb(255, 255, 255));
    return image.save(out, "PNG") ? 0 : 1;
}

// Without a region the sizes must agree; with one, `part` must lie inside `whole`.
int compare(const QImage &whole, const QImage &part, std::optional<QPoint> region)
{
    if (whole.isNull() || part.isNull())
        return 2;
    const int left = region ? region->x() : 0;
    const int top = region ? region->y() : 0;
    const bool fits = region ? QRect(QPoint(), whole.size()).contains(QRect(*region, part.size()))
                             : whole.size() == part.size();
    if (!fits) {
        std::fprintf(stderr, "size differs: %dx%d at %d,%d against %dx%d\n", part.width(), part.height(),
                     left, top, whole.width(), whole.height());
        return 1;
    }
    int wrong = 0;
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x) {
            const QRgb want = whole.pixel(left + x, top + y) & 0xffffff;
            const QRgb got = part.pixel(x, y) & 0xffffff;
            if (want != got && wrong++ < 5)
                std::fprintf(stderr, "pixel %d,%d: %06x instead of %06x\n", x, y, got, want);
        }
    }
    if (wrong)
        std::fprintf(stderr, "%d pixels differ\n", wrong);
    return wrong ? 1 : 0;
}

int grab(WId window, const QString &out)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 1;
    const QPixmap shot = screen->grabWindow(window);
    return !shot.isNull() && shot.save(out, "PNG") ? 0 : 1;
}

// The picture box draws its outer ring in one grey with white along the bottom and right, and its
// inner ring in a darker grey. The top edge is the first row with a long run of the outer grey that
// has the inner grey diagonally below its start; the run's end and the column below give the size.
int findBox(const QImage &shot)
{
    const QRgb outer = qRgb(160, 160, 160) & 0xffffff;
    const QRgb inner = qRgb(105, 105, 105) & 0xffffff;
    const auto at = [&shot](int x, int y) { return shot.pixel(x, y) & 0xffffff; };
    for (int y = 0; y + 1 < shot.height(); ++y) {
        for (int x = 0; x + 1 < shot.width(); ++x) {
            if (at(x, y) != outer || at(x + 1, y + 1) != inner)
                continue;
            if (x > 0 && at(x - 1, y) == outer)
                continue;
            int right = x;
            while (right + 1 < shot.width() && at(right + 1, y) == outer)
                ++right;
            int bottom = y;
            while (bottom + 1 < shot.height() && at(x, bottom + 1) == outer)
                ++bottom;
            // The white corner pixels close the ring: one past the grey runs.
            const int width = right - x + 2;
            const int height = bottom - y + 2;
            if (width < 8 || height < 8)
                continue;
            std::printf("%d %d %d %d\n", x, y, width, height);
            return 0;
        }
    }
    std::fprintf(stderr, "no picture box in the shot\n");
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.first();
    if (command == QLatin1String("pattern") && args.size() == 4)
        return pattern(args[1].toInt(), args[2].toInt(), args[3]);
    if (command == QLatin1String("compare") && (args.size() == 3 || args.size() == 5)) {
        std::optional<QPoint> region;
        if (args.size() == 5)
            region = QPoint(args[3].toInt(), args[4].toInt());
        return compare(load(args[1]), load(args[2]), region);
    }
    if (command == QLatin1String("grab") && args.size() == 3)
        return grab(WId(args[1].toULongLong()), args[2]);
    if (command == QLatin1String("findbox") && args.size() == 2)
        return findBox(load(args[1]));
    return usage();
}
