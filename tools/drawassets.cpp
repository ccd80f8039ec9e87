// Draws every picture of the program and writes them as PNG files.
//
//   drawassets <folder>
//
// Nothing here depends on installed fonts or on the screen: letters are drawn
// from small pixel glyphs or from strokes, and the random strokes of the
// notepaper use a fixed seed, so two runs give the same files.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

namespace {

QString g_folder;
int g_written = 0;

bool save(const QImage &img, const QString &name)
{
    const QString path = QDir(g_folder).filePath(name);
    if (!img.save(path, "PNG")) {
        QTextStream(stderr) << "drawassets: cannot write " << path << '\n';
        return false;
    }
    ++g_written;
    return true;
}

QImage transparentCanvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// Painter working in a 32 × 32 box whatever the real size of the picture.
void begin32(QPainter &p, QImage &img)
{
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(img.width() / 32.0, img.height() / 32.0);
}

QImage finished(const QImage &img)
{
    return img.convertToFormat(QImage::Format_ARGB32);
}

// ---------------------------------------------------------------------------
// Pixel letters, for the headings of the smallest pictures.

struct Glyph {
    char c;
    std::vector<const char *> rows;
};

// Five rows high; used from 32 px upwards.
const std::vector<Glyph> kGlyphs5 = {
    {'N', {"X..X", "XX.X", "X.XX", "X..X", "X..X"}},
    {'O', {"XXX", "X.X", "X.X", "X.X", "XXX"}},
    {'T', {"XXX", ".X.", ".X.", ".X.", ".X."}},
    {'E', {"XXX", "X..", "XX.", "X..", "XXX"}},
};

// Narrower cut for 16 px pictures, where the whole word has 14 pixels.
const std::vector<Glyph> kGlyphs5Narrow = {
    {'N', {"XX.", "X.X", "X.X", "X.X", "X.X"}},
    {'O', {"XXX", "X.X", "X.X", "X.X", "XXX"}},
    {'T', {"XXX", ".X.", ".X.", ".X.", ".X."}},
    {'E', {"XX", "X.", "XX", "X.", "XX"}},
};

const Glyph &glyphOf(const std::vector<Glyph> &font, char c)
{
    for (const Glyph &g : font)
        if (g.c == c)
            return g;
    return font.front();
}

int pixelTextWidth(const std::vector<Glyph> &font, const char *text, int gap)
{
    int w = 0;
    for (const char *c = text; *c; ++c)
        w += int(std::strlen(glyphOf(font, *c).rows[0])) + (c[1] ? gap : 0);
    return w;
}

// Writes pixel by pixel, with no antialiasing: the painter must be unscaled.
void drawPixelText(QPainter &p, int x, int y, const std::vector<Glyph> &font, const char *text,
                   int gap, const QColor &color)
{
    for (const char *c = text; *c; ++c) {
        const Glyph &g = glyphOf(font, *c);
        const int w = int(std::strlen(g.rows[0]));
        for (int r = 0; r < int(g.rows.size()); ++r)
            for (int k = 0; k < w; ++k)
                if (g.rows[r][k] == 'X')
                    p.fillRect(x + k, y + r, 1, 1, color);
        x += w + gap;
    }
}

// Stroked capitals for the larger pictures: each letter is a set of
// polylines in a box 0.62 wide and 1 high.
void drawStrokedNote(QPainter &p, QPointF origin, qreal height, const QColor &color)
{
    const qreal w = 0.62 * height, gap = 0.22 * height;
    QPen pen(color, 0.17 * height, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    p.save();
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const qreal inset = pen.widthF() / 2;
    auto pt = [&](qreal x0, qreal fx, qreal fy) {
        return QPointF(origin.x() + x0 + inset + fx * (w - 2 * inset),
                       origin.y() + inset + fy * (height - 2 * inset));
    };
    qreal x0 = 0;
    // N
    {
        // Bevelled, or the sharp turns of the diagonal would spike out.
        pen.setJoinStyle(Qt::BevelJoin);
        p.setPen(pen);
        const QPointF n[] = {pt(x0, 0, 1), pt(x0, 0, 0), pt(x0, 1, 1), pt(x0, 1, 0)};
        p.drawPolyline(n, 4);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
    }
    x0 += w + gap;
    // O
    {
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        const QRectF r(pt(x0, 0, 0), pt(x0, 1, 1));
        p.drawRoundedRect(r, r.width() * 0.45, r.height() * 0.3);
        pen.setCapStyle(Qt::SquareCap);
        p.setPen(pen);
    }
    x0 += w + gap;
    // T
    p.drawLine(pt(x0, 0, 0), pt(x0, 1, 0));
    p.drawLine(pt(x0, 0.5, 0), pt(x0, 0.5, 1));
    x0 += w + gap;
    // E
    {
        const QPointF e[] = {pt(x0, 1, 0), pt(x0, 0, 0), pt(x0, 0, 1), pt(x0, 1, 1)};
        p.drawPolyline(e, 4);
        p.drawLine(pt(x0, 0, 0.5), pt(x0, 0.8, 0.5));
    }
    p.restore();
}

qreal strokedNoteWidth(qreal height)
{
    return 4 * 0.62 * height + 3 * 0.22 * height;
}

// ---------------------------------------------------------------------------
// Shared shapes.

const QColor kNoteRed(204, 20, 20);
const QColor kRule(150, 180, 225);
const QColor kSheetEdge(110, 110, 120);

// Question mark in a 32 box: centred on x = cx, from y = top, `h` high.
void drawQuestionMark(QPainter &p, qreal cx, qreal top, qreal h, const QColor &color, qreal weight)
{
    const qreal r = 0.26 * h;
    const qreal cy = top + r + weight / 2;
    QPainterPath path;
    path.moveTo(cx - r, cy);
    path.arcTo(QRectF(cx - r, cy - r, 2 * r, 2 * r), 180, -235);
    const QPointF bend = path.currentPosition();
    path.quadTo(QPointF(cx, bend.y() + 0.12 * h), QPointF(cx, top + 0.66 * h));
    path.lineTo(cx, top + 0.72 * h);
    p.save();
    p.setPen(QPen(color, weight, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const qreal d = weight * 1.15;
    p.drawEllipse(QPointF(cx, top + h - d / 2), d / 2, d / 2);
    p.restore();
}

// Disc with a light shine, for the tab pictures.
void drawDisc(QPainter &p, const QColor &light, const QColor &dark, const QColor &edge)
{
    QRadialGradient g(QPointF(12, 10), 20, QPointF(11, 9));
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(QPen(edge, 1.2));
    p.setBrush(g);
    p.drawEllipse(QPointF(16, 16), 14.6, 14.6);
}

// ---------------------------------------------------------------------------
// Colour reduction.

// Median cut down to `count` colours; the colours of `keep` are added as is.
QList<QRgb> medianCutPalette(const QImage &img, int count, const QList<QRgb> &keep)
{
    struct Entry {
        QRgb rgb;
        int n;
    };
    std::map<QRgb, int> histogram;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y) | 0xff000000u;
            if (!keep.contains(c))
                ++histogram[c];
        }
    std::vector<std::vector<Entry>> boxes(1);
    for (const auto &[rgb, n] : histogram)
        boxes[0].push_back({rgb, n});

    auto channel = [](QRgb c, int ch) { return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c); };
    auto widest = [&](const std::vector<Entry> &box, int &range) {
        int best = 0;
        range = -1;
        for (int ch = 0; ch < 3; ++ch) {
            int lo = 255, hi = 0;
            for (const Entry &e : box) {
                lo = std::min(lo, channel(e.rgb, ch));
                hi = std::max(hi, channel(e.rgb, ch));
            }
            if (hi - lo > range) {
                range = hi - lo;
                best = ch;
            }
        }
        return best;
    };

    while (int(boxes.size()) < count) {
        // Split the box whose widest side weighs the most.
        int pick = -1;
        double pickScore = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            if (boxes[i].size() < 2)
                continue;
            int range = 0;
            widest(boxes[i], range);
            long long pixels = 0;
            for (const Entry &e : boxes[i])
                pixels += e.n;
            const double score = double(range) * std::sqrt(double(pixels));
            if (score > pickScore) {
                pickScore = score;
                pick = i;
            }
        }
        if (pick < 0)
            break;
        std::vector<Entry> &box = boxes[pick];
        int range = 0;
        const int ch = widest(box, range);
        std::sort(box.begin(), box.end(),
                  [&](const Entry &a, const Entry &b) { return channel(a.rgb, ch) < channel(b.rgb, ch); });
        long long total = 0;
        for (const Entry &e : box)
            total += e.n;
        long long run = 0;
        size_t cut = 1;
        for (; cut < box.size(); ++cut) {
            run += box[cut - 1].n;
            if (run * 2 >= total)
                break;
        }
        cut = std::clamp<size_t>(cut, 1, box.size() - 1);
        std::vector<Entry> upper(box.begin() + long(cut), box.end());
        box.resize(cut);
        boxes.push_back(std::move(upper));
    }

