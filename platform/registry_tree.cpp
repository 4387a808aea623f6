#include "platform/registry_tree.h"

#include <utility>

#include <QStringDecoder>
#include <QStringView>
#include <algorithm>

namespace platform::registry_tree {

namespace {

// ---- text escapes -------------------------------------------------------------------------------

// Control characters and lone surrogates are escaped so the UTF-8 file holds any QString exactly
// and a value never spans lines. `quoted` also escapes '"', the end of a quoted text.
QString Escape(const QString& s, QChar esc, bool quoted) {
    QString out;
    out.reserve(s.size() + 2);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            out += c;
            out += s.at(++i);
        } else if (c == esc || (quoted && c == u'"')) {
            out += esc;
            out += c;
        } else if (c == u'\n' || c == u'\r' || c == u'\t') {
            out += esc;
            out += c == u'\n' ? u'n' : c == u'\r' ? u'r' : u't';
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.isSurrogate()) {
            out += esc;
            out += u'u' + QString::number(c.unicode(), 16).rightJustified(4, u'0');
        } else {
            out += c;
        }
    }
    return out;
}

bool IsHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool AllHex(QStringView s) { return std::all_of(s.begin(), s.end(), IsHexDigit); }

// Decodes the escape whose letter is at s[*i], just after the escape character; *i moves past it.
bool TakeEscape(QStringView s, qsizetype* i, QString* out) {
    if (*i >= s.size()) return false;
    const QChar c = s.at((*i)++);
    switch (c.unicode()) {
    case 'n': *out += u'\n'; return true;
    case 'r': *out += u'\r'; return true;
    case 't': *out += u'\t'; return true;
    case 'u': {
        const QStringView hex = s.mid(*i, 4);
        if (hex.size() != 4 || !AllHex(hex)) return false;
        *out += QChar(char16_t(hex.toUInt(nullptr, 16)));
        *i += 4;
        return true;
    }
    default:
        if (c.isLetterOrNumber()) return false;  // an unknown named escape
        *out += c;
        return true;
    }
}

// Decodes s from *i up to an unescaped `end`, which is consumed; a null `end` reads to the end.
bool Unescape(QStringView s, qsizetype* i, QChar esc, QChar end, QString* out) {
    while (*i < s.size()) {
        const QChar c = s.at((*i)++);
        if (c == end && !end.isNull()) return true;
        if (c != esc) {
            *out += c;
        } else if (!TakeEscape(s, i, out)) {
            return false;
        }
    }
    return end.isNull();
}

// Reads a "..." text starting at s[*i]; *i ends just past the closing quote.
bool ParseQuoted(QStringView s, qsizetype* i, QString* out) {
    if (*i >= s.size() || s.at(*i) != u'"') return false;
    ++*i;
    return Unescape(s, i, u'\\', u'"', out);
}

bool ParseHeader(QStringView line, QString* path) {
    if (!line.startsWith(u'[') || !line.endsWith(u']')) return false;
    qsizetype i = 0;
    return Unescape(line.mid(1, line.size() - 2), &i, u'%', QChar(), path);
}

bool ParseData(QStringView data, Value* v) {
    if (data.startsWith(u"sz:")) {
        qsizetype i = 3;
        v->kind = Kind::String;
        return ParseQuoted(data, &i, &v->text) && i == data.size();
    }
    if (data.startsWith(u"dword:")) {
        const QStringView hex = data.mid(6);
        v->kind = Kind::Integer;
        v->number = hex.toUInt(nullptr, 16);
        return !hex.isEmpty() && hex.size() <= 8 && AllHex(hex);
    }
    if (!data.startsWith(u"hex:")) return false;
    v->kind = Kind::Binary;
    if (data.size() == 4) return true;
    for (QStringView byte : data.mid(4).split(u',')) {
        if (byte.size() != 2 || !AllHex(byte)) return false;
        v->bytes.append(char(byte.toUInt(nullptr, 16)));
    }
    return true;
}

bool ParseValue(QStringView line, Value* v) {
    qsizetype i = 0;
    if (line.startsWith(u'@')) {
        i = 1;
    } else if (!ParseQuoted(line, &i, &v->name)) {
        return false;
    }
    if (i >= line.size() || line.at(i) != u'=') return false;
    return ParseData(line.mid(i + 1), v);
}

QString ValueLine(const Value& v) {
    QString line = u'"' + Escape(v.name, u'\\', true) + u'"';
    if (v.name.isEmpty()) line = QStringLiteral("@");
    switch (v.kind) {
    case Kind::String: return line + "=sz:\"" + Escape(v.text, u'\\', true) + u'"';
    case Kind::Integer:
        return line + "=dword:" + QString::number(v.number, 16).rightJustified(8, u'0');
    case Kind::Binary: return line + "=hex:" + QString::fromLatin1(v.bytes.toHex(','));
    }
    return line;
}

}  // namespace

// ---- the file format ----------------------------------------------------------------------------

Key& AddKey(Tree& tree, const QString& path) {
    Key* key = &tree.keys[QString()];
    for (const QString& part : SplitPath(path)) {
        // Built on the stored parent so the case of existing keys is kept.
        const QString full = key->path.isEmpty() ? part : key->path + u'\\' + part;
        auto [it, added] = tree.keys.try_emplace(Fold(full));
        if (added) it->second.path = full;
        key = &it->second;
    }
    return *key;
}

const Key* FindKey(const Tree& tree, const QString& path) {
    const auto it = tree.keys.find(Fold(SplitPath(path).join(u'\\')));
    return it == tree.keys.end() ? nullptr : &it->second;
}

Key* FindKey(Tree& tree, const QString& path) { return const_cast<Key*>(FindKey(std::as_const(tree), path)); }

const Value* FindValue(const Key& key, const QString& name) {
    const QString folded = Fold(name);
    for (const Value& v : key.values) {
        if (Fold(v.name) == folded) return &v;
    }
    return nullptr;
}

Value* FindValue(Key& key, const QString& name) { return const_cast<Value*>(FindValue(std::as_const(key), name)); }

void PutValue(Key& key, Value value) {
    if (Value* old = FindValue(key, value.name)) {
        value.name = old->name;
        *old = std::move(value);
    } else {
        key.values.append(std::move(value));
    }
}

Tree ParseTree(const QByteArray& bytes) {
    Tree tree;
    tree.keys[QString()];
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    tree.damaged = decoder.hasError();
    // Values after a header that cannot be read belong to no known key: they are skipped rather
    // than given to the key above.
    Key* section = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';')) continue;
        if (line.startsWith(u'[')) {
            QString path;
            section = ParseHeader(line, &path) ? &AddKey(tree, path) : nullptr;
            tree.damaged |= section == nullptr;
            continue;
        }
        Value v;
        if (section && ParseValue(line, &v)) {
            PutValue(*section, std::move(v));
        } else {
            tree.damaged = true;
        }
    }
    return tree;
}

QByteArray SerializeTree(const Tree& tree, const QString& title) {
    QString out = "; " + title + "\n";
    for (const auto& [folded, key] : tree.keys) {
        if (key.path.isEmpty() && key.values.isEmpty()) continue;
        out += "\n[" + Escape(key.path, u'%', false) + "]\n";
        for (const Value& v : key.values) out += ValueLine(v) + u'\n';
    }
    return out.toUtf8();
}

}  // namespace platform::registry_tree
