// Build-time tool: draws the program's icons and background pictures.
//   qm_mkart <output folder>
//
// Every picture is drawn here with QPainter, so the artwork is reviewable as
// code. Tool bar and menu icons are white glyphs on a rounded tile with a
// vertical gradient, one hue per command, drawn at the size they are shown
// (58 x 58 on the tool bar); the program's own icon is drawn at every size of
// the desktop's icon theme. The source tree icons are small coloured glyphs
// without a tile, drawn at their display width of 18 pixels.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// Glyphs are drawn in a 100 x 100 box.
using Glyph = std::function<void(QPainter &, const QColor &ink)>;

const QColor white(255, 255, 255);

void fillPath(QPainter &p, const QPainterPath &path, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(path);
}

void strokeLine(QPainter &p, QPointF a, QPointF b, const QColor &color, double width)
{
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(a, b);
}

// A thick arrow from a to b; the head is part of the length. With an outline
// colour, the arrow is ringed in it so that it stands out where it crosses
// another white shape.
void arrow(QPainter &p, QPointF a, QPointF b, double width, const QColor &color,
           const QColor &outline = Qt::transparent)
{
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    const QPointF u = d / len;
    const QPointF n(-u.y(), u.x());
    const double head = width * 2.1;
    const QPointF base = b - u * head;
    QPainterPath path;
    path.moveTo(a + n * width / 2);
    path.lineTo(base + n * width / 2);
    path.lineTo(base + n * head * 0.95);
    path.lineTo(b);
    path.lineTo(base - n * head * 0.95);
    path.lineTo(base - n * width / 2);
    path.lineTo(a - n * width / 2);
    path.closeSubpath();
    if (outline.alpha() > 0) {
        p.setPen(QPen(outline, width * 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    fillPath(p, path, color);
}

// A database: a cylinder with two bands, drawn in `body` with bands in `band`.
void cylinder(QPainter &p, QRectF r, const QColor &body, const QColor &band)
{
    const double eh = r.height() * 0.28;   // height of the end ellipses
    QPainterPath path;
    path.moveTo(r.left(), r.top() + eh / 2);
    path.lineTo(r.left(), r.bottom() - eh / 2);
    path.arcTo(QRectF(r.left(), r.bottom() - eh, r.width(), eh), 180, 180);
    path.lineTo(r.right(), r.top() + eh / 2);
    path.arcTo(QRectF(r.left(), r.top(), r.width(), eh), 0, 180);
    path.closeSubpath();
    fillPath(p, path, body);
    p.setBrush(Qt::NoBrush);
    const double w = std::max(1.0, r.width() * 0.06);
    p.setPen(QPen(band, w));
    p.drawEllipse(QRectF(r.left() + w / 2, r.top() + w / 2, r.width() - w, eh - w));
    for (double f : {0.42, 0.70}) {
        const double y = r.top() + (r.height() - eh) * f;
        p.drawArc(QRectF(r.left() + w / 2, y, r.width() - w, eh), 180 * 16, 180 * 16);
    }
}

// A phone: a rounded body with a screen cut in `screen`.
void phone(QPainter &p, QRectF r, const QColor &body, const QColor &screen)
{
    QPainterPath path;
    path.addRoundedRect(r, r.width() * 0.18, r.width() * 0.18);
    fillPath(p, path, body);
    const double m = r.width() * 0.12;
    QPainterPath glass;
    glass.addRoundedRect(QRectF(r.left() + m, r.top() + r.height() * 0.12, r.width() - 2 * m, r.height() * 0.70),
                         r.width() * 0.05, r.width() * 0.05);
    fillPath(p, glass, screen);
    const double dot = r.width() * 0.16;
    QPainterPath button;
    button.addEllipse(QPointF(r.center().x(), r.bottom() - r.height() * 0.09), dot / 2, dot / 2);
    fillPath(p, button, screen);
}

// A sheet of paper with a folded corner and three text lines.
void document(QPainter &p, QRectF r, const QColor &paper, const QColor &lines)
{
    const double fold = r.width() * 0.32;
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    fillPath(p, path, paper);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    fillPath(p, corner, lines.lighter(130));
    for (int i = 0; i < 3; ++i) {
        const double y = r.top() + r.height() * (0.48 + 0.16 * i);
        strokeLine(p, QPointF(r.left() + r.width() * 0.18, y), QPointF(r.right() - r.width() * 0.18, y), lines,
                   r.width() * 0.08);
    }
}

// A person: head and shoulders.
void person(QPainter &p, QPointF top, double size, const QColor &color)
{
    QPainterPath path;
    path.addEllipse(QPointF(top.x(), top.y() + size * 0.22), size * 0.21, size * 0.22);
    QPainterPath body;
    const QRectF shoulders(top.x() - size * 0.42, top.y() + size * 0.50, size * 0.84, size * 0.70);
    body.moveTo(shoulders.left(), shoulders.top() + shoulders.height() * 0.5);
    body.arcTo(shoulders, 180, -180);
    body.lineTo(shoulders.right(), top.y() + size);
    body.lineTo(shoulders.left(), top.y() + size);
    body.closeSubpath();
    fillPath(p, path.united(body), color);
}

// A round badge with a plus or a minus.
void badge(QPainter &p, QPointF c, double radius, const QColor &fill, const QColor &ink, bool plus)
{
    QPainterPath disc;
    disc.addEllipse(c, radius, radius);
    fillPath(p, disc, fill);
    const double a = radius * 0.55;
    strokeLine(p, QPointF(c.x() - a, c.y()), QPointF(c.x() + a, c.y()), ink, radius * 0.36);
    if (plus)
        strokeLine(p, QPointF(c.x(), c.y() - a), QPointF(c.x(), c.y() + a), ink, radius * 0.36);
}

// ---- tool bar and menu glyphs (white on the tile; `ink` is the tile colour) ----

void glyphBackup(QPainter &p, const QColor &ink)
{
    phone(p, QRectF(12, 18, 30, 52), white, ink.darker(115));
    arrow(p, QPointF(46, 44), QPointF(66, 44), 8, white);
    cylinder(p, QRectF(60, 46, 30, 38), white, ink);
}

void glyphA2A(QPainter &p, const QColor &ink)
{
    phone(p, QRectF(10, 22, 28, 50), white, ink.darker(115));
    phone(p, QRectF(62, 28, 28, 50), white, ink.darker(115));
    arrow(p, QPointF(40, 40), QPointF(60, 40), 7, white);
    arrow(p, QPointF(60, 62), QPointF(40, 62), 7, white);
}

void glyphDB2A(QPainter &p, const QColor &ink)
{
    cylinder(p, QRectF(10, 20, 32, 42), white, ink);
    arrow(p, QPointF(36, 70), QPointF(58, 70), 8, white);
    phone(p, QRectF(60, 24, 30, 54), white, ink.darker(115));
}

void glyphExport(QPainter &p, const QColor &ink)
{
    document(p, QRectF(14, 12, 46, 64), white, ink);
    arrow(p, QPointF(42, 70), QPointF(92, 70), 11, white, ink.darker(125));
}

void glyphImport(QPainter &p, const QColor &ink)
{
    document(p, QRectF(42, 12, 46, 64), white, ink);
    arrow(p, QPointF(8, 70), QPointF(60, 70), 11, white, ink.darker(125));
}

void glyphPrint(QPainter &p, const QColor &ink)
{
    QPainterPath paper;
    paper.addRect(QRectF(30, 14, 40, 26));
    fillPath(p, paper, white);
    QPainterPath body;
    body.addRoundedRect(QRectF(12, 36, 76, 34), 8, 8);
    fillPath(p, body, white);
    QPainterPath slot;
    slot.addRect(QRectF(24, 58, 52, 6));
    fillPath(p, slot, ink.darker(120));
    QPainterPath out;
    out.addRect(QRectF(28, 60, 44, 28));
    fillPath(p, out, white);
    for (double y : {70.0, 79.0})
        strokeLine(p, QPointF(35, y), QPointF(65, y), ink, 4);
    QPainterPath led;
    led.addEllipse(QPointF(78, 46), 3.5, 3.5);
    fillPath(p, led, ink);
}

void glyphNewContact(QPainter &p, const QColor &ink)
{
    person(p, QPointF(42, 12), 70, white);
    badge(p, QPointF(74, 70), 17, white, ink, true);
}

void glyphDelete(QPainter &p, const QColor &ink)
{
    QPainterPath lid;
    lid.addRoundedRect(QRectF(18, 20, 64, 10), 4, 4);
    lid.addRoundedRect(QRectF(40, 12, 20, 12), 4, 4);
    fillPath(p, lid, white);
    QPainterPath can;
    can.moveTo(24, 34);
    can.lineTo(76, 34);
    can.lineTo(71, 88);
    can.lineTo(29, 88);
    can.closeSubpath();
    fillPath(p, can, white);
    for (double x : {38.0, 50.0, 62.0})
        strokeLine(p, QPointF(x, 44), QPointF(x, 78), ink, 5);
}

void glyphFolder(QPainter &p, const QColor &ink)
{
    QPainterPath back;
    back.moveTo(12, 26);
    back.lineTo(38, 26);
    back.lineTo(46, 34);
    back.lineTo(88, 34);
    back.lineTo(88, 80);
    back.lineTo(12, 80);
    back.closeSubpath();
    fillPath(p, back, white);
    QPainterPath front;
    front.moveTo(12, 80);
    front.lineTo(22, 44);
    front.lineTo(96, 44);
    front.lineTo(88, 80);
    front.closeSubpath();
    fillPath(p, front, ink.lighter(140));
    cylinder(p, QRectF(54, 50, 22, 26), white, ink);
}

void glyphExit(QPainter &p, const QColor &)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(white, 10, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(20, 22, 60, 60), 120 * 16, 300 * 16);
    strokeLine(p, QPointF(50, 14), QPointF(50, 50), white, 10);
}

void glyphHelp(QPainter &p, const QColor &)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(white, 11, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(30, 14, 40, 38), 160 * 16, -230 * 16);
    QPainterPath stem;
    stem.moveTo(57, 50);
    stem.quadTo(50, 53, 50, 62);
    p.drawPath(stem);
    QPainterPath dot;
    dot.addEllipse(QPointF(50, 80), 7, 7);
    fillPath(p, dot, white);
}

void glyphEdit(QPainter &p, const QColor &ink)
{
    p.save();
    p.translate(50, 50);
    p.rotate(45);
    QPainterPath body;
    body.addRect(QRectF(-11, -40, 22, 56));
    fillPath(p, body, white);
    QPainterPath tip;
    tip.moveTo(-11, 20);
    tip.lineTo(11, 20);
    tip.lineTo(0, 40);
    tip.closeSubpath();
    fillPath(p, tip, white);
    strokeLine(p, QPointF(-11, -28), QPointF(11, -28), ink, 4);
    p.restore();
}

void glyphUnmount(QPainter &p, const QColor &)
{
    QPainterPath tri;
    tri.moveTo(50, 16);
    tri.lineTo(84, 56);
    tri.lineTo(16, 56);
    tri.closeSubpath();
    fillPath(p, tri, white);
    QPainterPath bar;
    bar.addRoundedRect(QRectF(16, 66, 68, 14), 4, 4);
    fillPath(p, bar, white);
}

// A tile of `size` pixels in the hue of `color`, with the glyph on it.
QImage tile(int size, const QColor &color, const Glyph &glyph)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);

    QPainterPath shape;
    shape.addRoundedRect(QRectF(3, 3, 94, 94), 20, 20);
    QLinearGradient fill(0, 3, 0, 97);
    fill.setColorAt(0, color.lighter(135));
    fill.setColorAt(1, color.darker(112));
    p.setPen(QPen(color.darker(140), 2));
    p.setBrush(fill);
    p.drawPath(shape);
    QPainterPath gloss;
    gloss.addRoundedRect(QRectF(6, 6, 88, 42), 17, 17);
    QLinearGradient shine(0, 6, 0, 48);
    shine.setColorAt(0, QColor(255, 255, 255, 90));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawPath(gloss);

    // The glyph, over a faint shadow of itself.
    QImage layer(size, size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter g(&layer);
        g.setRenderHint(QPainter::Antialiasing);
        g.scale(size / 100.0, size / 100.0);
        g.translate(4, 4);
        g.scale(0.92, 0.92);
        glyph(g, color);
    }
    QImage shadow = layer;
    {
        QPainter s(&shadow);
        s.setCompositionMode(QPainter::CompositionMode_SourceIn);
        s.fillRect(shadow.rect(), QColor(0, 0, 0, 70));
    }
    p.resetTransform();
    p.drawImage(QPointF(size / 50.0, size / 40.0), shadow);
    p.drawImage(QPointF(0, 0), layer);
    return image;
}