    QList<QRgb> palette = keep;
    for (const auto &box : boxes) {
        double r = 0, g = 0, b = 0, n = 0;
        for (const Entry &e : box) {
            r += qRed(e.rgb) * double(e.n);
            g += qGreen(e.rgb) * double(e.n);
            b += qBlue(e.rgb) * double(e.n);
            n += e.n;
        }
        if (n > 0)
            palette.append(qRgb(int(std::lround(r / n)), int(std::lround(g / n)), int(std::lround(b / n))));
    }
    return palette;
}

// Three passes of a box blur, about a Gaussian of the given radius.
QImage blurred(const QImage &src, int radius)
{
    QImage img = src.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    std::vector<QRgb> line;
    for (int pass = 0; pass < 3; ++pass) {
        for (int horizontal = 1; horizontal >= 0; --horizontal) {
            const int len = horizontal ? w : h, lines = horizontal ? h : w;
            line.resize(size_t(len));
            for (int l = 0; l < lines; ++l) {
                auto at = [&](int i) -> QRgb & {
                    return horizontal ? reinterpret_cast<QRgb *>(img.scanLine(l))[i]
                                      : reinterpret_cast<QRgb *>(img.scanLine(i))[l];
                };
                for (int i = 0; i < len; ++i)
                    line[size_t(i)] = at(i);
                for (int i = 0; i < len; ++i) {
                    int r = 0, g = 0, b = 0, n = 0;
                    for (int k = i - radius; k <= i + radius; ++k) {
                        const QRgb c = line[size_t(std::clamp(k, 0, len - 1))];
                        r += qRed(c);
                        g += qGreen(c);
                        b += qBlue(c);
                        ++n;
                    }
                    at(i) = qRgb(r / n, g / n, b / n);
                }
            }
        }
    }
    return img;
}

