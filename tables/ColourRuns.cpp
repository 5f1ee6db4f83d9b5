#include "tables/ColourRuns.h"

#include <QStringView>

#include <array>

namespace vornelta {

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

struct Entity {
    QStringView tail; // what follows the "&"
    QChar character;
};

const std::array<Entity, 5> kEntities{{
    {u"lt;", u'<'},
    {u"gt;", u'>'},
    {u"amp;", u'&'},
    {u"#13;", u'\r'},
    {u"#10;", u'\n'},
}};

// The entity that starts at text[pos] (an "&"), or nullptr.
const Entity* entityAt(QStringView text, qsizetype pos) {
    const QStringView rest = text.mid(pos + 1);
    for (const Entity& e : kEntities)
        if (rest.startsWith(e.tail)) return &e;
    return nullptr;
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A stored value cut into markers, texts and line breaks.
enum class ItemKind { Marker, Text, Break };
struct Item {
    ItemKind kind;
    int colour = kNoColour; // of a marker; kNoColour when its number is no text colour
    QString text;           // of a text, escapes still in
};
struct Scan {
    QList<Item> items;
    bool damaged = false;
};

// <<C>> CRLF R1 { CRLF <<C>> R }   or   <<C>> CRLF
bool hasStoredForm(const QList<Item>& items) {
    if (items.size() < 2 || items[0].kind != ItemKind::Marker || items[1].kind != ItemKind::Break)
        return false;
    if (items.size() == 2) return true;
    if (items[2].kind != ItemKind::Text) return false;
    for (qsizetype i = 3; i < items.size(); i += 3) {
        if (i + 2 >= items.size()) return false;
        if (items[i].kind != ItemKind::Break || items[i + 1].kind != ItemKind::Marker ||
            items[i + 2].kind != ItemKind::Text)
            return false;
    }
    return true;
}

Scan scanValue(const QString& s) {
    Scan scan;
    QString text;
    auto flushText = [&] {
        if (text.isEmpty()) return;
        scan.items.append({ItemKind::Text, kNoColour, text});
        text.clear();
    };
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c == u'\r' || c == u'\n') {
            flushText();
            const bool crlf = c == u'\r' && i + 1 < n && s[i + 1] == u'\n';
            if (!crlf) scan.damaged = true;
            scan.items.append({ItemKind::Break, kNoColour, {}});
            i += crlf ? 2 : 1;
            continue;
        }
        if (c == u'<' && i + 1 < n && s[i + 1] == u'<') {
            qsizetype end = i + 2;
            while (end < n && isAsciiDigit(s[end]))
                ++end;
            if (end > i + 2 && end + 1 < n && s[end] == u'>' && s[end + 1] == u'>') {
                flushText();
                const QStringView digits = QStringView(s).mid(i + 2, end - i - 2);
                bool ok = false;
                const int number = digits.toInt(&ok); // not ok when it overflows
                const int colour = ok && isTextColour(number) ? number : kNoColour;
                if (colour == kNoColour || digits != QString::number(number)) scan.damaged = true;
                scan.items.append({ItemKind::Marker, colour, {}});
                i = end + 2;
                continue;
            }
        }
        // The encoder never leaves "<" or ">" in a run.
        if (c == u'<' || c == u'>') scan.damaged = true;
        text += c;
        ++i;
    }
    flushText();
    if (!hasStoredForm(scan.items)) scan.damaged = true;
    return scan;
}

} // namespace

QString colourMarker(int colour) {
    return QStringLiteral("<<") + QString::number(colour) + QStringLiteral(">>");
}

QString escapeRunText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'<')
            out += QStringLiteral("&lt;");
        else if (c == u'>')
            out += QStringLiteral("&gt;");
        else if (c == u'\r')
            out += QStringLiteral("&#13;");
        else if (c == u'\n')
            out += QStringLiteral("&#10;");
        else if (c == u'&' && entityAt(text, i))
            out += QStringLiteral("&amp;");
        else
            out += c;
    }
    return out;
}

QString unescapeRunText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const Entity* entity = c == u'&' ? entityAt(text, i) : nullptr;
        if (entity) {
            out += entity->character;
            i += entity->tail.size();
        } else {
            out += c;
        }
    }
    return out;
}

QString encodeColourRuns(const QString& text, const QList<int>& colours, int insertionColour) {
    if (text.isEmpty()) return colourMarker(insertionColour) + kLineBreak;
    auto colourAt = [&](qsizetype i) {
        if (i < colours.size()) return colours[i];
        return colours.isEmpty() ? insertionColour : colours.back();
    };
    QString out;
    qsizetype start = 0;
    while (start < text.size()) {
        const int colour = colourAt(start);
        qsizetype end = start + 1;
        while (end < text.size() && colourAt(end) == colour)
            ++end;
        if (start == 0)
            out += colourMarker(colour) + kLineBreak;
        else
            out += kLineBreak + colourMarker(colour);
        out += escapeRunText(text.mid(start, end - start));
        start = end;
    }
    return out;
}

ColouredText decodeColourRuns(const QString& stored, int defaultColour) {
    const Scan scan = scanValue(stored);
    ColouredText out;
    out.damaged = scan.damaged;
    int colour = defaultColour;
    QString run; // escapes are undone per run, after its lines are joined
    auto flushRun = [&] {
        const QString plain = unescapeRunText(run);
        out.text += plain;
        out.colours.append(QList<int>(plain.size(), colour));
        run.clear();
    };
    for (const Item& item : scan.items) {
        if (item.kind == ItemKind::Marker) {
            flushRun();
            if (item.colour != kNoColour) colour = item.colour;
        } else if (item.kind == ItemKind::Text) {
            run += item.text;
        }
    }
    flushRun();
    out.firstColour = out.colours.isEmpty() ? colour : out.colours.first();
    return out;
}

ColourLines readColourLines(const QString& stored) {
    const Scan scan = scanValue(stored);
    ColourLines out;
    out.damaged = scan.damaged;
    int colour = kNoColour;
    ColourLine line;
    bool started = false; // a line (or the piece of one after a marker) is open
    auto push = [&] {
        line.text = unescapeRunText(line.text);
        out.lines.append(line);
        started = false;
    };
    for (const Item& item : scan.items) {
        switch (item.kind) {
        case ItemKind::Marker:
            if (started && (line.marker || !line.text.isEmpty())) push();
            if (item.colour != kNoColour) colour = item.colour;
            line = ColourLine{true, colour, {}};
            started = true;
            break;
        case ItemKind::Text:
            if (!started) line = ColourLine{false, colour, {}};
            started = true;
            line.text += item.text;
            break;
        case ItemKind::Break:
            if (!started) line = ColourLine{false, colour, {}};
            push();
            break;
        }
    }
    if (started) push();
    return out;
}

QList<int> fitColours(const QList<int>& colours, qsizetype length, int fill) {
    QList<int> out = colours.mid(0, length);
    while (out.size() < length)
        out.append(fill);
    return out;
}

} // namespace vornelta