// A small picture drawn directly at its size (w x h), in a 100-unit box scaled to it.
QImage small(int w, int h, const std::function<void(QPainter &)> &draw)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(w / 100.0, h / 100.0);
    draw(p);
    return image;
}

const QColor androidGreen(0x5A, 0xA8, 0x3C);
const QColor dbBlue(0x2F, 0x7F, 0xC0);
const QColor slate(0x4F, 0x5D, 0x6E);

QImage emptyContact()
{
    const int size = 128;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, size);
    back.setColorAt(0, QColor(0xF4, 0xF7, 0xFB));
    back.setColorAt(1, QColor(0xDD, 0xE5, 0xEE));
    p.fillRect(image.rect(), back);
    p.scale(size / 100.0, size / 100.0);
    person(p, QPointF(50, 16), 84, QColor(0xA9, 0xB6, 0xC4));
    return image;
}

// The main window's backdrop: a soft band behind the menu and tool bar that
// fades into white, with two gentle curves at the right.
QImage mainBackground()
{
    const int w = 1920, h = 140;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, 0, h);
    band.setColorAt(0.0, QColor(0xD6, 0xEB, 0xF8));
    band.setColorAt(0.62, QColor(0xEC, 0xF5, 0xFB));
    band.setColorAt(1.0, QColor(0xFF, 0xFF, 0xFF));
    p.fillRect(image.rect(), band);
    for (int i = 0; i < 2; ++i) {
        QPainterPath wave;
        const double y0 = 40 + i * 26;
        wave.moveTo(700, h);
        wave.cubicTo(1100, y0 - 30, 1500, y0 + 60, w, y0);
        wave.lineTo(w, h);
        wave.closeSubpath();
        p.setPen(Qt::NoPen);
        QLinearGradient fade(0, y0, 0, h);
        fade.setColorAt(0, QColor(255, 255, 255, 110 - i * 30));
        fade.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(fade);
        p.drawPath(wave);
    }
    return image;
}