// ---------------------------------------------------------------------------
// The pictures.

// Notepaper behind the greeting window: white with faint strokes of pink,
// green and yellow, kept to sixteen colours.
bool drawBackground()
{
    const int w = 539, h = 440;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);

    // Three families of pale tints, from barely there to soft.
    const QColor families[3][5] = {
        {QColor(253, 240, 244), QColor(250, 226, 234), QColor(247, 212, 224), QColor(243, 198, 214), QColor(238, 184, 204)},
        {QColor(241, 250, 238), QColor(227, 244, 222), QColor(213, 238, 206), QColor(199, 231, 190), QColor(184, 224, 174)},
        {QColor(254, 251, 232), QColor(252, 246, 208), QColor(250, 241, 186), QColor(248, 235, 164), QColor(246, 228, 142)},
    };

    QRandomGenerator rng(20040105u);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int strokes = 95;
    for (int i = 0; i < strokes; ++i) {
        const int family = int(rng.bounded(3));
        // Mostly the lighter tints; the deepest one only now and then.
        const int shade = std::min(4, 1 + int(rng.bounded(3)) + (rng.bounded(5) == 0 ? 1 : 0));
        const QColor color = families[family][shade];
        const QPointF start(rng.bounded(double(w + 40)) - 20, rng.bounded(double(h + 40)) - 20);
        const double angle = rng.bounded(2 * M_PI);
        const double length = 18 + rng.bounded(55.0);
        const QPointF dir(std::cos(angle), std::sin(angle));
        const QPointF normal(-dir.y(), dir.x());
        const QPointF end = start + dir * length;
        const QPointF control = (start + end) / 2 + normal * (rng.bounded(length * 0.5) - length * 0.25);
        QPainterPath path(start);
        path.quadTo(control, end);
        p.setPen(QPen(color, 1.2 + rng.bounded(2.8), Qt::SolidLine, Qt::RoundCap));
        p.drawPath(path);
        // Now and then a thinner companion stroke, as a hurried hand does.
        if (rng.bounded(3) == 0) {
            QPainterPath twin(start + normal * 5);
            twin.quadTo(control + normal * 6, end + normal * 4 - dir * 6);
            p.setPen(QPen(families[family][1], 1.2, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(twin);
        }
    }
    p.end();

    QList<QRgb> palette{qRgb(255, 255, 255)};
    for (const auto &family : families)
        for (const QColor &c : family)
            palette.append(c.rgb());
    return save(img.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither | Qt::AvoidDither),
                "fond.png");
}

// Banner: soft blobs of orange, green, red and yellow over a green strip.
bool drawBanner()
{
    const int w = 600, h = 60, strip = 6;
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(250, 200, 70));
    const QColor colors[] = {QColor(245, 140, 30), QColor(90, 180, 60), QColor(215, 40, 35), QColor(250, 220, 40)};

    QRandomGenerator rng(600060u);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    // Wide flat blobs marching along the band, colours in turn so that
    // none of the four is left out.
    double x = -30;
    for (int i = 0; x < w + 30; ++i) {
        const QColor c = colors[(i + int(rng.bounded(2)) * 2) % 4];
        const double rx = 35 + rng.bounded(40.0), ry = 16 + rng.bounded(14.0);
        const double cy = 18 + rng.bounded(24.0);
        QRadialGradient g(QPointF(x, cy), rx);
        g.setColorAt(0, c);
        g.setColorAt(0.55, c);
        QColor edge = c;
        edge.setAlpha(0);
        g.setColorAt(1, edge);
        p.setBrush(g);
        p.save();
        p.translate(x, cy);
        p.scale(1, ry / rx);
        p.translate(-x, -cy);
        p.drawEllipse(QPointF(x, cy), rx, rx);
        p.restore();
        x += 22 + rng.bounded(26.0);
    }
    p.end();

    QImage band = blurred(img, 7);
    const QRgb green = qRgb(34, 139, 34);
    {
        QPainter q(&band);
        q.fillRect(0, h - strip, w, strip, QColor(green));
    }
    const QList<QRgb> palette = medianCutPalette(band, 255, {green});
    return save(band.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither), "banniere.png");
}

// A white ruled sheet with NOTE in red at its head; `moon` adds the crescent
// of the program's own icon.
QImage drawNoteSheet(int size, bool moon)
{
    QImage img = transparentCanvas(size, size);
    QPainter p(&img);

    // Sheet placement, in real pixels.
    QRect sheet;
    if (size <= 16)
        sheet = QRect(0, 0, 16, 16);
    else if (size <= 32)
        sheet = QRect(3, 1, 26, 30);
    else {
        const int mw = int(std::lround(size * 0.1)), mh = int(std::lround(size * 0.04));
        sheet = QRect(mw, mh, size - 2 * mw, size - 2 * mh);
    }
    if (size <= 16)
        sheet = QRect(1, 0, 14, 16);
    if (size <= 16 && moon)
        sheet = QRect(0, 0, 14, 16);

    const qreal unit = size / 32.0;
    if (size > 32) {
        // A soft shadow under the sheet.
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 45));
        p.drawRoundedRect(QRectF(sheet).translated(unit * 0.8, unit * 0.8), unit, unit);
        p.setBrush(Qt::white);
        p.setPen(QPen(kSheetEdge, std::max(1.0, unit * 0.6)));
        const qreal half = p.pen().widthF() / 2;
        p.drawRoundedRect(QRectF(sheet).adjusted(half, half, -half, -half), unit * 0.8, unit * 0.8);
    } else {
        p.fillRect(sheet, Qt::white);
        p.setPen(kSheetEdge);
        p.drawRect(sheet.adjusted(0, 0, -1, -1));
    }

    // Heading.
    int headingBottom;
    if (size <= 16) {
        const int tw = pixelTextWidth(kGlyphs5Narrow, "NOTE", 1);
        drawPixelText(p, sheet.left() + (sheet.width() - tw) / 2, 2, kGlyphs5Narrow, "NOTE", 1, kNoteRed);
        headingBottom = 7;
    } else if (size <= 32) {
        const int tw = pixelTextWidth(kGlyphs5, "NOTE", 1);
        drawPixelText(p, sheet.left() + (sheet.width() - tw) / 2, sheet.top() + 3, kGlyphs5, "NOTE", 1, kNoteRed);
        headingBottom = sheet.top() + 9;
    } else {
        p.setRenderHint(QPainter::Antialiasing);
        const qreal th = sheet.height() * 0.15;
        const qreal tw = strokedNoteWidth(th);
        drawStrokedNote(p, QPointF(sheet.center().x() + 0.5 - tw / 2, sheet.top() + sheet.height() * 0.08), th,
                        kNoteRed);
        headingBottom = int(sheet.top() + sheet.height() * 0.08 + th);
    }

    // Rules down the sheet.
    if (size <= 32) {
        const int step = size <= 16 ? 2 : 3;
        p.setPen(kRule);
        for (int y = headingBottom + step; y < sheet.bottom() - 1; y += step)
            p.drawLine(sheet.left() + 2, y, sheet.right() - 2, y);
        if (size > 16) {
            // Red margin line under the heading.
            p.setPen(QColor(235, 140, 140));
            p.drawLine(sheet.left() + 1, headingBottom + 1, sheet.right() - 1, headingBottom + 1);
        }
    } else {
        p.setRenderHint(QPainter::Antialiasing, false);
        const qreal step = sheet.height() * 0.095;
        const int lw = std::max(1, int(std::lround(unit * 0.5)));
        p.setPen(QPen(QColor(235, 140, 140), lw));
        const int red = int(headingBottom + step * 0.6);
        p.drawLine(sheet.left() + lw * 2, red, sheet.right() - lw * 2, red);
        p.setPen(QPen(kRule, lw));
        for (qreal y = red + step; y < sheet.bottom() - step * 0.5; y += step)
            p.drawLine(QPointF(sheet.left() + sheet.width() * 0.1, std::round(y)),
                       QPointF(sheet.right() - sheet.width() * 0.1, std::round(y)));
    }

    if (moon) {
        p.setRenderHint(QPainter::Antialiasing);
        // Crescent: a disc with a second, offset disc taken away.
        qreal r;
        QPointF c;
        if (size <= 16) {
            r = 4.6;
            c = QPointF(11.2, 11.2);
        } else {
            r = size * 0.2;
            c = QPointF(size * 0.72, size * 0.72);
        }
        QPainterPath disc, bite;
        disc.addEllipse(c, r, r);
        bite.addEllipse(c + QPointF(r * 0.55, -r * 0.42), r * 0.86, r * 0.86);
        const QPainterPath crescent = disc.subtracted(bite);
        // A night-blue halo makes the crescent stand out on white paper.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 50, 110));
        p.drawEllipse(c, r * 1.1, r * 1.1);
        QLinearGradient g(c - QPointF(r, r), c + QPointF(r, r));
        g.setColorAt(0, QColor(255, 236, 120));
        g.setColorAt(1, QColor(240, 180, 20));
        p.setBrush(g);
        p.drawPath(crescent);
    }
    p.end();
    return finished(img);
}