// The dialogs' backdrop: a light title band fading into white.
QImage dialogBackground()
{
    const int w = 640, h = 200;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, 0, h);
    band.setColorAt(0.0, QColor(0xDF, 0xEF, 0xF9));
    band.setColorAt(0.35, QColor(0xF3, 0xF9, 0xFD));
    band.setColorAt(1.0, QColor(0xFF, 0xFF, 0xFF));
    p.fillRect(image.rect(), band);
    QRadialGradient glow(QPointF(w * 0.85, 0), w * 0.4);
    glow.setColorAt(0, QColor(255, 255, 255, 120));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), glow);
    return image;
}

// The program's own icon, for the desktop's menus and the window frame: a
// phone beside a contact on a blue tile.
void glyphApplication(QPainter &p, const QColor &)
{
    phone(p, QRectF(14, 16, 40, 70), white, QColor(0x2F, 0x8F, 0xBE));
    person(p, QPointF(70, 24), 58, white);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output-folder\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    struct Picture
    {
        const char *name;
        QImage image;
    };
    const int bar = 58;   // tool bar icon size
    const int menu = 32;  // menu-only icons, scaled down smoothly to the menu's size
    const Picture pictures[] = {
        {"backup.png", tile(bar, QColor(0x2F, 0x8F, 0xBE), glyphBackup)},
        {"a2a.png", tile(bar, QColor(0x3F, 0xA3, 0x4D), glyphA2A)},
        {"db2a.png", tile(bar, QColor(0x1F, 0x9E, 0x92), glyphDB2A)},
        {"export.png", tile(bar, QColor(0xE5, 0x8A, 0x1F), glyphExport)},
        {"print.png", tile(bar, QColor(0x5A, 0x6B, 0x7D), glyphPrint)},
        {"new_ct.png", tile(bar, QColor(0x29, 0x99, 0xFF), glyphNewContact)},
        {"import.png", tile(bar, QColor(0x7A, 0x57, 0xC2), glyphImport)},
        {"del.png", tile(bar, QColor(0xD6, 0x45, 0x41), glyphDelete)},
        {"open_db_folder.png", tile(menu, QColor(0xE0, 0xA5, 0x26), glyphFolder)},
        {"exit.png", tile(menu, QColor(0x7D, 0x7D, 0x7D), glyphExit)},
        {"help.png", tile(menu, QColor(0x3A, 0x7B, 0xD5), glyphHelp)},
        {"edit.png", tile(menu, QColor(0xC7, 0x78, 0x2A), glyphEdit)},
        {"unmount.png", tile(menu, QColor(0x2E, 0x6F, 0x80), glyphUnmount)},
        {"icon_devices.png", small(18, 18, [](QPainter &p) {
             phone(p, QRectF(8, 16, 40, 72), slate, QColor(0xCF, 0xE3, 0xF2));
             phone(p, QRectF(52, 6, 42, 78), androidGreen, QColor(0xE4, 0xF4, 0xDC));
         })},
        {"icon_android.png", small(18, 18, [](QPainter &p) {
             phone(p, QRectF(22, 4, 56, 92), androidGreen, QColor(0xE4, 0xF4, 0xDC));
         })},
        {"icon_databases.png", small(18, 18, [](QPainter &p) {
             cylinder(p, QRectF(4, 8, 52, 66), dbBlue.darker(115), white);
             cylinder(p, QRectF(42, 26, 54, 70), dbBlue, white);
         })},
        {"icon_database.png", small(18, 18, [](QPainter &p) {
             cylinder(p, QRectF(16, 6, 68, 88), dbBlue, white);
         })},
        {"group.png", small(18, 18, [](QPainter &p) {
             person(p, QPointF(66, 12), 74, QColor(0x8F, 0xB8, 0xDE));
             person(p, QPointF(38, 20), 78, QColor(0x2F, 0x7F, 0xC0));
         })},
        {"add.png", small(16, 16, [](QPainter &p) { badge(p, QPointF(50, 50), 46, androidGreen, white, true); })},
        {"remove.png",
         small(16, 16, [](QPainter &p) { badge(p, QPointF(50, 50), 46, QColor(0xD6, 0x45, 0x41), white, false); })},
        {"search.png", small(16, 16, [](QPainter &p) {
             p.setBrush(QColor(255, 255, 255, 160));
             p.setPen(QPen(slate, 13));
             p.drawEllipse(QPointF(40, 40), 28, 28);
             strokeLine(p, QPointF(62, 62), QPointF(90, 90), slate, 17);
         })},
        {"drop-arrow.png", small(10, 6, [](QPainter &p) {
             QPainterPath tri;
             tri.moveTo(0, 0);
             tri.lineTo(100, 0);
             tri.lineTo(50, 100);
             tri.closeSubpath();
             fillPath(p, tri, QColor(0x33, 0x33, 0x33));
         })},
        {"empty_contact.png", emptyContact()},
        {"main-bg.png", mainBackground()},
        {"subwin-bg.png", dialogBackground()},
        // The desktop's icon theme sizes of the program's icon.
        {"appicon-16.png", tile(16, QColor(0x29, 0x79, 0xC8), glyphApplication)},
        {"appicon-22.png", tile(22, QColor(0x29, 0x79, 0xC8), glyphApplication)},
        {"appicon-24.png", tile(24, QColor(0x29, 0x79, 0xC8), glyphApplication)},
        {"appicon-32.png", tile(32, QColor(0x29, 0x79, 0xC8), glyphApplication)},
        {"appicon-48.png", tile(48, QColor(0x29, 0x79, 0xC8), glyphApplication)},
        {"appicon-64.png", tile(64, QColor(0x29, 0x79, 0xC8), glyphApplication)},
        {"appicon-128.png", tile(128, QColor(0x29, 0x79, 0xC8), glyphApplication)},
        {"appicon-256.png", tile(256, QColor(0x29, 0x79, 0xC8), glyphApplication)},
    };

    for (const Picture &picture : pictures) {
        const QString path = out.filePath(QLatin1String(picture.name));
        if (!picture.image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