// Three upright pencils, yellow, green and red.
QImage drawPencils(int size)
{
    QImage img = transparentCanvas(size, size);
    QPainter p;
    begin32(p, img);
    const struct {
        QColor body, dark;
        qreal x, top;
    } pencils[] = {
        {QColor(250, 210, 30), QColor(190, 140, 0), 3.5, 3},
        {QColor(60, 170, 60), QColor(20, 110, 25), 12.5, 1},
        {QColor(220, 40, 35), QColor(150, 15, 15), 21.5, 4},
    };
    const qreal width = 7, bottom = 31, tip = 8;
    for (const auto &pc : pencils) {
        const qreal left = pc.x, right = pc.x + width, mid = pc.x + width / 2;
        // Painted body, shaded on its right side.
        QLinearGradient body(left, 0, right, 0);
        body.setColorAt(0, pc.body.lighter(125));
        body.setColorAt(0.45, pc.body);
        body.setColorAt(1, pc.dark);
        p.setPen(QPen(pc.dark.darker(130), 0.8));
        p.setBrush(body);
        p.drawRect(QRectF(left, pc.top + tip, width, bottom - pc.top - tip));
        // Bare wood of the sharpened end, then the lead.
        QPainterPath wood;
        wood.moveTo(left, pc.top + tip);
        wood.lineTo(mid, pc.top);
        wood.lineTo(right, pc.top + tip);
        wood.closeSubpath();
        p.setPen(QPen(QColor(150, 110, 60), 0.8));
        p.setBrush(QColor(240, 205, 150));
        p.drawPath(wood);
        QPainterPath lead;
        lead.moveTo(mid - width * 0.19, pc.top + tip * 0.38);
        lead.lineTo(mid, pc.top);
        lead.lineTo(mid + width * 0.19, pc.top + tip * 0.38);
        lead.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(pc.dark.darker(160));
        p.drawPath(lead);
    }
    p.end();
    return finished(img);
}

// A tab picture: a disc in the given colours, then the sign that
// `drawSign(p)` paints over it on the 32-unit grid.
template <typename DrawSign>
QImage discTab(int size, const QColor &light, const QColor &dark, const QColor &edge, DrawSign drawSign)
{
    QImage img = transparentCanvas(size, size);
    QPainter p;
    begin32(p, img);
    drawDisc(p, light, dark, edge);
    drawSign(p);
    p.end();
    return finished(img);
}

QImage drawTab1(int size)  // red disc, white cross
{
    return discTab(size, QColor(255, 110, 100), QColor(190, 15, 10), QColor(120, 0, 0), [size](QPainter &p) {
        p.setPen(QPen(Qt::white, size <= 16 ? 5 : 4.2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(10, 10), QPointF(22, 22));
        p.drawLine(QPointF(22, 10), QPointF(10, 22));
    });
}

QImage drawTab2(int size)  // yellow light bulb
{
    QImage img = transparentCanvas(size, size);
    QPainter p;
    begin32(p, img);
    // Glass: a round top narrowing to the neck.
    QPainterPath glass;
    glass.moveTo(11.5, 21.5);
    glass.cubicTo(11.5, 17.5, 6, 15.5, 6, 11);
    glass.arcTo(QRectF(6, 1, 20, 20), 180, -180);
    glass.cubicTo(26, 15.5, 20.5, 17.5, 20.5, 21.5);
    glass.closeSubpath();
    QRadialGradient g(QPointF(13, 8), 14, QPointF(12, 7));
    g.setColorAt(0, QColor(255, 255, 215));
    g.setColorAt(0.45, QColor(255, 235, 60));
    g.setColorAt(1, QColor(235, 180, 0));
    p.setPen(QPen(QColor(150, 105, 0), size <= 16 ? 1.8 : 1.2));
    p.setBrush(g);
    p.drawPath(glass);
    // Screw base: grey rings, then the contact.
    QLinearGradient metal(11, 0, 21, 0);
    metal.setColorAt(0, QColor(215, 215, 220));
    metal.setColorAt(0.4, QColor(250, 250, 252));
    metal.setColorAt(1, QColor(120, 120, 130));
    p.setPen(QPen(QColor(80, 80, 90), size <= 16 ? 1.6 : 1));
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(11.5, 21.5, 9, 6), 1.2, 1.2);
    if (size > 16) {
        p.drawLine(QPointF(11.5, 23.5), QPointF(20.5, 23.5));
        p.drawLine(QPointF(11.5, 25.5), QPointF(20.5, 25.5));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 70));
    p.drawChord(QRectF(13, 25.5, 6, 5), 180 * 16, 180 * 16);
    // Filament.
    if (size > 16) {
        p.setPen(QPen(QColor(200, 110, 0), 0.9));
        p.setBrush(Qt::NoBrush);
        QPainterPath f;
        f.moveTo(14, 21);
        f.lineTo(14, 15);
        f.lineTo(15, 13);
        f.lineTo(16, 15);
        f.lineTo(17, 13);
        f.lineTo(18, 15);
        f.lineTo(18, 21);
        p.drawPath(f);
    }
    p.end();
    return finished(img);
}

QImage drawTab3(int size)  // green disc, white question mark
{
    return discTab(size, QColor(130, 220, 110), QColor(20, 130, 30), QColor(0, 80, 10), [size](QPainter &p) {
        drawQuestionMark(p, 16, 5.5, 21, Qt::white, size <= 16 ? 4.6 : 3.8);
    });
}

QImage drawTab4(int size)  // dark blue disc, white letter i
{
    return discTab(size, QColor(90, 110, 210), QColor(10, 25, 110), QColor(0, 0, 60), [size](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        const qreal stem = size <= 16 ? 5 : 4.4;
        p.drawEllipse(QPointF(16, 9), stem * 0.6, stem * 0.6);
        if (size <= 16) {
            p.drawRect(QRectF(16 - stem / 2, 13.5, stem, 11));
        } else {
            // Stem with a flag at the top left and a foot.
            const qreal l = 16 - stem / 2, r = 16 + stem / 2;
            const QPointF outline[] = {{l - 2.2, 13.5}, {r, 13.5},     {r, 22.7},       {r + 2.2, 22.7},
                                       {r + 2.2, 25},   {l - 2.2, 25}, {l - 2.2, 22.7}, {l, 22.7},
                                       {l, 15.4},       {l - 2.2, 15.4}};
            p.drawPolygon(outline, 10);
        }
    });
}

QImage drawTab5(int size)  // white speech bubble, blue question mark
{
    QImage img = transparentCanvas(size, size);
    QPainter p;
    begin32(p, img);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1.5, 2, 29, 21), 7, 7);
    QPainterPath tail;
    tail.moveTo(7, 20);
    tail.lineTo(5, 30);
    tail.lineTo(15, 21);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(QColor(70, 80, 100), size <= 16 ? 1.8 : 1.2));
    QLinearGradient g(0, 2, 0, 24);
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, QColor(225, 232, 242));
    p.setBrush(g);
    p.drawPath(bubble);
    drawQuestionMark(p, 16, 4.8, 16, QColor(20, 70, 200), size <= 16 ? 3.8 : 3.2);
    p.end();
    return finished(img);
}

QImage drawTab6(int size)  // notepad with a pencil
{
    QImage img = transparentCanvas(size, size);
    QPainter p;
    begin32(p, img);
    const bool small = size <= 16;
    // Pad.
    const QRectF pad(3, 4, 19, 26);
    p.setPen(QPen(kSheetEdge, small ? 1.6 : 1));
    p.setBrush(Qt::white);
    p.drawRect(pad);
    p.setPen(QPen(kRule, small ? 1.6 : 1));
    for (qreal y = 11; y < 29; y += small ? 4 : 3)
        p.drawLine(QPointF(5.5, y), QPointF(19.5, y));
    // Binding across the top.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 70, 160));
    p.drawRect(QRectF(2.5, 3, 20, small ? 5 : 4));
    if (!small) {
        p.setBrush(QColor(200, 200, 210));
        for (qreal x = 5.5; x < 21; x += 4)
            p.drawRoundedRect(QRectF(x, 1.5, 1.6, 4), 0.8, 0.8);
    }
    // Pencil lying across, its point on the pad.
    p.save();
    p.translate(17, 24);
    p.rotate(-50);
    const qreal w = small ? 6 : 5;
    const qreal len = 21;
    QPainterPath wood;
    wood.moveTo(0, 0);
    wood.lineTo(6, -w / 2);
    wood.lineTo(6, w / 2);
    wood.closeSubpath();
    QLinearGradient body(0, -w / 2, 0, w / 2);
    body.setColorAt(0, QColor(255, 230, 90));
    body.setColorAt(1, QColor(210, 150, 0));
    p.setPen(QPen(QColor(120, 80, 0), small ? 1.2 : 0.8));
    p.setBrush(body);
    p.drawRect(QRectF(6, -w / 2, len - 6, w));
    p.setBrush(QColor(240, 120, 140));
    p.drawRect(QRectF(len, -w / 2, 3, w));
    p.setBrush(QColor(240, 205, 150));
    p.drawPath(wood);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(2.4, -w * 0.2);
    lead.lineTo(2.4, w * 0.2);
    lead.closeSubpath();
    p.drawPath(lead);
    p.restore();
    p.end();
    return finished(img);
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        QTextStream(stderr) << "usage: drawassets <folder>\n";
        return 2;
    }
    g_folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(g_folder)) {
        QTextStream(stderr) << "drawassets: cannot create " << g_folder << '\n';
        return 1;
    }

    bool ok = drawBackground() && drawBanner();
    for (int size : {16, 32}) {
        const QString suffix = size == 16 ? QStringLiteral("16") : QString();
        ok = ok && save(drawNoteSheet(size, false), QStringLiteral("accueil%1.png").arg(suffix));
        ok = ok && save(drawPencils(size), QStringLiteral("miseajour%1.png").arg(suffix));
        const QString tab = size == 16 ? QStringLiteral("image%1.png") : QStringLiteral("image%1_32.png");
        QImage (*const tabs[])(int) = {drawTab1, drawTab2, drawTab3, drawTab4, drawTab5, drawTab6};
        for (int i = 0; i < 6; ++i)
            ok = ok && save(tabs[i](size), tab.arg(i + 1));
    }
    for (int size : {16, 32, 48, 64, 128, 256})
        ok = ok && save(drawNoteSheet(size, true), QStringLiteral("ombrelune-%1.png").arg(size));

    QTextStream(stdout) << g_written << " pictures written to " << g_folder << '\n';
    return ok ? 0 : 1;
}
